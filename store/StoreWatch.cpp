// The store's tables this version adds: what the whole-book watch remembers
// and its options, the kept answers and paused numbers of the tracking
// service, the parcels' phones.
#include "store/Select.h"
#include "store/Store.h"

using store::first;
using store::select;

namespace {
WatchRow watchFrom(const QSqlQuery& q) {
    return {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
            q.value(3).toString(), q.value(4).toInt()};
}
const QString WatchColumns =
    QStringLiteral("SELECT parcel, entries, answered, state, notified FROM watch ");
} // namespace

Read<QList<WatchRow>> Store::watchRows() {
    return select<WatchRow>(m_connection, WatchColumns + QStringLiteral("ORDER BY parcel"),
                            QVariant(), watchFrom, m_error);
}

Read<QList<std::pair<qint64, bool>>> Store::watchedParcels(const QStringList& doneStates) {
    const auto from = [](const QSqlQuery& q) {
        return std::pair<qint64, bool>(q.value(0).toLongLong(), q.value(1).toBool());
    };
    QStringList marks;
    QVariantList values;
    for (const QString& state : doneStates) {
        marks << QStringLiteral("?");
        values << state;
    }
    return select<std::pair<qint64, bool>>(
        m_connection,
        QStringLiteral("SELECT kd100.id, coalesce(watch.state IN (%1), 0) FROM kd100 LEFT JOIN "
                       "watch ON watch.parcel = kd100.id WHERE kd100.id NOT IN (SELECT parcel FROM "
                       "archive) ORDER BY kd100.id")
            .arg(marks.isEmpty() ? QStringLiteral("NULL") : marks.join(u',')),
        values, from, m_error);
}

Read<std::optional<WatchRow>> Store::watchRow(qint64 parcel) {
    return first(select<WatchRow>(m_connection, WatchColumns + QStringLiteral("WHERE parcel = ?"),
                                  parcel, watchFrom, m_error));
}

bool Store::saveWatch(const WatchRow& row) {
    return exec(QStringLiteral("INSERT OR REPLACE INTO watch (parcel, entries, answered, state, "
                               "notified) SELECT id, ?, ?, ?, ? FROM kd100 WHERE id = ?"),
                {row.entries, row.answered, row.state, row.notified, row.parcel}, true);
}

Read<QList<BookEntry>> Store::bookEntries() {
    // The remembered answer's entry count is the length of its JSON array.
    const auto entryFrom = [](const QSqlQuery& q) {
        const QString num = q.value(3).toString().trimmed();
        return BookEntry{q.value(4).toLongLong(), q.value(0).toString(), q.value(1).toString(),
                         q.value(2).toInt(), num.isEmpty() ? -1 : int(num.toLongLong())};
    };
    return select<BookEntry>(
        m_connection,
        QStringLiteral("SELECT kd100.goods, coalesce(watch.state, ''), "
                       "coalesce(json_array_length(nullif(watch.entries, '')), 0), "
                       "kd100.num, kd100.id FROM kd100 LEFT JOIN watch ON "
                       "watch.parcel = kd100.id WHERE kd100.id NOT IN (SELECT parcel FROM "
                       "archive) ORDER BY kd100.id"),
        QVariant(), entryFrom, m_error);
}

Read<std::optional<QString>> Store::watchOption(const QString& name) {
    const auto valueFrom = [](const QSqlQuery& q) { return q.value(0).toString(); };
    return first(select<QString>(m_connection,
                                 QStringLiteral("SELECT value FROM watchoption WHERE name = ?"),
                                 name, valueFrom, m_error));
}

bool Store::setWatchOption(const QString& name, const QString& value) {
    return exec(QStringLiteral("INSERT OR REPLACE INTO watchoption (name, value) VALUES (?, ?)"),
                {name, value}, true);
}

Read<std::optional<KeptAnswer>> Store::keptAnswer(const QString& com, const QString& number) {
    const auto from = [](const QSqlQuery& q) {
        return KeptAnswer{q.value(0).toString(), q.value(1).toString()};
    };
    return first(select<KeptAnswer>(
        m_connection,
        QStringLiteral("SELECT body, answered FROM answer WHERE com = ? AND number = ?"),
        QVariantList{com, number}, from, m_error));
}

bool Store::keepAnswer(const QString& com, const QString& number, const KeptAnswer& answer) {
    return exec(QStringLiteral("INSERT OR REPLACE INTO answer (com, number, body, answered) "
                               "VALUES (?, ?, ?, ?)"),
                {com, number, answer.body, answer.answered}, true);
}

Read<std::optional<PausedNumber>> Store::pausedNumber(const QString& com, const QString& number) {
    const auto from = [](const QSqlQuery& q) {
        return PausedNumber{q.value(0).toString(), q.value(1).toInt(), q.value(2).toString()};
    };
    return first(select<PausedNumber>(
        m_connection,
        QStringLiteral("SELECT until, failures, reason FROM pause WHERE com = ? AND number = ?"),
        QVariantList{com, number}, from, m_error));
}

bool Store::pauseNumber(const QString& com, const QString& number, const PausedNumber& pause) {
    return exec(
        QStringLiteral("INSERT OR REPLACE INTO pause (com, number, until, failures, "
                       "reason) VALUES (?, ?, ?, ?, ?)"),
        {com, number, pause.until, pause.failures, pause.reason.isNull() ? "" : pause.reason},
        true);
}

bool Store::unpauseNumber(const QString& com, const QString& number) {
    return exec(QStringLiteral("DELETE FROM pause WHERE com = ? AND number = ?"), {com, number},
                false);
}

void Store::releaseMemory() {
    QSqlQuery(QSqlDatabase::database(m_connection, false))
        .exec(QStringLiteral("PRAGMA shrink_memory"));
}

bool Store::forgetAnswers(const QString& before) {
    return execAll({{QStringLiteral("DELETE FROM answer WHERE answered < ?"), {before}},
                    {QStringLiteral("DELETE FROM pause WHERE until < ?"), {before}}},
                   false);
}

Read<QString> Store::parcelPhone(qint64 parcel) {
    const auto from = [](const QSqlQuery& q) { return q.value(0).toString(); };
    const auto rows = select<QString>(
        m_connection, QStringLiteral("SELECT phone FROM parcelphone WHERE parcel = ?"), parcel,
        from, m_error);
    if (rows.failed()) return Read<QString>::failure(rows.error());
    return rows->value(0);
}

bool Store::setParcelPhone(qint64 parcel, const QString& phone) {
    return exec(QStringLiteral("INSERT OR REPLACE INTO parcelphone (parcel, phone) SELECT id, ? "
                               "FROM kd100 WHERE id = ?"),
                {phone, parcel}, true);
}
