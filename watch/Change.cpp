#include "watch/Change.h"

qint64 leadingNumber(const QString& text) {
    int i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    qint64 value = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        if (value > 100000000000LL) break; // far beyond any count; stop before overflowing
        value = value * 10 + (text[i].unicode() - '0');
    }
    return negative ? -value : value;
}

ChangeOutcome judgeChange(QString& baseline, int newCount, ParcelState state) {
    if (baseline.isEmpty()) baseline = QString::number(newCount);
    const bool over = finished(state);
    if (leadingNumber(baseline) < newCount && !over) return ChangeOutcome::Updated;
    return over ? ChangeOutcome::Finished : ChangeOutcome::NoUpdate;
}

bool timedQueryDue(const QDateTime& last, const QDateTime& now, int hour, int minute) {
    if (now.time().hour() == hour && now.time().minute() == minute) return true;
    const QDateTime set(now.date(), QTime(hour, minute));
    return last.isValid() && now.time().hour() == hour && last < set && set <= now;
}
