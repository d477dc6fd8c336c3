// Setting the computer's clock from a web server's HTTP Date header.
#include "app/Form1.h"
#include "platform/Endpoints.h"
#include "platform/Platform.h"
#include "services/NetTime.h"

#include <QPushButton>

namespace {
const QString Title = QStringLiteral("提示");
}

void Form1::Command3_Click() {
    Command3->setEnabled(false);
    if (GetBody(m_endpoints->probePage).isEmpty())
        m_platform.dialogs.MsgBox(QStringLiteral("时间校准功能需要联网操作!"),
                                  Mb::OkOnly + Mb::Information, Title);
    else
        ctime();
    Command3->setEnabled(true);
}

// One reading, set as the one instant it names: the local clock then shows
// China Standard Time on a machine in China, the Date header plus 8 hours.
void Form1::ctime() {
    const auto fail = [this](const QString& why) {
        m_platform.dialogs.MsgBox(QStringLiteral("时间校对失败!") + why,
                                  Mb::OkOnly + Mb::Information, Title);
    };
    const std::optional<QByteArray> header = m_platform.http.headDate(m_endpoints->timeSource);
    if (!header) return fail(QStringLiteral("时间服务器没有给出时间(没有 Date 头)"));
    const std::optional<QDateTime> instant = parseHttpDate(*header);
    if (!instant)
        return fail(QStringLiteral("时间服务器给出的不是时间：") + QString::fromLatin1(*header));
    if (const std::optional<QString> refused = m_platform.clock.set(*instant))
        return fail(*refused);
    m_platform.dialogs.MsgBox(QStringLiteral("时间校对成功!"), Mb::OkOnly + Mb::Information, Title);
}
