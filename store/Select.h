// The store's reads, shared by its files: one SELECT with its bound values
// turned into rows, and the first row of a read.
#pragma once

#include "store/Store.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace store {
template <class T> Read<std::optional<T>> first(const Read<QList<T>>& rows) {
    if (rows.failed()) return Read<std::optional<T>>::failure(rows.error());
    if (rows->isEmpty()) return std::optional<T>();
    return std::optional<T>(rows->first());
}

// Runs one SELECT with its bound value and turns every row into T. A failure
// while preparing, running or stepping through the rows is a failed read.
// A list of values binds one placeholder each.
template <class T, class From>
Read<QList<T>> select(const QString& connection, const QString& sql, const QVariant& value,
                      From from, QString& lastError) {
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    q.prepare(sql);
    if (value.typeId() == QMetaType::QVariantList)
        for (const QVariant& v : value.toList())
            q.addBindValue(v);
    else if (value.isValid())
        q.addBindValue(value);
    QList<T> rows;
    if (q.exec())
        while (q.next())
            rows << from(q);
    if (q.lastError().isValid()) {
        lastError = q.lastError().text();
        return Read<QList<T>>::failure(lastError);
    }
    return rows;
}
} // namespace store
