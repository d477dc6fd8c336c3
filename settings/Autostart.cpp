#include "settings/Autostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

QString autostartPath(const QString& autostartFolder) {
    return autostartFolder + QStringLiteral("/jianzongbao.desktop");
}

QString autostartEntry(const QString& program) {
    // Inside the quotes ", `, $ and \ take a backslash; the value's own
    // escape rule then doubles every backslash.
    QString quoted;
    for (const QChar c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted.replace('\\', QStringLiteral("\\\\"));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=件踪宝\n"
                          "Comment=开机自动启动件踪宝,在后台刷新全部快递\n"
                          "Exec=\"%1\" %2\n"
                          "Icon=jianzongbao\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quoted, AutostartArgument);
}

std::optional<QString> setAutostart(const QString& autostartFolder, const QString& program,
                                    bool on) {
    if (autostartFolder.isEmpty()) return QStringLiteral("没有配置文件夹");
    const QString path = autostartPath(autostartFolder);
    if (!on) {
        QFile entry(path);
        if (!entry.exists() || entry.remove()) return std::nullopt;
        return entry.errorString();
    }
    if (!QDir().mkpath(autostartFolder))
        return QStringLiteral("无法创建文件夹 ") + QDir::toNativeSeparators(autostartFolder);
    QSaveFile entry(path);
    if (!entry.open(QIODevice::WriteOnly)) return entry.errorString();
    entry.write(autostartEntry(program).toUtf8());
    if (!entry.commit()) return entry.errorString();
    return std::nullopt;
}
