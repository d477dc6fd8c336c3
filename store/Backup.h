// The daily backup of the parcel book: db/backup/kd100-YYYYMMDD.db beside the
// store, made after a start whose integrity check passed; the newest seven
// (by the time they were written) are kept. Backups and their folder are
// readable by the user alone.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

class Store;

constexpr int BackupsKept = 7;

QString backupPath(const QString& programFolder, const QDate& day);

// The backup written last whose date is not after today (one named for a
// later day was made while the clock was ahead), or an empty text when there
// is none.
QString newestBackup(const QString& programFolder, const QDate& today);

// Makes the backup of `today` unless it exists, then removes all but the
// BackupsKept written last. Nothing when it was made (or was there), else
// the reason it could not be.
std::optional<QString> keepDailyBackup(Store& store, const QString& programFolder,
                                       const QDate& today);
