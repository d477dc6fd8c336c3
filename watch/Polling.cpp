#include "watch/Polling.h"

#include "platform/Platform.h"
#include "tracking/QuerySession.h"
#include "watch/Change.h"

#include <QTimer>
#include <utility>

Polling::Polling(QuerySession& session, Dialogs& dialogs, SystemClock& clock, QObject* parent)
    : QObject(parent), m_session(session), m_dialogs(dialogs), m_clock(clock) {
    Timer4 = new QTimer(this);
    Timer4->setObjectName(QStringLiteral("Timer4"));
    Timer4->setInterval(1000);
    Timer6 = new QTimer(this);
    Timer6->setObjectName(QStringLiteral("Timer6"));
    Timer6->setInterval(60000);
    connect(Timer4, &QTimer::timeout, this, &Polling::Timer4_Timer);
    connect(Timer6, &QTimer::timeout, this, &Polling::Timer6_Timer);
}

Polling::~Polling() {
    Timer4->stop();
    Timer6->stop();
}

// The checks both functions make before they start; the first that fails is
// the one the user sees.
bool Polling::readyToPoll(const QString& notQueried, bool timeSet, const QString& noTime) {
    const auto notice = [this](const QString& text) {
        m_dialogs.MsgBox(text, Mb::OkOnly + Mb::Information, BoxTitle);
        return false;
    };
    const Reading& shown = m_session.shown();
    if (!chosen() || shown.entries.isEmpty()) return notice(notQueried);
    if (!timeSet) return notice(noTime);
    // Signed for, returned or cancelled: nothing more will come.
    if (shown.done())
        return notice(QStringLiteral("当前快递") + stateText(shown.state) +
                      QStringLiteral(",您不需要使用此功能"));
    return true;
}

void Polling::setMode(Mode mode) {
    m_mode = mode;
    emit modeChanged(mode);
}

void Polling::loopButton(const QString& interval) {
    if (m_mode != Mode::Loop) {
        if (!readyToPoll(QStringLiteral("请先查询单号后在使用本功能!"), !interval.isEmpty(),
                         QStringLiteral("请先设定时间!")))
            return;
        m_interval = interval.toInt();
        setMode(Mode::Loop);
        Timer6->start();
        loopTicks = 0;
        return;
    }
    setMode(Mode::Off);
    Timer6->stop();
    loopTicks = 0;
}

void Polling::Timer6_Timer() {
    ++loopTicks;
    if (m_interval > 0 && loopTicks >= m_interval) {
        emit due();
        loopTicks = 0;
    } else if (loopTicks >= 32767) {
        loopTicks = 0; // an interval that can never match must not overflow the count
    }
}

void Polling::timedButton(const QString& hour, const QString& minute) {
    if (m_mode != Mode::Timed) {
        if (!readyToPoll(QStringLiteral("请先查询单号后在使用定时功能!"),
                         !hour.isEmpty() && !minute.isEmpty(), QStringLiteral("请设定查询时间!")))
            return;
        m_hour = hour.toInt();
        m_minute = minute.toInt();
        setMode(Mode::Timed);
        m_timedLast = m_clock.now();
        Timer4->start();
        return;
    }
    setMode(Mode::Off);
    Timer4->stop();
}

void Polling::Timer4_Timer() {
    const QDateTime now = m_clock.now();
    const QDateTime last = std::exchange(m_timedLast, now);
    if (!timedQueryDue(last, now, m_hour, m_minute)) return;
    Timer4->stop(); // once: stopped before the query, whose wait lets ticks through
    emit due();
}

bool Polling::leaveLoop() {
    if (m_mode == Mode::Loop && m_dialogs.MsgBox(QStringLiteral("当前正在循环查询,是否终止?"),
                                                 Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes)
        return false;
    Timer6->stop();
    loopTicks = 0;
    setMode(m_mode == Mode::Loop ? Mode::Off : m_mode);
    return true;
}

bool Polling::leaveTimed() {
    if (m_mode == Mode::Timed && m_dialogs.MsgBox(QStringLiteral("当前正在定时查询,是否终止?"),
                                                  Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes)
        return false;
    Timer4->stop();
    setMode(m_mode == Mode::Timed ? Mode::Off : m_mode);
    return true;
}
