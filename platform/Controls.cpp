#include "platform/Controls.h"

#include <QHeaderView>

QRect tw(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& rect) {
    return place(new QLabel(text, parent), name, rect);
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, const QRect& rect) {
    auto* b = place(new QPushButton(text, parent), name, rect);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* lineEdit(QWidget* parent, const QString& name, const QRect& rect) {
    return place(new QLineEdit(parent), name, rect);
}

QString indexed(const char* base, int index) {
    return QString::fromLatin1(base) + '_' + QString::number(index);
}

QTreeWidget* reportList(QWidget* parent, const QString& name, const QRect& rect,
                        const QStringList& headers, const QList<int>& widths) {
    auto* list = place(new QTreeWidget(parent), name, rect);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    for (int i = 0; i < widths.size(); ++i) {
        list->header()->setSectionResizeMode(i, QHeaderView::Fixed);
        list->setColumnWidth(i, widths[i]);
    }
    return list;
}

Panel::Panel(const QString& name, const QString& closeName, const QRect& rect, int closeLeft,
             int closeTop, QWidget* parent)
    : QFrame(parent) {
    place(this, name, rect);
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setMouseTracking(true);
    m_close = label(this, closeName, QString(), tw(closeLeft, closeTop, 315, 315));
    m_close->setPixmap(QPixmap(QStringLiteral(":/images/close.png")));
    m_close->setCursor(Qt::PointingHandCursor);
    hide();
}

QLabel* Panel::title(const QString& name, const QString& text) {
    auto* t = label(this, name, text, QRect(12, 8, 200, 20));
    t->setProperty("panelTitle", true);
    return t;
}
