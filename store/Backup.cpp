#include "store/Backup.h"
#include "store/Store.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {
QString backupFolder(const QString& programFolder) {
    return programFolder + QStringLiteral("/db/backup");
}

// The backups present, oldest first (the date in the name sorts as text).
QStringList backups(const QString& programFolder) {
    static const QRegularExpression name(QStringLiteral("^kd100-\\d{8}\\.db$"));
    QStringList found;
    for (const QString& f : QDir(backupFolder(programFolder))
                                .entryList({QStringLiteral("kd100-*.db")}, QDir::Files, QDir::Name))
        if (name.match(f).hasMatch()) found << f;
    return found;
}
} // namespace

QString backupPath(const QString& programFolder, const QDate& day) {
    return backupFolder(programFolder) + QStringLiteral("/kd100-") +
           day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".db");
}

QString newestBackup(const QString& programFolder) {
    const QStringList found = backups(programFolder);
    return found.isEmpty() ? QString() : backupFolder(programFolder) + '/' + found.constLast();
}

bool keepDailyBackup(Store& store, const QString& programFolder, const QDate& today) {
    const QString target = backupPath(programFolder, today);
    if (!QFile::exists(target)) {
        if (!QDir().mkpath(backupFolder(programFolder))) return false;
        // Written under a temporary name first, so a copy cut short never
        // looks like a finished backup.
        const QString part = target + QStringLiteral(".part");
        QFile::remove(part);
        if (!store.copyTo(part) || !QFile::rename(part, target)) {
            QFile::remove(part);
            return false;
        }
    }
    const QStringList found = backups(programFolder);
    for (qsizetype i = 0; i + BackupsKept < found.size(); ++i)
        QFile::remove(backupFolder(programFolder) + '/' + found[i]);
    return true;
}
