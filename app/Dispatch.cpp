// The window's commands: the function keys (seen by the window before the
// control that has the focus, which still gets them), the toolbar, Enter for
// the panels' default buttons, and the book's refresh, clearing and export.
#include "app/Form1.h"
#include "parcels/AddPanel.h"
#include "parcels/BookText.h"
#include "platform/Controls.h"
#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/QuerySession.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QSaveFile>
#include <QTreeWidget>

namespace {
// Watches every key press of the application and hands those of one window
// to it before they reach their control, once each. A key is seen once,
// where it starts: its way up through the parents of an uninterested control
// is the same key, not a second one, whatever the boxes it opened did to the
// focus meanwhile. Its release ends its way: a later press is a new key even
// where its event takes the same place in memory.
class KeyPreview : public QObject {
public:
    using Handler = std::function<bool(QWidget* where, int key)>;
    KeyPreview(QWidget* window, Handler pressed) : QObject(window), m_pressed(std::move(pressed)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        auto* w = qobject_cast<QWidget*>(receiver);
        if (!w || w->window() != parent()) return false;
        const int key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease
                            ? static_cast<QKeyEvent*>(event)->key()
                            : 0;
        if (event->type() == QEvent::KeyRelease) {
            if (m_event && m_start && key == m_key) m_event = nullptr;
            return false;
        }
        if (event->type() != QEvent::KeyPress) return false;
        if (event == m_event && m_start && w != m_start && w->isAncestorOf(m_start)) return false;
        m_event = event;
        m_start = w;
        m_key = key;
        return m_pressed(w, key);
    }

private:
    Handler m_pressed;
    const QEvent* m_event = nullptr; // the key press acted on last
    QPointer<QWidget> m_start;       // where it started
    int m_key = 0;
};
} // namespace

void Form1::installKeyPreview() {
    new KeyPreview(this, [this](QWidget* w, int key) { return keyPreview(w, key); });
}

bool Form1::keyPreview(QWidget* w, int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Enter in a panel presses the panel's default button, unless another
        // button has the focus.
        for (Panel* p : m_panels)
            if (p->defaultButton() && p->isVisible() && p->isAncestorOf(w) &&
                !qobject_cast<QPushButton*>(w)) {
                p->defaultButton()->click();
                return true;
            }
        return false;
    }
    Form_KeyDown(key);
    return false;
}

void Form1::Form_KeyDown(int key) {
    switch (key) {
    case Qt::Key_F4:
        openAddPanel();
        // Like typing: the pasted number starts the courier detection.
        m_add->paste(QGuiApplication::clipboard()->text());
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
            m_session->csh();
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
    if (!refill()) return false; // the status line says why
    ListView1->clear();
    const bool query = m_options->on(Switch::QueryFirst) && Text1->count() > 0;
    if (query) choose(0);
    setStatus(QStringLiteral("快递列表已刷新.."));
    return query;
}

// Clearing the whole parcel book after two questions; the courier directory
// and the options stay.
void Form1::clearBook() {
    const auto yes = [this](const QString& question) {
        return m_platform.dialogs.MsgBox(question, Mb::YesNo + Mb::Information, BoxTitle) ==
               Mb::Yes;
    };
    if (!yes(QStringLiteral("确定要清空快递列表吗?")) ||
        !yes(QStringLiteral("防误保护二次确认：确定要清空快递列表？")))
        return;
    setStatus(QStringLiteral("正在清空..."));
    if (!m_store->clearParcels()) {
        setStatus(QStringLiteral("快递列表清空失败!"));
        m_platform.dialogs.MsgBox(
            QStringLiteral("快递列表清空失败!快递数据库暂时无法写入,请稍后再试..\n \n原因：") +
                m_store->lastError(),
            Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    list({});
    ListView1->clear();
    setStatus(QStringLiteral("快递列表已清空..."));
}

// The progress list to a text file the user names: written whole under a
// temporary name, then put in the place of the old one, so a failed export
// leaves an existing file as it was.
void Form1::exportList() {
    const auto notice = [this](const QString& text, int icon = Mb::Information) {
        m_platform.dialogs.MsgBox(text, Mb::OkOnly + icon, BoxTitle);
    };
    if (ListView1->topLevelItemCount() == 0) return notice(QStringLiteral("没有可导出的数据!"));
    const std::optional<QString> chosen =
        m_platform.dialogs.saveFileName(QStringLiteral("(TXT文本)|*.txt"));
    if (!chosen) return setStatus(QStringLiteral("已取消保存"));
    if (ListView1->topLevelItemCount() == 0) { // emptied by a query while the dialog was open
        notice(QStringLiteral("没有可导出的数据!"));
        return setStatus(QStringLiteral("没有可导出的数据.."));
    }
    QList<QStringList> rows;
    for (int r = 0; r < ListView1->topLevelItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < ListView1->columnCount(); ++c)
            cells << ListView1->topLevelItem(r)->text(c);
        rows << cells;
    }
    QSaveFile file(withTxtExtension(*chosen));
    if (!file.open(QIODevice::WriteOnly) || file.write(exportBytes(rows)) < 0 || !file.commit()) {
        notice(QStringLiteral("导出失败!") + file.errorString(), Mb::Exclamation);
        return setStatus(QStringLiteral("导出失败!"));
    }
    notice(QStringLiteral("成功导出全部数据!"));
    setStatus(QStringLiteral("成功导出全部数据.."));
}
