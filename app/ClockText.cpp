#include "app/ClockText.h"

QString clockText(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}
