#include "couriers/AutoNumber.h"

namespace {
const QString CodeKey = QStringLiteral("comCode\":\"");
}

Detected readAutoNumberAnswer(const QString& body) {
    if (body.isEmpty()) return {};
    const qsizetype at = body.indexOf(CodeKey);
    if (at < 0 && body.contains(QLatin1String("\"refused\":\"limit\"")))
        return {Detected::Limit, {}};
    if (at < 0 && body.contains(QLatin1String("\"refused\":"))) return {Detected::Refused, {}};
    if (at < 0)
        return {body.contains(QLatin1String("503")) ? Detected::Busy : Detected::NoCode, {}};
    const qsizetype start = at + CodeKey.size();
    const qsizetype quote = body.indexOf(u'"', start);
    return {Detected::Code, quote < 0 ? QString() : body.mid(start, quote - start)};
}

bool isNumberText(const QString& text) {
    for (const QChar c : text.trimmed())
        if (c.unicode() > 127 || !c.isLetterOrNumber()) return false;
    return true;
}
