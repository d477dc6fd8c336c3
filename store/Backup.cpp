#include "store/Backup.h"
#include "store/Place.h"
#include "store/Store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {
QString backupFolder(const QString& programFolder) {
    return programFolder + QStringLiteral("/db/backup");
}

// The backups present, the one written first first.
QFileInfoList backups(const QString& programFolder) {
    static const QRegularExpression name(QStringLiteral("^kd100-\\d{8}\\.db$"));
    QFileInfoList found;
    for (const QFileInfo& f : QDir(backupFolder(programFolder))
                                  .entryInfoList({QStringLiteral("kd100-*.db")}, QDir::Files))
        if (name.match(f.fileName()).hasMatch()) found << f;
    std::sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const QDateTime at = a.lastModified(), bt = b.lastModified();
        return at != bt ? at < bt : a.fileName() < b.fileName();
    });
    return found;
}
} // namespace

QString backupPath(const QString& programFolder, const QDate& day) {
    return backupFolder(programFolder) + QStringLiteral("/kd100-") +
           day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".db");
}

QString newestBackup(const QString& programFolder, const QDate& today) {
    const QString latest = QStringLiteral("kd100-") + today.toString(QStringLiteral("yyyyMMdd"));
    const QFileInfoList found = backups(programFolder);
    for (auto it = found.crbegin(); it != found.crend(); ++it)
        if (it->completeBaseName() <= latest) return it->absoluteFilePath();
    return QString();
}

std::optional<QString> keepDailyBackup(Store& store, const QString& programFolder,
                                       const QDate& today) {
    const QString target = backupPath(programFolder, today);
    if (!QFile::exists(target)) {
        const QString folder = backupFolder(programFolder);
        if (!makePrivateFolder(folder))
            return QStringLiteral("无法创建备份文件夹 ") + QDir::toNativeSeparators(folder);
        // Written under a temporary name first, so a copy cut short never
        // looks like a finished backup.
        const QString part = target + QStringLiteral(".part");
        if (!store.copyPrivately(part)) return store.lastError();
        if (!QFile::rename(part, target)) {
            QFile::remove(part);
            return QStringLiteral("备份文件无法改名为 ") + QDir::toNativeSeparators(target);
        }
    }
    const QFileInfoList found = backups(programFolder);
    for (qsizetype i = 0; i + BackupsKept < found.size(); ++i)
        QFile::remove(found[i].absoluteFilePath());
    return std::nullopt;
}
