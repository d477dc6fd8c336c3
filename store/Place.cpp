#include "store/Place.h"

#include "store/Store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

QString bookIn(const QString& folder) {
    return folder + QStringLiteral("/db/kd100.db");
}

// The old book and what SQLite keeps beside it; its lock goes with its holder.
void removeBook(const QString& folder) {
    const QString book = bookIn(folder);
    for (const QString& suffix :
         {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(book + suffix);
    QDir(folder).rmdir(QStringLiteral("db/backup"));
}

// Backups the new folder lacks are moved; those it has are left where they are.
void moveBackups(const QString& from, const QString& to) {
    const QDir old(from + QStringLiteral("/db/backup"));
    if (!old.exists()) return;
    const QString target = to + QStringLiteral("/db/backup");
    if (!makePrivateFolder(target)) return;
    for (const QFileInfo& f : old.entryInfoList({QStringLiteral("kd100-*.db")}, QDir::Files)) {
        const QString moved = target + '/' + f.fileName();
        if (!QFile::exists(moved) && QFile::rename(f.absoluteFilePath(), moved))
            QFile::setPermissions(moved, OwnerOnly);
    }
}

// The digest of an open store, or nothing when it cannot be read.
std::optional<QByteArray> digestOf(Store& store, QString* error) {
    const auto digest = store.digest();
    if (digest.failed()) *error = digest.error();
    return digest.failed() ? std::nullopt : std::optional<QByteArray>(*digest);
}

// The digest of the store at path, after it opened and passed its check.
std::optional<QByteArray> checkedDigest(const QString& path, QString* error) {
    Store store(QStringLiteral("move-check"));
    if (store.open(path, 2000) == OpenResult::Ok) return digestOf(store, error);
    *error = store.lastError();
    return std::nullopt;
}

} // namespace

StorePlace storePlace(const QString& programFolder, const QString& dataFolder) {
    if (dataFolder.isEmpty()) return {programFolder, QString(), false};
    if (QFileInfo::exists(programFolder + '/' + InstalledMarker))
        return {dataFolder, QFileInfo::exists(bookIn(programFolder)) ? programFolder : QString(),
                true};
    const QFileInfo own(programFolder + QStringLiteral("/db"));
    if (own.isDir() && own.isWritable() && QFileInfo(programFolder).isWritable())
        return {programFolder, QString(), false};
    return {dataFolder, QString(), true};
}

bool makePrivateFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) return false;
    // A disk that keeps no modes (a FAT stick with a portable copy) still
    // takes the book.
    QFile::setPermissions(folder, OwnerOnly | QFile::ExeOwner);
    return true;
}

StoreMove moveStore(const QString& from, const QString& to) {
    const QString old = bookIn(from);
    const QString target = bookIn(to);
    const QString part = target + QStringLiteral(".part");
    const QString shown = QDir::toNativeSeparators(to + QStringLiteral("/db"));
    QString error;
    std::optional<QByteArray> before;
    bool copied = false;
    {
        Store store(QStringLiteral("move-old"));
        if (store.open(old, 2000) == OpenResult::Ok)
            before = digestOf(store, &error);
        else
            error = store.lastError();
        if (before && !QFile::exists(target)) {
            if (!makePrivateFolder(to + QStringLiteral("/db")))
                error = QStringLiteral("无法创建文件夹");
            else if (!(copied = store.copyPrivately(part)))
                error = store.lastError();
        }
    } // the old book is closed before it is removed
    if (QFile::exists(target)) {
        // A move cut short after its copy: the copy is the book; the old
        // file goes only when it holds the very same rows.
        QString ignored;
        if (!before || checkedDigest(target, &ignored) != before)
            return {true, QStringLiteral("注意：旧的快递数据库 %1 与 %2 中的不同,已保留未动")
                              .arg(QDir::toNativeSeparators(old), shown)};
        moveBackups(from, to);
        removeBook(from);
        return {true, QString()};
    }
    const auto failed = [&](const QString& why) {
        QFile::remove(part);
        return StoreMove{false, QStringLiteral("快递数据库未能移到 %1,仍使用 %2。原因：%3")
                                    .arg(shown, QDir::toNativeSeparators(old), why)};
    };
    if (!copied) return failed(error);
    const std::optional<QByteArray> check = checkedDigest(part, &error);
    if (check != before) return failed(check ? QStringLiteral("副本与原数据库不一致") : error);
    if (!QFile::rename(part, target)) return failed(QStringLiteral("副本无法改名"));
    moveBackups(from, to);
    removeBook(from);
    return {true, QStringLiteral("快递数据库已移到 %1").arg(shown)};
}
