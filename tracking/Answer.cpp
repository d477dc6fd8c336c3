#include "tracking/Answer.h"

#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

namespace {
const QString TimeKey = QStringLiteral("\"time\":\"");
const QString ContextKey = QStringLiteral("\"context\":\"");
const QString CodeKey = QStringLiteral("errCode\":\"");
constexpr int MaxTally = 32767;

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

bool keyAt(const QString& text, qsizetype at, const QString& key) {
    return QStringView(text).sliced(at).startsWith(key);
}

// A quote preceded by an odd run of backslashes is part of a text, not the
// start of a key or the end of a value.
bool escapedAt(const QString& text, qsizetype at) {
    qsizetype run = 0;
    while (at - run > 0 && text[at - run - 1] == u'\\')
        ++run;
    return run % 2 == 1;
}

int hexValue(QStringView four) {
    bool ok = false;
    const int v = four.size() == 4 ? four.toInt(&ok, 16) : -1;
    return ok ? v : -1;
}

// Decodes the JSON escapes of a value (which ends before `end`): \" \\ \n \t
// \r \b \f \uXXXX (a surrogate pair makes one character, a lone half is
// U+FFFD) and \/, which becomes `slash`. Unknown escapes stay as they stand.
QString decoded(const QString& text, qsizetype start, qsizetype end, QChar slash) {
    QString out;
    out.reserve(end - start);
    for (qsizetype i = start; i < end; ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 >= end) {
            out += c;
            continue;
        }
        const char16_t e = text[++i].unicode();
        switch (e) {
        case u'"':
        case u'\\':
            out += QChar(e);
            break;
        case u'/':
            out += slash;
            break;
        case u'n':
            out += u'\n';
            break;
        case u't':
            out += u'\t';
            break;
        case u'r':
            out += u'\r';
            break;
        case u'b':
            out += u'\b';
            break;
        case u'f':
            out += u'\f';
            break;
        case u'u': {
            const int unit =
                hexValue(QStringView(text).sliced(i + 1, qMin<qsizetype>(4, end - i - 1)));
            if (unit < 0) {
                out += QStringLiteral("\\u");
                break;
            }
            i += 4;
            const QChar ch{char16_t(unit)};
            if (ch.isHighSurrogate() && i + 6 < end && text[i + 1] == u'\\' &&
                text[i + 2] == u'u') {
                const int low = hexValue(QStringView(text).sliced(i + 3, 4));
                if (low >= 0 && QChar(char16_t(low)).isLowSurrogate()) {
                    out += ch;
                    out += QChar(char16_t(low));
                    i += 6;
                    break;
                }
            }
            out += ch.isSurrogate() ? QChar(QChar::ReplacementCharacter) : ch;
            break;
        }
        default:
            out += u'\\';
            out += QChar(e);
        }
    }
    return out;
}

bool hidden(QChar c) {
    const QChar::Category k = c.category();
    return k == QChar::Other_Control || k == QChar::Other_Format || k == QChar::Separator_Line ||
           k == QChar::Separator_Paragraph;
}

// The value after a key that ends at start: up to the next quote that is not
// escaped, with its escapes decoded. When that quote opens the next key of the
// same kind, the value had no closing quote of its own and is empty. end
// receives where the scan goes on.
QString valueAfter(const QString& text, qsizetype start, const QString& key, QChar slash,
                   qsizetype& end) {
    qsizetype quote = text.indexOf(u'"', start);
    while (quote > 0 && escapedAt(text, quote))
        quote = text.indexOf(u'"', quote + 1);
    if (quote < 0) {
        end = text.size();
        return QString();
    }
    end = quote;
    if (keyAt(text, quote, key)) return QString();
    if (!QStringView(text).sliced(start, quote - start).contains(u'\\'))
        return shownText(text.mid(start, quote - start));
    return shownText(decoded(text, start, quote, slash));
}
} // namespace

QString shownText(const QString& text) {
    if (std::none_of(text.cbegin(), text.cend(), hidden)) return text;
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const bool breaks = c == u'\n' || c == u'\r' || c == u'\t' ||
                            c.category() == QChar::Separator_Line ||
                            c.category() == QChar::Separator_Paragraph;
        if (breaks)
            out += u' ';
        else if (!hidden(c))
            out += c;
    }
    return out;
}

