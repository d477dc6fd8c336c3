#include "store/Place.h"

#include "store/Store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

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

// Copies a file to path through path.part (0600, synced), compares the copy
// with the original byte for byte and only then gives it its name; on any
// failure nothing is left at either name.
bool copyChecked(const QString& source, const QString& path) {
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    QFile in(source), out(part);
    bool ok = in.open(QIODevice::ReadOnly) &&
              out.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnly);
    while (ok && !in.atEnd()) {
        const QByteArray block = in.read(1 << 16);
        ok = !block.isEmpty() && out.write(block) == block.size();
    }
    ok = ok && out.flush() && ::fsync(out.handle()) == 0;
    out.close();
    if (ok && out.open(QIODevice::ReadOnly) && in.seek(0)) {
        while (ok && !in.atEnd())
            ok = in.read(1 << 16) == out.read(1 << 16);
        ok = ok && out.atEnd();
        out.close();
    } else {
        ok = false;
    }
    if (ok &&
        ::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    QFile::remove(part);
    return false;
}

// Backups the new folder lacks are moved: renamed on the same disk, else
// copied and checked first. Those it has, and those that cannot be moved,
// stay where they are; the latter are counted.
int moveBackups(const QString& from, const QString& to) {
    const QDir old(from + QStringLiteral("/db/backup"));
    if (!old.exists()) return 0;
    const QFileInfoList backups = old.entryInfoList({QStringLiteral("kd100-*.db")}, QDir::Files);
    const QString target = to + QStringLiteral("/db/backup");
    if (!makePrivateFolder(target)) return int(backups.size());
    int left = 0;
    for (const QFileInfo& f : backups) {
        const QString moved = target + '/' + f.fileName();
        if (QFile::exists(moved)) continue;
        const QByteArray source = QFile::encodeName(f.absoluteFilePath());
        if (::rename(source.constData(), QFile::encodeName(moved).constData()) == 0 ||
            (errno == EXDEV && copyChecked(f.absoluteFilePath(), moved) &&
             ::unlink(source.constData()) == 0))
            QFile::setPermissions(moved, OwnerOnly);
        else
            ++left;
    }
    return left;
}

QString backupsLeft(int left, const QString& from) {
    if (left == 0) return QString();
    return QStringLiteral("；%1 个备份未能移动,仍在 %2")
        .arg(left)
        .arg(QDir::toNativeSeparators(from + QStringLiteral("/db/backup")));
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
        const int left = moveBackups(from, to);
        removeBook(from);
        return {true, left
                          ? QStringLiteral("快递数据库已在 %1").arg(shown) + backupsLeft(left, from)
                          : QString()};
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
    const int left = moveBackups(from, to);
    removeBook(from);
    return {true, QStringLiteral("快递数据库已移到 %1").arg(shown) + backupsLeft(left, from)};
}
