// The window's commands: the button array's one handler, the function keys
// (seen by the window before the control that has the focus, which still
// gets them), the toolbar, and Enter for the panels' default buttons.
#include "app/Form1.h"
#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {
// Watches every key press of the application and hands those of one window
// to it before they reach their control.
class KeyPreview : public QObject {
public:
    explicit KeyPreview(Form1* form) : QObject(form), m_form(form) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease) m_form->keyReleased(receiver, event);
        return event->type() == QEvent::KeyPress && m_form->keyPreview(receiver, event);
    }

private:
    Form1* m_form;
};
} // namespace

void Form1::installKeyPreview() {
    new KeyPreview(this);
}

bool Form1::keyPreview(QObject* receiver, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(receiver);
    if (!w || w->window() != this) return false;
    // A key is seen once, where it starts. Its way up through the parents of
    // an uninterested control is the same key, not a second one, whatever
    // the boxes it opened did to the focus meanwhile: the same event reaching
    // a parent of where it started.
    if (event == m_keyEvent && m_keyStart && w != m_keyStart && w->isAncestorOf(m_keyStart))
        return false;
    m_keyEvent = event;
    m_keyStart = w;
    const int key = m_keyCode = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Enter in a panel presses the panel's default button, unless another
        // button has the focus.
        for (int i = 0; i < 5; ++i)
            if (m_defaultButton[i] && kdmenu[i]->isVisible() && kdmenu[i]->isAncestorOf(w) &&
                !qobject_cast<QPushButton*>(w)) {
                m_defaultButton[i]->click();
                return true;
            }
        if (kdaccount->isVisible() && kdaccount->isAncestorOf(w) &&
            !qobject_cast<QPushButton*>(w)) {
            Command7->click();
            return true;
        }
        return false;
    }
    Form_KeyDown(key);
    return false;
}

// A key's release ends its way through the window: a later press is a new
// key even where its event takes the same place in memory.
void Form1::keyReleased(QObject* receiver, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(receiver);
    if (w && w->window() == this && m_keyEvent && m_keyStart &&
        static_cast<QKeyEvent*>(event)->key() == m_keyCode)
        m_keyEvent = nullptr;
}

void Form1::Command1_Click(int index) {
    switch (index) {
    case 8:
    case 12:
        openCourierList(index);
        break;
    case 9:
        changeParcel();
        break;
    case 10:
        copyParcel();
        break;
    case 11:
        deleteParcel();
        break;
    case 13:
        addParcel();
        break;
    case 14:
        searchBook();
        break;
    case 15:
        showTimedFrame();
        break;
    case 16:
        loopButton();
        break;
    case 17:
        showLoopFrame();
        break;
    case 18:
        timedButton();
        break;
    default:
        break;
    }
}

void Form1::Form_KeyDown(int key) {
    switch (key) {
    case Qt::Key_F4:
        openAddPanel();
        // Like typing: the pasted number starts the courier detection.
        Text3->setCurrentText(QGuiApplication::clipboard()->text());
        break;
    case Qt::Key_F5:
        openEditPanel();
        break;
    case Qt::Key_F6:
        clearBook();
        break;
    case Qt::Key_F7:
        openSearchPanel();
        break;
    case Qt::Key_F8:
        refreshBook();
        break;
    case Qt::Key_F9:
        hideAllPanels();
        showPanel(1);
        break;
    case Qt::Key_F10:
        exportList();
        break;
    case Qt::Key_F11:
        if (m_platform.dialogs.MsgBox(QStringLiteral("确定要执行初始化吗?"),
                                      Mb::YesNo + Mb::Information, BoxTitle) == Mb::Yes)
            csh();
        break;
    case Qt::Key_Escape:
        hideAllPanels();
        break;
    case Qt::Key_F12:
        openCourierList(0);
        break;
    default:
        break;
    }
}

void Form1::Image2_Click(int index) {
    // The toolbar shows at most the one panel its action opens.
    for (QFrame* p : kdmenu) {
        p->setVisible(false);
        p->raise();
    }
    switch (index) {
    case 1:
        openEditPanel();
        break;
    case 2:
        clearBook();
        break;
    case 3:
        openAddPanel();
        break;
    case 4:
        openSearchPanel();
        break;
    case 5:
        refreshBook();
        break;
    case 6:
        openCourierList(0);
        break;
    case 7:
        exportList();
        break;
    default:
        break;
    }
}

bool Form1::refreshBook() {
    if (!sX()) return false; // the status line says why
    ListView1->clear();
    const bool query = options->on(Switch::QueryFirst) && Text1->count() > 0;
    if (query) selectListIndex(0);
    setStatus(QStringLiteral("快递列表已刷新.."));
    return query;
}