QString trackingUrl(const QString& endpoint, const QString& code, const QString& number) {
    QString base = endpoint;
    if (!base.endsWith('/')) base += '/';
    return base + QStringLiteral("?id=318407&secret=5c0b8e27d41f96a3e8b702c4d9f1a63e&com=") +
           encoded(code) + QStringLiteral("&nu=") + encoded(number) +
           QStringLiteral("&id=C41E7B02D95A6F38B1C0E47D2A9865F3&type=json&ord=desc");
}

QString autoNumberUrl(const QString& endpoint, const QString& number) {
    return endpoint + QStringLiteral("?num=") + encoded(number);
}

std::optional<QString> errorCodeText(const QString& answer) {
    const qsizetype at = answer.indexOf(CodeKey);
    if (at < 0) return std::nullopt;
    const qsizetype start = at + CodeKey.size();
    const qsizetype quote = answer.indexOf('"', start);
    return quote < 0 ? answer.mid(start) : answer.mid(start, quote - start);
}

std::optional<int> errorCode(const QString& answer) {
    const std::optional<QString> text = errorCodeText(answer);
    bool isNumber = false;
    const int value = text ? text->trimmed().toInt(&isNumber) : 0;
    if (!isNumber) return std::nullopt;
    return value;
}

QString errorMessage(int code) {
    switch (code) {
    case 2:
        return QStringLiteral("验证码错误,可能此快递公司失效,请联系管理员");
    case 3:
        return QStringLiteral("链接查询服务器失败!请稍后再试..");
    case 4:
        return QStringLiteral("程序内部错误!请稍后再试..");
    case 5:
        return QStringLiteral("程序执行错误!请稍后再试..");
    case 6:
        return QStringLiteral("递单号格式错误!请您检查..");
    case 7:
        return QStringLiteral("快递公司错误错误!请您检查..");
    case 10:
        return QStringLiteral("未知错误，请稍后再试..");
    case 20:
        return QStringLiteral("API错误..请联系管理员检查..");
    case 21:
        return QStringLiteral("API出问题,请联系管理员更新..");
    case 22:
        return QStringLiteral("非常抱歉!API今日查询次数已尽,请您明日再使用!");
    case 0:
    case 1:
        return QString();
    default:
        return QStringLiteral("查询服务返回了未知的结果(代码%1),请稍后再试..").arg(code);
    }
}

int countEntries(const QString& answer) {
    int n = 0;
    for (qsizetype at = answer.indexOf(TimeKey); at >= 0 && n < MaxTally;
         at = answer.indexOf(TimeKey, at + 1))
        if (!escapedAt(answer, at)) ++n;
    return n;
}

QList<Entry> parseEntries(const QString& answer, int tally) {
    QList<Entry> entries(qMax(tally, 0));
    int times = 0, contexts = 0;
    // One pass from quote to quote; each key is recognised where it starts.
    for (qsizetype at = answer.indexOf(u'"'); at >= 0 && (times < tally || contexts < tally);) {
        qsizetype next = at + 1;
        const char16_t first = at + 1 < answer.size() ? answer[at + 1].unicode() : 0;
        if (first == u't' && times < tally && keyAt(answer, at, TimeKey) && !escapedAt(answer, at))
            entries[times++].time = valueAfter(answer, at + TimeKey.size(), TimeKey, u'/', next);
        else if (first == u'c' && contexts < tally && keyAt(answer, at, ContextKey) &&
                 !escapedAt(answer, at))
            entries[contexts++].context =
                valueAfter(answer, at + ContextKey.size(), ContextKey, u' ', next);
        at = answer.indexOf(u'"', next);
    }
    return entries;
}

ParcelState deriveState(const QString& newest, const QString& second) {
    for (const QString& t : {newest, second})
        for (const char* word : {"签", "妥", "感谢"})
            if (t.contains(QString::fromUtf8(word))) return ParcelState::Signed;
    for (const QString& t : {newest, second})
        if (t.contains(QStringLiteral("派"))) return ParcelState::Delivering;
    return ParcelState::InTransit;
}

