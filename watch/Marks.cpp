#include "watch/Marks.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {
// A round dot in the mark's colour: red moved, orange out for delivery or
// waiting to be picked up, green signed for, blue in transit, purple needing
// attention (a problem, a refusal, a return), grey closed.
QIcon dot(BookMark mark) {
    static const QColor colours[] = {
        Qt::transparent,      QColor(220, 40, 40),  QColor(240, 150, 0),  QColor(40, 160, 70),
        QColor(47, 109, 181), QColor(150, 60, 180), QColor(150, 150, 150)};
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

void MarkedBook::setMarks(QList<BookMark> marks, QStringList says) {
    m_marks = std::move(marks);
    m_says = std::move(says);
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::DecorationRole, Qt::ToolTipRole});
}

QVariant MarkedBook::data(const QModelIndex& index, int role) const {
    if (role == Qt::ToolTipRole) return m_says.value(index.row());
    if (role != Qt::DecorationRole) return QStringListModel::data(index, role);
    // While marks are shown, an unmarked entry gets a blank one, so that
    // every text starts at the same place.
    if (m_marks.isEmpty()) return {};
    const BookMark m = mark(index.row());
    static const QIcon icons[] = {dot(BookMark::None),       dot(BookMark::Moved),
                                  dot(BookMark::Delivering), dot(BookMark::Signed),
                                  dot(BookMark::InTransit),  dot(BookMark::Attention),
                                  dot(BookMark::Closed)};
    return icons[int(m)];
}
