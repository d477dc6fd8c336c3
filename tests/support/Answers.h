// Tracking answers in the service's own form, for every test: the entries
// newest first, each with its time twice (time and ftime).
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// An answer with these (time, text) entries; extra goes into each entry's
// object after its text (",\"updatetime\":\"x\""); a state, when given, is
// the service's state of the parcel ("501").
inline QByteArray answerOf(const QList<QPair<QString, QString>>& entries,
                           const QString& extra = QString(), const QString& state = QString()) {
    QString data;
    for (const auto& [time, context] : entries)
        data += QStringLiteral("%1{\"time\":\"%2\",\"ftime\":\"%2\",\"context\":\"%3\"%4}")
                    .arg(data.isEmpty() ? QString() : QStringLiteral(","), time, context, extra);
    const QString stateKey =
        state.isEmpty() ? QString() : QStringLiteral("\"state\":\"%1\",").arg(state);
    return QStringLiteral("{\"message\":\"ok\",\"errCode\":\"0\",%1\"data\":[%2]}")
        .arg(stateKey, data)
        .toUtf8();
}

// A parcel's way in count entries, one a day at time from day 1 of month
// ("2026-01") on: entry i reads older (its %1 is i), the newest reads newest
// when one is given.
inline QByteArray journey(int count, const QString& newest = QString(),
                          const QString& older = QStringLiteral("第%1站"),
                          const QString& month = QStringLiteral("2026-01"),
                          const QString& time = QStringLiteral("08:00:00")) {
    QList<QPair<QString, QString>> list;
    for (int i = count; i >= 1; --i) {
        const QString text = older.contains(QStringLiteral("%1")) ? older.arg(i) : older;
        list.append({QStringLiteral("%1-%2 %3").arg(month).arg(i, 2, 10, QChar(u'0')).arg(time),
                     i == count && !newest.isNull() ? newest : text});
    }
    return answerOf(list);
}
