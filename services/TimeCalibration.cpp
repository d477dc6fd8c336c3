#include "services/TimeCalibration.h"

#include "platform/Platform.h"
#include "services/NetTime.h"

namespace {
const QString Title = QStringLiteral("提示");
}

TimeCalibration::TimeCalibration(Http& http, Dialogs& dialogs, SystemClock& clock,
                                 QString probePage, QString timeSource)
    : m_http(http), m_dialogs(dialogs), m_clock(clock), m_probe(std::move(probePage)),
      m_source(std::move(timeSource)) {}

void TimeCalibration::run() {
    if (bodyText(m_http.get(m_probe)).isEmpty())
        m_dialogs.MsgBox(QStringLiteral("时间校准功能需要联网操作!"), Mb::OkOnly + Mb::Information,
                         Title);
    else
        ctime();
}

// One reading, set as the one instant it names: the local clock then shows
// China Standard Time on a machine in China, the Date header plus 8 hours.
void TimeCalibration::ctime() {
    const auto fail = [this](const QString& why) {
        m_dialogs.MsgBox(QStringLiteral("时间校对失败!") + why, Mb::OkOnly + Mb::Information,
                         Title);
    };
    const std::optional<QByteArray> header = m_http.headDate(m_source);
    if (!header) return fail(QStringLiteral("时间服务器没有给出时间(没有 Date 头)"));
    const std::optional<QDateTime> instant = parseHttpDate(*header);
    if (!instant)
        return fail(QStringLiteral("时间服务器给出的不是时间：") + QString::fromLatin1(*header));
    if (const std::optional<QString> refused = m_clock.set(*instant)) return fail(*refused);
    m_dialogs.MsgBox(QStringLiteral("时间校对成功!"), Mb::OkOnly + Mb::Information, Title);
}
