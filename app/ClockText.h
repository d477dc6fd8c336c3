#pragma once
#include <QDateTime>
#include <QString>

// The status-row clock: year-month-day hour:minute:second, no leading zeros
// (2026-1-5 9:3:7).
QString clockText(const QDateTime& now);