std::optional<ParcelState> serviceState(int code) {
    switch (code) {
    case 0:    // 在途
    case 1:    // 揽收
    case 103:  // 已揽收
    case 1001: // 到达派件城市
    case 1002: // 干线
    case 1003: // 转递
    case 7:    // 转投
    case 12:   // 已清关
        return ParcelState::InTransit;
    case 101: // 已下单
    case 102: // 待揽收
        return ParcelState::AwaitingCollection;
    case 2:
        return ParcelState::Problem;
    case 3:   // 签收
    case 301: // 本人签收
    case 302: // 派件异常后签收
    case 303: // 代签
        return ParcelState::Signed;
    case 304: // 投柜或站签收: the locker or the station signed, the receiver has yet to come
    case 501: // 投柜或驿站
        return ParcelState::AwaitingPickup;
    case 4:
        return ParcelState::Returned;
    case 401:
        return ParcelState::Cancelled;
    case 5:
        return ParcelState::Delivering;
    case 6:
        return ParcelState::Returning;
    case 8:  // 清关
    case 10: // 待清关
    case 11: // 清关中
        return ParcelState::Customs;
    case 13:
        return ParcelState::CustomsProblem;
    case 14:
        return ParcelState::Refused;
    default:
        return std::nullopt;
    }
}

std::optional<ParcelState> kdniaoState(int code) {
    switch (code) {
    case 1:   // 已揽收
    case 2:   // 在途中
    case 201: // 到达派件城市
    case 204: // 到达转运中心
    case 205: // 到达派件网点
    case 206: // 寄件网点发件
    case 5:   // 转寄
    case 603: // 已清关
        return ParcelState::InTransit;
    case 10: // 待揽件
        return ParcelState::AwaitingCollection;
    case 202:
        return ParcelState::Delivering;
    case 211: // 已放入快递柜或驿站
    case 304: // 代收点代签: the receiver has yet to collect it
    case 311: // 快递柜或驿站签收
    case 412: // 快递柜或驿站超时未取
        return ParcelState::AwaitingPickup;
    case 3:   // 已签收
    case 301: // 正常签收
    case 302: // 派件异常后最终签收
        return ParcelState::Signed;
    case 4:   // 问题件
    case 401: // 发货无信息
    case 402: // 超时未签收
    case 403: // 超时未更新
    case 405: // 派件异常
        return ParcelState::Problem;
    case 404: // 拒收(退件)
        return ParcelState::Refused;
    case 406: // 退货签收
        return ParcelState::Returned;
    case 407: // 退货未签收
        return ParcelState::Returning;
    case 415: // 客户取消发货
        return ParcelState::Cancelled;
    case 6:   // 清关
    case 601: // 待清关
    case 602: // 清关中
        return ParcelState::Customs;
    case 604:
        return ParcelState::CustomsProblem;
    default:
        return std::nullopt;
    }
}

bool finished(ParcelState s) {
    return s == ParcelState::Signed || s == ParcelState::Returned || s == ParcelState::Cancelled;
}

QString stateText(ParcelState s) {
    switch (s) {
    case ParcelState::Signed:
        return QStringLiteral("已签收");
    case ParcelState::Delivering:
        return QStringLiteral("派件中");
    case ParcelState::InTransit:
        break;
    case ParcelState::AwaitingPickup:
        return QStringLiteral("待取件");
    case ParcelState::AwaitingCollection:
        return QStringLiteral("待揽收");
    case ParcelState::Problem:
        return QStringLiteral("疑难件");
    case ParcelState::Refused:
        return QStringLiteral("已拒签");
    case ParcelState::Returning:
        return QStringLiteral("退回中");
    case ParcelState::Returned:
        return QStringLiteral("已退签");
    case ParcelState::Cancelled:
        return QStringLiteral("已销单");
    case ParcelState::Customs:
        return QStringLiteral("清关中");
    case ParcelState::CustomsProblem:
        return QStringLiteral("清关异常");
    }
    return QStringLiteral("运送中");
}

std::optional<ParcelState> stateOfText(const QString& text) {
    for (int s = 0; s <= int(ParcelState::CustomsProblem); ++s)
        if (stateText(ParcelState(s)) == text) return ParcelState(s);
    return std::nullopt;
}

std::optional<int> stateCode(const QString& answer, StateOf service) {
    const QString key = service == StateOf::Kdniao ? QStringLiteral("\"kdniaoState\":\"")
                                                   : QStringLiteral("\"state\":\"");
    qsizetype at = answer.indexOf(key);
    while (at > 0 && escapedAt(answer, at))
        at = answer.indexOf(key, at + 1);
    if (at < 0) return std::nullopt;
    const qsizetype start = at + key.size();
    bool number = false;
    const int code = answer.mid(start, answer.indexOf(u'"', start) - start).toInt(&number);
    if (!number) return std::nullopt;
    return code;
}

std::optional<QDateTime> parseEntryTime(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*(\\d{4})[-/](\\d{1,2})[-/](\\d{1,2})(?:[ "
                       "T]+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid()) return std::nullopt;
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
