#include "services/Version.h"
#include "tracking/Answer.h"

#include <QList>
#include <QRegularExpression>
#include <optional>

namespace {
// "V5.2" -> {5, 2}; nothing when the text is not "V" and dotted numbers.
std::optional<QList<qint64>> versionParts(const QString& text) {
    static const QRegularExpression version(QStringLiteral("^V(\\d{1,9}(\\.\\d{1,9})*)$"));
    const QRegularExpressionMatch m = version.match(text);
    if (!m.hasMatch()) return std::nullopt;
    QList<qint64> parts;
    for (const QString& p : m.captured(1).split('.'))
        parts << p.toLongLong();
    return parts;
}
} // namespace

VersionVerdict judgeVersion(const QString& body, int httpStatus) {
    const QString v = body.trimmed();
    if (v.isEmpty() || httpStatus >= 400) return VersionVerdict::Failed;
    const auto theirs = versionParts(v);
    if (!theirs) return VersionVerdict::Failed;
    const QList<qint64> ours = *versionParts(OwnVersion);
    // Compared number by number, missing parts counting as 0: V5.2.0 is ours,
    // V5.10 is newer, V5.1 is older and so no reason to update.
    for (qsizetype i = 0; i < qMax(ours.size(), theirs->size()); ++i) {
        const qint64 a = i < theirs->size() ? theirs->at(i) : 0;
        const qint64 b = i < ours.size() ? ours[i] : 0;
        if (a != b) return a > b ? VersionVerdict::Newer : VersionVerdict::Current;
    }
    return VersionVerdict::Current;
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
    text = pieces.size() > 1 ? shownText(pieces[0]) : QString();
    if (pieces.size() > 1) link = shownText(pieces[1]);
}
