#include "services/Version.h"

#include <QRegularExpression>

VersionVerdict judgeVersion(const QString& body, int httpStatus) {
    const QString v = body.trimmed();
    if (v.isEmpty() || httpStatus >= 400) return VersionVerdict::Failed;
    if (v == OwnVersion) return VersionVerdict::Current;
    static const QRegularExpression version(QStringLiteral("^V\\d+(\\.\\d+)*$"));
    return version.match(v).hasMatch() ? VersionVerdict::Newer : VersionVerdict::Failed;
}

QString loadSummary(int parcelCount) {
    if (parcelCount > 0)
        return QStringLiteral("程序已加载完毕,当前共有") + QString::number(parcelCount) +
               QStringLiteral("个快递单。");
    return QStringLiteral("程序已加载完毕,当前没有快递单。");
}

void Announcement::take(const QString& body) {
    raw = body;
    if (raw.isEmpty()) return;
    const QStringList pieces = raw.split('|');
    text = pieces.size() > 1 ? pieces[0] : QString();
    if (pieces.size() > 1) link = pieces[1];
}
