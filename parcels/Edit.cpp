// The edit panel: changing the current parcel's number, courier and goods,
// deleting it, and copying its three-line description.
#include "app/Form1.h"
#include "couriers/AutoNumber.h"
#include "parcels/BookText.h"
#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString StoreRefused = QStringLiteral("快递数据库暂时无法写入,请稍后再试..\n \n原因：");
}

void Form1::openEditPanel() {
    if (Text1->currentText().isEmpty()) {
        setStatus(QStringLiteral("请先选择快递.."));
        return;
    }
    Text4->setText(cur.number);
    Command1[8]->setText(cur.company);
    Text6->setText(Text1->currentText());
    showPanel(2);
    m_defaultButton[2] = Command1[9];
}

void Form1::Text4_Change() {
    if (!isNumberText(Text4->text())) Text4->clear();
}

void Form1::changeParcel() {
    const auto notice = [this](const QString& text) {
        m_platform.dialogs.MsgBox(text, Mb::OkOnly + Mb::Information, BoxTitle);
    };
    if (Text4->text().isEmpty()) return notice(QStringLiteral("请输入单号!"));
    if (Command1[8]->text() == QStringLiteral("请选择快递公司"))
        return notice(QStringLiteral("请选择快递公司!"));
    if (Text6->text().isEmpty()) return notice(QStringLiteral("请输入物品信息!"));
    if (m_platform.dialogs.MsgBox(QStringLiteral("确定要修改[") + Text1->currentText() +
                                      QStringLiteral("]此单号码?"),
                                  Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes)
        return;
    const QString goods = Text6->text();
    const int index = cur.index.toInt();
    const auto row = m_store->parcelById(cur.id);
    if (row.failed()) {
        m_platform.dialogs.MsgBox(QStringLiteral("快递信息修改失败!") + StoreRefused + row.error(),
                                  Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    if (!*row) {
        // Nothing was stored, so the selector keeps the entry's old text.
        notice(QStringLiteral("信息数据不存在!"));
        kdmenu[2]->setVisible(false);
        return;
    }
    if (!m_store->updateParcel((*row)->id, Command1[8]->text(), goods, Text4->text())) {
        m_platform.dialogs.MsgBox(QStringLiteral("快递信息修改失败!") + StoreRefused +
                                      m_store->lastError(),
                                  Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    notice(QStringLiteral("快递信息修改成功!"));
    Text1_Click();
    if (index >= 0 && index < Text1->count()) {
        Text1->setItemText(index, goods);
        selectListIndex(index);
    }
    kdmenu[2]->setVisible(false);
}

void Form1::copyParcel() {
    if (Text1->currentText().isEmpty()) {
        setStatus(QStringLiteral("请先选择快递.."));
        return;
    }
    QApplication::clipboard()->setText(parcelDescription(cur.goods, cur.company, cur.number));
    setStatus(QStringLiteral("当前快递信息已复制.."));
}

void Form1::deleteParcel() {
    if (m_platform.dialogs.MsgBox(QStringLiteral("确定要删除[") + Text1->currentText() +
                                      QStringLiteral("]此单号码?"),
                                  Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes)
        return;
    const qint64 id = cur.id;
    if (id == 0 || !m_store->deleteParcel(id)) {
        m_platform.dialogs.MsgBox(
            QStringLiteral("快递信息删除失败!该快递可能已不在快递列表中,或快递数据库暂时无法写入"),
            Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    m_platform.dialogs.MsgBox(QStringLiteral("快递信息已删除!"), Mb::OkOnly + Mb::Information,
                              BoxTitle);
    const bool refilled = sX();
    kdmenu[2]->setVisible(false);
    if (refilled && options->on(Switch::QueryFirst) && Text1->count() > 0) selectListIndex(0);
}
