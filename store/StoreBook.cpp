// The book's light reads for a big book, many parcels stored at once, and the
// parcels put away (archived) and brought back.
#include "store/Select.h"
#include "store/Store.h"

using store::first;
using store::select;

Read<QList<qint64>> Store::bookIds() {
    return select<qint64>(
        m_connection,
        QStringLiteral("SELECT id FROM kd100 WHERE id NOT IN (SELECT parcel FROM "
                       "archive) ORDER BY id"),
        QVariant(), [](const QSqlQuery& q) { return q.value(0).toLongLong(); }, m_error);
}

Read<QString> Store::goodsOf(qint64 id) {
    const auto goods = first(select<QString>(
        m_connection, QStringLiteral("SELECT goods FROM kd100 WHERE id = ?"), id,
        [](const QSqlQuery& q) { return q.value(0).toString(); }, m_error));
    if (goods.failed()) return Read<QString>::failure(goods.error());
    return goods->value_or(QString());
}

bool Store::addParcels(const QList<NewParcel>& parcels) {
    QList<std::pair<QString, QVariantList>> statements;
    statements.reserve(parcels.size());
    for (const NewParcel& p : parcels)
        statements.append(
            {QStringLiteral("INSERT INTO kd100 (company, number, goods, num) VALUES (?, ?, ?, '')"),
             {p.company, p.number, p.goods}});
    return execAll(statements, !statements.isEmpty());
}

bool Store::archiveParcel(qint64 id, const QString& at) {
    return exec(QStringLiteral("INSERT OR REPLACE INTO archive (parcel, at) SELECT id, ? FROM "
                               "kd100 WHERE id = ?"),
                {at, id}, true);
}

bool Store::unarchiveParcel(qint64 id, const QString& at) {
    return execAll({{QStringLiteral("DELETE FROM archive WHERE parcel = ?"), {id}},
                    {QStringLiteral("UPDATE signed SET at = ? WHERE parcel = ?"), {at, id}}},
                   false);
}

bool Store::noteSigned(qint64 id, const QString& at) {
    return exec(QStringLiteral("INSERT OR IGNORE INTO signed (parcel, at) SELECT id, ? FROM kd100 "
                               "WHERE id = ?"),
                {at, id}, false);
}

bool Store::forgetSigned(qint64 id) {
    return exec(QStringLiteral("DELETE FROM signed WHERE parcel = ?"), {id}, false);
}

Read<int> Store::archiveSignedBefore(const QString& before, const QString& at) {
    const auto due = select<qint64>(
        m_connection,
        QStringLiteral("SELECT parcel FROM signed WHERE at < ? AND parcel NOT IN (SELECT parcel "
                       "FROM archive) AND parcel IN (SELECT id FROM kd100)"),
        before, [](const QSqlQuery& q) { return q.value(0).toLongLong(); }, m_error);
    if (due.failed()) return Read<int>::failure(due.error());
    if (due->isEmpty()) return 0;
    QList<std::pair<QString, QVariantList>> statements;
    for (qint64 id : *due)
        statements.append(
            {QStringLiteral("INSERT OR REPLACE INTO archive (parcel, at) VALUES (?, ?)"),
             {id, at}});
    if (!execAll(statements, false)) return Read<int>::failure(m_error);
    return int(due->size());
}
