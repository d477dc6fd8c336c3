// Starting at login: the XDG autostart entry that the settings option
// "开机自动启动" writes and removes. A program started from it gets
// --autostart and starts quietly (in the tray, or minimised).
#pragma once

#include <QString>
#include <optional>

inline const QString AutostartArgument = QStringLiteral("--autostart");

// The entry's path in an autostart folder ($XDG_CONFIG_HOME/autostart).
QString autostartPath(const QString& autostartFolder);

// The entry that starts the program at `program` with AutostartArgument; the
// path is quoted as the desktop entry format asks, whatever it holds.
QString autostartEntry(const QString& program);

// Writes the entry (through a temporary file, so a cut-short write leaves no
// half entry), or removes it. Nothing when done, else the reason.
std::optional<QString> setAutostart(const QString& autostartFolder, const QString& program,
                                    bool on);
