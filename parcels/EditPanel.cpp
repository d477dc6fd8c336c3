#include "parcels/EditPanel.h"

#include "couriers/AutoNumber.h"
#include "parcels/BookText.h"
#include "parcels/ParcelSelector.h"
#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/QuerySession.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>

namespace {
const QString StoreRefused = QStringLiteral("快递数据库暂时无法写入,请稍后再试..\n \n原因：");
}

EditPanel::EditPanel(Store& store, Dialogs& dialogs, const Options& options, QuerySession& session,
                     ParcelSelector& selector, QWidget* parent)
    : Panel(QStringLiteral("kdmenu_2"), QStringLiteral("x_2"), tw(0, 0, 5295, 4095), 4800, 120,
            parent),
      m_store(store), m_dialogs(dialogs), m_options(options), m_session(session),
      m_selector(selector) {
    Label1 = title(QStringLiteral("Label1"), QStringLiteral("单号操作"));
    label(this, "Label_edit_number", QStringLiteral("快递单号："), QRect(24, 52, 70, 20));
    Text4 = lineEdit(this, "Text4", QRect(94, 48, 230, 26));
    label(this, "Label_edit_company", QStringLiteral("快递公司："), QRect(24, 92, 70, 20));
    Command1[8] =
        button(this, "Command1_8", QStringLiteral("请选择快递公司"), QRect(94, 88, 230, 28));
    label(this, "Label_edit_goods", QStringLiteral("物品信息："), QRect(24, 132, 70, 20));
    Text6 = lineEdit(this, "Text6", QRect(94, 128, 230, 26));
    Command1[9] = button(this, "Command1_9", QStringLiteral("修改"), QRect(24, 176, 92, 30));
    Command1[10] = button(this, "Command1_10", QStringLiteral("复制"), QRect(128, 176, 92, 30));
    Command1[11] = button(this, "Command1_11", QStringLiteral("删除"), QRect(232, 176, 92, 30));
    Command5 = button(this, "Command5", QStringLiteral("快递数据清空"), QRect(24, 220, 196, 30));
    Command8 = button(this, "Command8", QStringLiteral("归档"), QRect(232, 220, 92, 30));
    Command8->setToolTip(QStringLiteral("收起已签收的快递：不再显示在快递列表中,按F7搜索可找回"));
    connect(Text4, &QLineEdit::textChanged, this, &EditPanel::Text4_Change);
    connect(Command1[8], &QPushButton::clicked, this, [this] { emit courierListWanted(8); });
    connect(Command1[9], &QPushButton::clicked, this, &EditPanel::changeParcel);
    connect(Command1[10], &QPushButton::clicked, this, &EditPanel::copyParcel);
    connect(Command1[11], &QPushButton::clicked, this, &EditPanel::deleteParcel);
    connect(Command5, &QPushButton::clicked, this, &EditPanel::Command5_Click);
    connect(Command8, &QPushButton::clicked, this, &EditPanel::archiveParcel);
}

