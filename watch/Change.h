#pragma once
#include "tracking/Answer.h"

#include <QDateTime>
#include <QString>

// The number at the start of a text, leading blanks skipped; 0 when the text
// does not start with a number (how a stored count is read).
qint64 leadingNumber(const QString& text);

enum class ChangeOutcome { Updated, NoUpdate, Finished };

// Compares the parcel's new entry count with its stored count. An empty
// baseline is first set to the new count, so a parcel with no stored count
// never alerts. A finished parcel (signed for, returned and signed for by
// its sender, cancelled) never counts as updated; every other state alerts
// on news.
ChangeOutcome judgeChange(QString& baseline, int newCount, ParcelState state);

// The timed query's moment: the clock reads the set hour and minute, or the
// set minute was jumped over since the last look (a resume from sleep, a
// clock set forward) and the clock still reads the set hour of that day.
// last is invalid before the first look.
bool timedQueryDue(const QDateTime& last, const QDateTime& now, int hour, int minute);
