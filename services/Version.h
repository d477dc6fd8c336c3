#pragma once
#include <QString>

// The program's version, from the build: "5.2.0", and "V5.2" as the version
// file and the window title write it.
inline const QString ProgramVersion = QStringLiteral(JZB_VERSION);
inline const QString OwnVersion = QStringLiteral("V" JZB_VERSION_SHORT);

enum class VersionVerdict { Failed, Current, Newer };

// Judges the version file's answer. Only a version text ("V" and dotted
// numbers, white space around it ignored) greater than our own is a newer
// version; an equal or older one is current; an empty answer, an HTTP error or
// any other text is a failed check.
VersionVerdict judgeVersion(const QString& body, int httpStatus);

// "程序已加载完毕,当前共有3个快递单。" or "程序已加载完毕,当前没有快递单。"
QString loadSummary(int parcelCount);

struct Announcement {
    QString raw, text, link;
    // Takes a fetched announcement body "text|link|…". An empty body changes
    // nothing; a body without "|" empties the text and keeps the link. Control
    // and direction characters are taken out of both, as of every service text.
    void take(const QString& body);
};