// The parcel leaves the selector, the count at start and the watch; the
// store keeps it, and a search finds it again.
void EditPanel::archiveParcel() {
    const qint64 id = m_session.current().id;
    if (m_selector.chosenText().isEmpty() || id == 0) {
        emit status(QStringLiteral("请先选择快递.."));
        return;
    }
    if (!m_store.archiveParcel(
            id, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))) {
        m_dialogs.MsgBox(QStringLiteral("归档失败!该快递可能已不在快递列表中,或") + StoreRefused +
                             m_store.lastError(),
                         Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    emit status(QStringLiteral("[%1]已归档,按F7搜索可找回..").arg(m_session.current().goods));
    const bool refilled = m_selector.refill();
    setVisible(false);
    if (refilled && m_options.on(Switch::QueryFirst) && m_selector.count() > 0)
        m_selector.choose(0);
}

bool EditPanel::openEditPanel() {
    if (m_selector.chosenText().isEmpty()) {
        emit status(QStringLiteral("请先选择快递.."));
        return false;
    }
    Text4->setText(m_session.current().number);
    Command1[8]->setText(m_session.current().company);
    Text6->setText(m_selector.chosenText());
    return true;
}

void EditPanel::setCompany(const QString& name) {
    Command1[8]->setText(name);
}

void EditPanel::Text4_Change() {
    if (!isNumberText(Text4->text())) Text4->clear();
}

void EditPanel::changeParcel() {
    const auto notice = [this](const QString& text) {
        m_dialogs.MsgBox(text, Mb::OkOnly + Mb::Information, BoxTitle);
    };
    if (Text4->text().isEmpty()) return notice(QStringLiteral("请输入单号!"));
    if (Command1[8]->text() == QStringLiteral("请选择快递公司"))
        return notice(QStringLiteral("请选择快递公司!"));
    if (Text6->text().isEmpty()) return notice(QStringLiteral("请输入物品信息!"));
    if (m_dialogs.MsgBox(QStringLiteral("确定要修改[") + m_selector.chosenText() +
                             QStringLiteral("]此单号码?"),
                         Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes)
        return;
    const QString goods = Text6->text();
    const int index = m_selector.chosenIndex();
    const auto row = m_store.parcelById(m_session.current().id);
    if (row.failed()) {
        m_dialogs.MsgBox(QStringLiteral("快递信息修改失败!") + StoreRefused + row.error(),
                         Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    if (!*row) {
        // Nothing was stored, so the selector keeps the entry's old text.
        notice(QStringLiteral("信息数据不存在!"));
        setVisible(false);
        return;
    }
    if (!m_store.updateParcel((*row)->id, Command1[8]->text(), goods, Text4->text())) {
        m_dialogs.MsgBox(QStringLiteral("快递信息修改失败!") + StoreRefused + m_store.lastError(),
                         Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    notice(QStringLiteral("快递信息修改成功!"));
    m_selector.rechoose();
    if (index >= 0 && index < m_selector.count()) {
        m_selector.setEntryText(index, goods);
        m_selector.choose(index);
    }
    setVisible(false);
}

void EditPanel::copyParcel() {
    if (m_selector.chosenText().isEmpty()) {
        emit status(QStringLiteral("请先选择快递.."));
        return;
    }
    const QuerySession::Parcel& cur = m_session.current();
    QApplication::clipboard()->setText(parcelDescription(cur.goods, cur.company, cur.number));
    emit status(QStringLiteral("当前快递信息已复制.."));
}

void EditPanel::deleteParcel() {
    if (m_dialogs.MsgBox(QStringLiteral("确定要删除[") + m_selector.chosenText() +
                             QStringLiteral("]此单号码?"),
                         Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes)
        return;
    const qint64 id = m_session.current().id;
    if (id == 0 || !m_store.deleteParcel(id)) {
        m_dialogs.MsgBox(
            QStringLiteral("快递信息删除失败!该快递可能已不在快递列表中,或快递数据库暂时无法写入"),
            Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    m_dialogs.MsgBox(QStringLiteral("快递信息已删除!"), Mb::OkOnly + Mb::Information, BoxTitle);
    const bool refilled = m_selector.refill();
    setVisible(false);
    if (refilled && m_options.on(Switch::QueryFirst) && m_selector.count() > 0)
        m_selector.choose(0);
}

// Re-fetching: the stored count goes back to 0 and the parcel is queried
// afresh, so every entry counts as new.
void EditPanel::Command5_Click() {
    if (m_dialogs.MsgBox(QStringLiteral("此操作将清空快递数据,并重新进行获取,是否继续?"),
                         Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes)
        return;
    const qint64 id = m_session.current().id;
    if (id == 0 || !m_store.setParcelNum(id, QStringLiteral("0"))) {
        const auto row = id ? m_store.parcelById(id) : Read<std::optional<ParcelRow>>{{}};
        if (!row.failed() && !*row) return; // the parcel is gone: nothing to re-fetch
        m_dialogs.MsgBox(
            QStringLiteral("初始化失败!快递数据库暂时无法写入,请稍后再试..\n \n原因：") +
                m_store.lastError(),
            Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    m_dialogs.MsgBox(QStringLiteral("初始化成功!"), Mb::OkOnly + Mb::Information, BoxTitle);
    const int index = m_selector.chosenIndex();
    m_selector.rechoose();
    // The entry shows the goods as stored, not an unsaved edit of the panel.
    if (index >= 0 && index < m_selector.count()) {
        m_selector.setEntryText(index, m_session.current().goods);
        m_selector.choose(index);
    }
}
