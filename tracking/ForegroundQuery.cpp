#include "tracking/ForegroundQuery.h"

#include <QTimer>

namespace {
constexpr int WatchdogLimit = 10; // ticks of one second
}

ForegroundQuery::ForegroundQuery(QTimer* watchdog, QObject* parent)
    : QObject(parent), m_watchdog(watchdog) {
    setObjectName(QStringLiteral("foregroundQuery"));
}

quint64 ForegroundQuery::start() {
    showBusy(true);
    restartWatchdog();
    return ++m_current;
}

void ForegroundQuery::holdWatchdog() {
    m_watchdog->stop();
}

void ForegroundQuery::restartWatchdog() {
    m_ticks = 0;
    m_watchdog->start();
}

bool ForegroundQuery::watchdogTick() {
    if (++m_ticks != WatchdogLimit) return false;
    m_watchdog->stop();
    m_ticks = 0;
    return true;
}

void ForegroundQuery::end(Unlock what) {
    showBusy(false);
    m_watchdog->stop();
    unlock(what);
}
