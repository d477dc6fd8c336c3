#include "watch/Marks.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {
// A round dot in the mark's colour: red moved, orange out for delivery, green
// signed for, blue in transit.
QIcon dot(BookMark mark) {
    static const QColor colours[] = {Qt::transparent, QColor(220, 40, 40), QColor(240, 150, 0),
                                     QColor(40, 160, 70), QColor(47, 109, 181)};
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colours[int(mark)]);
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return QIcon(pixmap);
}
} // namespace

void MarkedBook::setMarks(QList<BookMark> marks) {
    m_marks = std::move(marks);
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {Qt::DecorationRole});
}

QVariant MarkedBook::data(const QModelIndex& index, int role) const {
    if (role != Qt::DecorationRole) return QStringListModel::data(index, role);
    // While marks are shown, an unmarked entry gets a blank one, so that
    // every text starts at the same place.
    if (m_marks.isEmpty()) return {};
    const BookMark m = mark(index.row());
    static const QIcon icons[] = {dot(BookMark::None), dot(BookMark::Moved),
                                  dot(BookMark::Delivering), dot(BookMark::Signed),
                                  dot(BookMark::InTransit)};
    return icons[int(m)];
}
