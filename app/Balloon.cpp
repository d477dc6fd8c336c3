#include "app/Balloon.h"

#include <QCursor>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

Class1::Class1(QObject* parent) : QObject(parent) {
    m_rest.setSingleShot(true);
    m_rest.setInterval(400);
    connect(&m_rest, &QTimer::timeout, this, [this] {
        if (m_parent && m_parent->underMouse()) showBalloon();
    });
}

Class1::~Class1() {
    delete m_balloon;
}

void Class1::ParentControl(QWidget* control) {
    m_parent = control;
}

void Class1::ToolTipTitle(const QString& title) {
    m_title = title;
    if (m_titleLabel) m_titleLabel->setText(title);
}

void Class1::ToolTipText(const QString& text) {
    m_text = text;
    if (m_textLabel) m_textLabel->setText(text);
}

void Class1::Create() {
    delete m_balloon; // at most one balloon per tip
    m_titleLabel = m_textLabel = nullptr;
    if (!m_parent) return;
    m_parent->removeEventFilter(this);
    m_parent->installEventFilter(this);
    // A tool-tip window owned by the control's window, which it ends with.
    m_balloon = new QFrame(m_parent->window(), Qt::ToolTip | Qt::FramelessWindowHint);
    m_balloon->setObjectName(QStringLiteral("Balloon"));
    m_balloon->setFrameShape(QFrame::Box);
    m_balloon->setStyleSheet(QStringLiteral(
        "#Balloon { background: rgb(255, 255, 225); border: 1px solid rgb(118, 118, 118); "
        "border-radius: 6px; }"));
    auto* layout = new QVBoxLayout(m_balloon);
    layout->setContentsMargins(10, 8, 10, 8);
    m_titleLabel = new QLabel(m_title, m_balloon);
    m_textLabel = new QLabel(m_text, m_balloon);
    for (QLabel* l : {m_titleLabel, m_textLabel}) {
        l->setTextFormat(Qt::PlainText);
        layout->addWidget(l);
    }
    QFont bold = m_titleLabel->font();
    bold.setBold(true);
    m_titleLabel->setFont(bold);
    if (m_parent->underMouse()) showBalloon();
}

QWidget* Class1::balloon() const {
    return m_balloon;
}

void Class1::showBalloon() {
    if (!m_balloon) return;
    m_balloon->adjustSize();
    m_balloon->move(QCursor::pos() + QPoint(12, 18));
    m_balloon->show();
}

bool Class1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_parent && m_balloon) {
        if (event->type() == QEvent::Enter) m_rest.start();
        if (event->type() == QEvent::Leave) {
            m_rest.stop();
            m_balloon->hide();
        }
    }
    return false;
}

void HookListHeader(QTreeWidget* list) {
    QHeaderView* header = list->header();
    for (int i = 0; i < header->count(); ++i)
        header->setSectionResizeMode(i, QHeaderView::Fixed);
    header->setSectionsClickable(true);
    // The tree sizes a column to its contents on a divider double-click;
    // the list's widths stay as designed.
    QObject::disconnect(header, &QHeaderView::sectionHandleDoubleClicked, list, nullptr);
}
