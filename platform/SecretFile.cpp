#include "platform/SecretFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::optional<QString> writePrivateFile(const QString& path, const QByteArray& data) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder)) return QStringLiteral("无法创建文件夹 ") + folder;
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    QFile file(temporary);
    // Created 0600 at once: there is no moment at which others could open it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return file.errorString();
    const bool written =
        file.write(data) == data.size() && file.flush() && ::fsync(file.handle()) == 0;
    const QString writeError = file.errorString();
    file.close();
    if (!written) {
        QFile::remove(temporary);
        return writeError;
    }
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(path).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temporary);
        return reason;
    }
    return std::nullopt;
}

std::optional<QByteArray> readConfigFile(const QString& path, bool* refused, qint64 maxBytes) {
    if (refused) *refused = false;
    // Opened without waiting: a FIFO would otherwise wait here for a writer.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (refused) *refused = errno != ENOENT && errno != ENOTDIR;
        return std::nullopt;
    }
    struct stat st {};
    std::optional<QByteArray> bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes) {
        QByteArray data(qsizetype(st.st_size), Qt::Uninitialized);
        qsizetype got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += n;
        }
        if (got == data.size()) bytes = data;
    }
    ::close(fd);
    if (refused) *refused = !bytes;
    return bytes;
}

void makeFolderPrivate(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
        (st.st_mode & 077))
        ::chmod(name.constData(), st.st_mode & 0700);
}

bool readableByOthers(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
    return (st.st_mode & (S_IRGRP | S_IROTH)) != 0;
}

std::optional<QString> folderWriteProblem(const QString& folder) {
    const QByteArray probe =
        QFile::encodeName(folder + QStringLiteral("/.jianzongbao-write-%1").arg(::getpid()));
    int error = 0;
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
        error = errno;
    } else {
        const QByteArray block(4096, '\0');
        if (::write(fd, block.constData(), size_t(block.size())) != block.size() ||
            ::fsync(fd) != 0)
            error = errno ? errno : ENOSPC;
        ::close(fd);
        ::unlink(probe.constData());
    }
    switch (error) {
    case 0:
        return std::nullopt;
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间已满");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入这个文件夹的权限");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}
