// Files that hold a password, a key or the parcel book: readable by their
// owner alone; and whether a folder can be written at all.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Writes data to path as a whole (a new file renamed over the old one, so a
// failed write leaves the old one), mode 0600, in a folder made 0700 when it
// had to be made. Nothing when it was written, else the reason.
std::optional<QString> writePrivateFile(const QString& path, const QByteArray& data);

// A configuration file's bytes. Only a regular file of at most maxBytes is
// read: a FIFO, a device or a folder under its name would hold the start for
// ever or flood it. Nothing when there is no such file; *refused is set when
// something else stands under its name or it cannot be read.
inline constexpr qint64 ConfigFileLimit = 64 * 1024;
std::optional<QByteArray> readConfigFile(const QString& path, bool* refused = nullptr,
                                         qint64 maxBytes = ConfigFileLimit);

// Takes group's and others' rights away from an existing folder of the user's.
void makeFolderPrivate(const QString& folder);

// True when a file exists and others than its owner may read it (group or
// world read bits).
bool readableByOthers(const QString& path);

// Why nothing can be written in a folder (no space left, a read-only disk, no
// permission), in the user's words; nothing when a probe file can be
// written and synced there.
std::optional<QString> folderWriteProblem(const QString& folder);
