// Clearing the whole parcel book after two questions; the courier directory
// and the options stay.
#include "app/Form1.h"
#include "platform/Platform.h"
#include "store/Store.h"

#include <QComboBox>
#include <QTreeWidget>

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
    Text1->clear();
    ListView1->clear();
    setStatus(QStringLiteral("快递列表已清空..."));
}
