// Re-fetching the current parcel: its stored count goes back to 0 and it is
// queried afresh, so every entry counts as new.
#include "app/Form1.h"
#include "platform/Platform.h"
#include "store/Store.h"

#include <QComboBox>
#include <QFrame>

void Form1::Command5_Click() {
    if (m_platform.dialogs.MsgBox(QStringLiteral("此操作将清空快递数据,并重新进行获取,是否继续?"),
                                  Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes)
        return;
    const qint64 id = cur.id;
    if (id == 0 || !m_store->setParcelNum(id, QStringLiteral("0"))) {
        const auto row = id ? m_store->parcelById(id) : Read<std::optional<ParcelRow>>{{}};
        if (!row.failed() && !*row) return; // the parcel is gone: nothing to re-fetch
        m_platform.dialogs.MsgBox(
            QStringLiteral("初始化失败!快递数据库暂时无法写入,请稍后再试..\n \n原因：") +
                m_store->lastError(),
            Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    m_platform.dialogs.MsgBox(QStringLiteral("初始化成功!"), Mb::OkOnly + Mb::Information,
                              BoxTitle);
    const int index = cur.index.toInt();
    Text1_Click();
    // The entry shows the goods as stored, not an unsaved edit of the panel.
    if (index >= 0 && index < Text1->count()) {
        Text1->setItemText(index, cur.goods);
        selectListIndex(index);
    }
}
