// The daily backup of the parcel book: db/backup/kd100-YYYYMMDD.db beside the
// store, made after a start whose integrity check passed; the newest seven
// are kept.
#pragma once

#include <QDate>
#include <QString>

class Store;

constexpr int BackupsKept = 7;

QString backupPath(const QString& programFolder, const QDate& day);

// The newest backup file (by its date), or an empty text when there is none.
QString newestBackup(const QString& programFolder);

// Makes the backup of `today` unless it exists, then removes all but the
// newest BackupsKept. False when the copy could not be made.
bool keepDailyBackup(Store& store, const QString& programFolder, const QDate& today);
