#include "tracking/Answer.h"

#include <QRegularExpression>
#include <QUrl>

namespace {
const QString TimeKey = QStringLiteral("\"time\":\"");
const QString ContextKey = QStringLiteral("\"context\":\"");
const QString CodeKey = QStringLiteral("errCode\":\"");
constexpr int MaxTally = 32767;

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

// Positions just past each occurrence of key, at most limit of them.
QList<qsizetype> keyEnds(const QString& text, const QString& key, int limit) {
    QList<qsizetype> ends;
    for (qsizetype at = text.indexOf(key); at >= 0 && ends.size() < limit;
         at = text.indexOf(key, at + 1))
        ends << at + key.size();
    return ends;
}

// The value of piece i (1-based): from the end of key i to its first quote,
// empty when the piece is missing or holds no quote before the next key.
QString valueAt(const QString& text, const QList<qsizetype>& ends, int i, int keyLength) {
    if (i > ends.size())
        return QString();
    const qsizetype start = ends[i - 1];
    const qsizetype pieceEnd = i < ends.size() ? ends[i] - keyLength : text.size();
    const qsizetype quote = text.indexOf('"', start);
    if (quote < 0 || quote >= pieceEnd)
        return QString();
    return text.mid(start, quote - start);
}
} // namespace

QString trackingUrl(const QString& endpoint, const QString& code, const QString& number) {
    QString base = endpoint;
    if (!base.endsWith('/'))
        base += '/';
    return base + QStringLiteral("?id=318407&secret=5c0b8e27d41f96a3e8b702c4d9f1a63e&com=") +
           encoded(code) + QStringLiteral("&nu=") + encoded(number) +
           QStringLiteral("&id=C41E7B02D95A6F38B1C0E47D2A9865F3&type=json&ord=desc");
}

std::optional<QString> errorCodeText(const QString& answer) {
    const qsizetype at = answer.indexOf(CodeKey);
    if (at < 0)
        return std::nullopt;
    const qsizetype start = at + CodeKey.size();
    const qsizetype quote = answer.indexOf('"', start);
    return quote < 0 ? answer.mid(start) : answer.mid(start, quote - start);
}

QString errorMessage(int code) {
    switch (code) {
    case 2: return QStringLiteral("验证码错误,可能此快递公司失效,请联系管理员");
    case 3: return QStringLiteral("链接查询服务器失败!请稍后再试..");
    case 4: return QStringLiteral("程序内部错误!请稍后再试..");
    case 5: return QStringLiteral("程序执行错误!请稍后再试..");
    case 6: return QStringLiteral("递单号格式错误!请您检查..");
    case 7: return QStringLiteral("快递公司错误错误!请您检查..");
    case 10: return QStringLiteral("未知错误，请稍后再试..");
    case 20: return QStringLiteral("API错误..请联系管理员检查..");
    case 21: return QStringLiteral("API出问题,请联系管理员更新..");
    case 22: return QStringLiteral("非常抱歉!API今日查询次数已尽,请您明日再使用!");
    default: return QString();
    }
}

int countEntries(const QString& answer) {
    int n = 0;
    for (qsizetype at = answer.indexOf(TimeKey); at >= 0 && n < MaxTally;
         at = answer.indexOf(TimeKey, at + 1))
        ++n;
    return n;
}

QList<Entry> parseEntries(const QString& answer, int tally) {
    const QList<qsizetype> times = keyEnds(answer, TimeKey, tally + 1);
    const QList<qsizetype> contexts = keyEnds(answer, ContextKey, tally + 1);
    QList<Entry> entries;
    entries.reserve(tally);
    for (int i = 1; i <= tally; ++i) {
        Entry e;
        e.time = valueAt(answer, times, i, TimeKey.size());
        e.context = valueAt(answer, contexts, i, ContextKey.size());
        e.context.replace(QStringLiteral("\\/"), QStringLiteral(" "));
        entries << e;
    }
    return entries;
}

ParcelState deriveState(const QString& newest, const QString& second) {
    for (const QString& t : {newest, second})
        for (const char* word : {"签", "妥", "感谢"})
            if (t.contains(QString::fromUtf8(word)))
                return ParcelState::Signed;
    for (const QString& t : {newest, second})
        if (t.contains(QStringLiteral("派")))
            return ParcelState::Delivering;
    return ParcelState::InTransit;
}

QString stateText(ParcelState s) {
    switch (s) {
    case ParcelState::Signed: return QStringLiteral("已签收");
    case ParcelState::Delivering: return QStringLiteral("派件中");
    case ParcelState::InTransit: break;
    }
    return QStringLiteral("运送中");
}

std::optional<QDateTime> parseEntryTime(const QString& text) {
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(\\d{4})[-/](\\d{1,2})[-/](\\d{1,2})(?:[ T]+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

qint64 secondsBetween(const QString& from, const QDateTime& to) {
    const auto start = parseEntryTime(from);
    return start ? start->secsTo(to) : 0;
}

qint64 secondsBetween(const QString& from, const QString& to) {
    const auto end = parseEntryTime(to);
    return end ? secondsBetween(from, *end) : 0;
}

QString transitText(qint64 seconds) {
    return QString::number(seconds / 86400) + QStringLiteral("天") +
           QString::number((seconds / 3600) % 24) + QStringLiteral("小时") +
           QString::number((seconds % 3600) / 60) + QStringLiteral("分");
}
