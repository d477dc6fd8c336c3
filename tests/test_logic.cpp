// The logic that needs no window: answer parsing, codes, URLs, verdicts.
#include "app/ClockText.h"
#include "couriers/AutoNumber.h"
#include "parcels/BookText.h"
#include "platform/Endpoints.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "services/NetTime.h"
#include "services/Version.h"
#include "settings/Options.h"
#include "support/Answers.h"
#include "tracking/Answer.h"
#include "tracking/ForegroundQuery.h"
#include "watch/Change.h"
#include "watch/Watching.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QUrlQuery>

class LogicTest : public QObject {
    Q_OBJECT
private slots:
    void trackingUrlKeepsOrderAndEncodesValues() {
        QCOMPARE(trackingUrl(QStringLiteral("http://h/"), QStringLiteral("shunfeng"),
                             QStringLiteral("123")),
                 QStringLiteral(
                     "http://h/?id=318407&secret=5c0b8e27d41f96a3e8b702c4d9f1a63e&com=shunfeng"
                     "&nu=123&id=C41E7B02D95A6F38B1C0E47D2A9865F3&type=json&ord=desc"));
        const QString url = trackingUrl(QStringLiteral("http://h"), QStringLiteral("ems"),
                                        QStringLiteral("12&type=xml #9"));
        const QUrlQuery q(QUrl(url).query());
        QCOMPARE(q.queryItemValue(QStringLiteral("nu"), QUrl::FullyDecoded),
                 QStringLiteral("12&type=xml #9"));
        QCOMPARE(q.allQueryItemValues(QStringLiteral("type")), QStringList{QStringLiteral("json")});
        QVERIFY(!url.contains('#'));
    }

    void errorCodes() {
        QCOMPARE(errorCodeText(QStringLiteral("{\"errCode\":\"21\",\"x\":\"y\"}")).value(),
                 QStringLiteral("21"));
        QVERIFY(!errorCodeText(QStringLiteral("<html>500</html>")).has_value());
        QCOMPARE(errorCode(QStringLiteral("{\"errCode\":\" 10 \"}")), std::optional<int>(10));
        QVERIFY(!errorCode(QStringLiteral("{\"errCode\":\"x1\"}")));
        QVERIFY(!errorCode(QStringLiteral("<html>500</html>")));
        QCOMPARE(errorMessage(21), QStringLiteral("API出问题,请联系管理员更新.."));
        QCOMPARE(errorMessage(10), QStringLiteral("未知错误，请稍后再试.."));
        QCOMPARE(errorMessage(22), QStringLiteral("非常抱歉!API今日查询次数已尽,请您明日再使用!"));
        QCOMPARE(errorMessage(8), QStringLiteral("查询服务返回了未知的结果(代码8),请稍后再试.."));
        QVERIFY(errorMessage(1).isEmpty());
    }

    void threeEntriesNewestFirstWithEscapedSlash() {
        const QString a = answerOf({{"2026-01-03 10:30:00", "已签收,签收人是本人"},
                                    {"2026-01-02 08:00:00", "广东\\/深圳"},
                                    {"2026-01-01 08:00:00", "已揽收"}});
        const int tally = countEntries(a);
        QCOMPARE(tally, 3);
        const QList<Entry> e = parseEntries(a, tally);
        QCOMPARE(e.size(), 3);
        QCOMPARE(e[0].time, QStringLiteral("2026-01-03 10:30:00"));
        QCOMPARE(e[1].context, QStringLiteral("广东 深圳"));
        QCOMPARE(e[2].context, QStringLiteral("已揽收"));
    }

    // Keys such as "ftime" and entry texts holding the word "time" add no rows.
    void ftimeAndTheWordTimeAddNoPhantomRows() {
        const QString a = answerOf({{"2026-01-02 08:00:00", "delivery time changed"},
                                    {"2026-01-01 08:00:00", "timely pickup"}},
                                   QStringLiteral(",\"updatetime\":\"x\""));
        QCOMPARE(countEntries(a), 2);
        QCOMPARE(parseEntries(a, 2)[0].context, QStringLiteral("delivery time changed"));
    }

    void missingPiecesGiveEmptyTexts() {
        // Fewer context keys than time keys: the last row shows only its time.
        const QString a =
            QStringLiteral("{\"errCode\":\"0\",\"data\":[{\"time\":\"2026-01-02 08:00:00\","
                           "\"context\":\"到达\"},{\"time\":\"2026-01-01 08:00:00\"}]}");
        const QList<Entry> e = parseEntries(a, countEntries(a));
        QCOMPARE(e.size(), 2);
        QCOMPARE(e[1].time, QStringLiteral("2026-01-01 08:00:00"));
        QVERIFY(e[1].context.isEmpty());
        // A time without its closing quote is empty, not the rest of the answer.
        const QList<Entry> cut = parseEntries(QStringLiteral("\"time\":\"2026-01-01"), 1);
        QVERIFY(cut[0].time.isEmpty());
        // A tally larger than the keys leaves rows with only their ordinal.
        QCOMPARE(parseEntries(QStringLiteral("\"time\":\"a\""), 2).size(), 2);
    }

    void zeroOneAndManyEntries() {
        QCOMPARE(countEntries(QStringLiteral("{\"errCode\":\"0\",\"data\":[]}")), 0);
        QCOMPARE(parseEntries(answerOf({{"2026-01-01 08:00:00", "一"}}), 1).size(), 1);
        QList<QPair<QString, QString>> many;
        for (int i = 0; i < 500; ++i)
            many.append({QStringLiteral("2026-01-01 08:00:%1").arg(i % 60, 2, 10, QChar('0')),
                         QStringLiteral("第%1条").arg(500 - i)});
        const QString a = answerOf(many);
        const QList<Entry> e = parseEntries(a, countEntries(a));
        QCOMPARE(e.size(), 500);
        QCOMPARE(e[0].context, QStringLiteral("第500条"));
        QCOMPARE(e[499].context, QStringLiteral("第1条"));
    }

    // Escaped quotes and backslashes stay inside a value; every JSON escape is
    // decoded; "\/" is a blank in an entry text and a slash in a time; line
    // breaks and tabs are blanks, direction overrides and other invisible
    // characters go.
    void escapedTextInEntries() {
        const QString a = QStringLiteral(
            "{\"errCode\":\"0\",\"data\":[{\"time\":\"2026\\/01\\/02 08:00\","
            "\"context\":\"签收人:\\\"张三\\\" 路径C:\\\\快递\\\\ 第一行\\n\\t\\u4e2d\\ud83d\\ude00"
            "\\ud800x 广东\\/深圳 \\u202eGNP.EXE\\u200b\x07\"},{\"time\":\"2026-01-01 "
            "08:00:00\",\"context\":\"说\\\"time\\\":\\\"假\"}]}");
        QCOMPARE(countEntries(a), 2);
        const QList<Entry> e = parseEntries(a, 2);
        QCOMPARE(e[0].time, QStringLiteral("2026/01/02 08:00"));
        QCOMPARE(e[0].context, QStringLiteral("签收人:\"张三\" 路径C:\\快递\\ 第一行  中") +
                                   QString::fromUtf8("\xF0\x9F\x98\x80") +
                                   QChar(QChar::ReplacementCharacter) +
                                   QStringLiteral("x 广东 深圳 GNP.EXE"));
        QCOMPARE(e[1].context, QStringLiteral("说\"time\":\"假"));
        // An even run of backslashes before a quote ends the value there.
        const QString even = QStringLiteral("\"time\":\"t\",\"context\":\"a\\\\\\\\\",\"x\":\"y\"");
        QCOMPARE(parseEntries(even, 1)[0].context, QStringLiteral("a\\\\"));
        // A broken escape stays as it stands.
        QCOMPARE(
            parseEntries(QStringLiteral("\"time\":\"t\",\"context\":\"\\uZZ\\q\""), 1)[0].context,
            QStringLiteral("\\uZZ\\q"));
    }

    // The one-pass parser gives what cutting the whole answer at the keys for
    // every entry gives, on answers built from keys, quotes, escapes and text
    // at random. The reference cuts at every key whose quote is not escaped,
    // takes the piece up to its first quote that is not escaped and decodes it
    // as a JSON string.
    void parserMatchesCuttingAtTheKeys() {
        const auto escaped = [](const QString& text, qsizetype at) {
            qsizetype run = 0;
            while (at - run > 0 && text[at - run - 1] == '\\')
                ++run;
            return run % 2 == 1;
        };
        const auto cut = [&](const QString& answer, const QString& key, int i, QChar slash) {
            QList<qsizetype> keys;
            for (qsizetype at = answer.indexOf(key); at >= 0; at = answer.indexOf(key, at + 1))
                if (!escaped(answer, at)) keys << at;
            if (i > keys.size()) return QString();
            const qsizetype start = keys[i - 1] + key.size();
            const QString piece =
                answer.mid(start, i < keys.size() ? keys[i] - start : answer.size() - start);
            qsizetype quote = piece.indexOf('"');
            while (quote >= 0 && escaped(piece, quote))
                quote = piece.indexOf('"', quote + 1);
            if (quote < 0) return QString();
            const QString raw = piece.left(quote);
            const QJsonArray decoded =
                QJsonDocument::fromJson(
                    (QStringLiteral("[\"") + raw + QStringLiteral("\"]")).toUtf8())
                    .array();
            // No token holds a bare "/", so every slash came from "\/".
            return shownText(decoded.at(0).toString().replace('/', slash));
        };
        const QStringList tokens = {QStringLiteral("\"time\":\"2026"),
                                    QStringLiteral("\"context\":\"到"),
                                    QStringLiteral("\""),
                                    QStringLiteral("x"),
                                    QStringLiteral("\\/"),
                                    QStringLiteral(","),
                                    QStringLiteral("time"),
                                    QStringLiteral("\\\""),
                                    QStringLiteral("\\\\"),
                                    QStringLiteral("\\n"),
                                    QStringLiteral("\\u4e2d"),
                                    QStringLiteral("\\ud83d\\ude00"),
                                    QStringLiteral("\\\"time\":\"")};
        QRandomGenerator random(20261208);
        for (int round = 0; round < 3000; ++round) {
            QString answer;
            const int length = random.bounded(1, 40);
            for (int k = 0; k < length; ++k)
                answer += tokens[random.bounded(int(tokens.size()))];
            const int tally = countEntries(answer);
            const QList<Entry> entries = parseEntries(answer, tally);
            QCOMPARE(entries.size(), tally);
            for (int i = 1; i <= tally; ++i) {
                QCOMPARE(entries[i - 1].time, cut(answer, QStringLiteral("\"time\":\""), i, '/'));
                QCOMPARE(entries[i - 1].context,
                         cut(answer, QStringLiteral("\"context\":\""), i, ' '));
            }
        }
    }

    // The first cell's width counts bytes of the Chinese code page; a long
    // cell is cut at 1023 bytes, never inside a character.
    void exportLines() {
        QCOMPARE(SetStringFixedLength(QStringLiteral(" 12 "), 8), QStringLiteral("12      "));
        QCOMPARE(SetStringFixedLength(QStringLiteral("中文"), 8), QStringLiteral("中文    "));
        QCOMPARE(SetStringFixedLength(QStringLiteral("123456789"), 8), QStringLiteral("123456789"));
        QCOMPARE(SetStringFixedLength(QStringLiteral("12345678"), 8), QStringLiteral("12345678"));
        QCOMPARE(SetStringFixedLength(QStringLiteral("   "), 8), QString());
        QCOMPARE(SetStringFixedLength(QStringLiteral("12"), 0), QStringLiteral("12"));

        QCOMPARE(exportBytes({{"1", "t", "x"}, {"2", "", "y"}}),
                 QByteArray("1          t   x\r\n2             y\r\n"));
        const QByteArray cut = exportBytes({{"1", QString(600, QChar(0x4e2d))}});
        // 8 + 3 + 1022 bytes (511 whole characters) + CR LF
        QCOMPARE(cut.size(), 8 + 3 + 1022 + 2);
        const QByteArray ascii = exportBytes({{"1", QString(1500, u'a')}});
        QCOMPARE(ascii.size(), 8 + 3 + 1023 + 2);
        QCOMPARE(withTxtExtension(QStringLiteral("/tmp/a")), QStringLiteral("/tmp/a.txt"));
        QCOMPARE(withTxtExtension(QStringLiteral("/tmp/a.log")), QStringLiteral("/tmp/a.log"));
        QCOMPARE(parcelDescription(QStringLiteral("鞋子"), QStringLiteral("中通"),
                                   QStringLiteral("1234")),
                 QStringLiteral("快递物品：鞋子\r\n快递公司：中通\r\n快递单号：1234"));
        QCOMPARE(foundMessage(SearchMatch::Containing, 3), QStringLiteral("已为您找到3个相关快递"));
    }

    // A line break in a value cannot add a header; the subject travels encoded.
    void mailMessage() {
        const QByteArray m =
            mimeMessage({QStringLiteral("a@b.cn"), QStringLiteral("me@qq.com\r\nBcc: spy@x.com"),
                         QStringLiteral("您的快递\nBcc: spy@x.com"), QStringLiteral("<p>正文</p>"),
                         QDateTime(QDate(2026, 1, 4), QTime(9, 30), QTimeZone::utc())});
        const QList<QByteArray> lines = m.split('\n');
        for (const QByteArray& line : lines)
            QVERIFY2(!line.startsWith("Bcc:"), line.constData());
        QVERIFY(m.contains("To: <me@qq.com Bcc: spy@x.com>\r\n"));
        QVERIFY(m.contains("Subject: =?UTF-8?B?"));
        QVERIFY(m.contains("Content-Type: text/html; charset=UTF-8\r\n"));
        QVERIFY(m.contains(QStringLiteral("<p>正文</p>").toUtf8().toBase64()));
    }

    void httpDates() {
        const QTimeZone utc = QTimeZone::utc();
        QCOMPARE(parseHttpDate("Sun, 06 Dec 2026 09:45:51 GMT").value(),
                 QDateTime(QDate(2026, 12, 6), QTime(9, 45, 51), utc));
        QCOMPARE(parseHttpDate("6 Jan 2027 00:00:00 GMT").value(),
                 QDateTime(QDate(2027, 1, 6), QTime(0, 0), utc));
        for (const char* bad : {"", "Sun, 06 Dec 2026 09:45:51", "Sun, 31 Feb 2026 09:45:51 GMT",
                                "Sun, 06 Xyz 2026 09:45:51 GMT", "Sun, 06 Dec 2026 25:00:00 GMT"})
            QVERIFY2(!parseHttpDate(bad), bad);
    }

    void autoNumberAnswersAndNumbers() {
        QCOMPARE(readAutoNumberAnswer(QString()).kind, Detected::Nothing);
        QCOMPARE(readAutoNumberAnswer(QStringLiteral("503 busy")).kind, Detected::Busy);
        QCOMPARE(readAutoNumberAnswer(QStringLiteral("[]")).kind, Detected::NoCode);
        const Detected d = readAutoNumberAnswer(
            QStringLiteral("[{\"noPre\":\"503\",\"comCode\":\"yunda\"},{\"comCode\":\"ems\"}]"));
        QCOMPARE(d.kind, Detected::Code);
        QCOMPARE(d.code, QStringLiteral("yunda"));
        QCOMPARE(readAutoNumberAnswer(QStringLiteral("{\"comCode\":\"abc")).code, QString());
        QCOMPARE(autoNumberUrl(QStringLiteral("http://h/autonumber/auto"), QStringLiteral("1 2&3")),
                 QStringLiteral("http://h/autonumber/auto?num=1%202%263"));
        for (const char* ok : {"", "00123", "SF1234567890123", "EA123456789CN", " 12 "})
            QVERIFY2(isNumberText(QString::fromUtf8(ok)), ok);
        for (const char* bad : {"12-3", "1 2", "１２", "12.5", "中通"})
            QVERIFY2(!isNumberText(QString::fromUtf8(bad)), bad);
    }

    // The service's state decides when the answer carries one; without one
    // (a gateway, an answer kept from before) the words of the two newest
    // entries do. Only a finished parcel is done: it alone never alerts.
    void aReadingTakesTheServicesState() {
        using S = ParcelState;
        const struct {
            const char *state, *newest, *second;
            S is;
            const char* text;
        } rows[] = {
            {"14", "您的快件已被收件人拒签,感谢使用", "派件中", S::Refused, "已拒签"},
            {"501", "快件已放入驿站,请及时取件,感谢使用", "", S::AwaitingPickup, "待取件"},
            {"304", "已由驿站代收签收", "", S::AwaitingPickup, "待取件"},
            {"5", "快件已放入驿站,感谢使用", "", S::Delivering, "派件中"},
            {"4", "退回件已签收", "", S::Returned, "已退签"},
            {"401", "运单已撤销", "", S::Cancelled, "已销单"},
            {"3", "到达", "", S::Signed, "已签收"},
            {"301", "本人签收", "", S::Signed, "已签收"},
            {"6", "退回途中,感谢使用", "", S::Returning, "退回中"},
            {"2", "地址不详", "", S::Problem, "疑难件"},
            {"11", "清关", "", S::Customs, "清关中"},
            {"13", "海关扣留", "", S::CustomsProblem, "清关异常"},
            {"102", "已下单", "", S::AwaitingCollection, "待揽收"},
            {"1002", "干线运输中,派件员", "", S::InTransit, "运送中"},
            {"999", "正在派件", "", S::Delivering, "派件中"}, // a code it does not document
            {"", "已签收,签收人是本人", "", S::Signed, "已签收"},
            {"", "到达营业点", "妥投", S::Signed, "已签收"},
            {"", "感谢使用", "", S::Signed, "已签收"},
            {"", "正在派件", "到达", S::Delivering, "派件中"},
            {"", "到达", "离开", S::InTransit, "运送中"},
        };
        for (const auto& r : rows) {
            QList<QPair<QString, QString>> entries{
                {QStringLiteral("2026-12-08 10:00:00"), QString::fromUtf8(r.newest)}};
            if (*r.second) entries.append({QStringLiteral("2026-12-08 09:00:00"), r.second});
            const Reading read =
                Reading::of(QString::fromUtf8(answerOf(entries, {}, QString::fromUtf8(r.state))));
            QCOMPARE(read.outcome, Reading::Outcome::Progress);
            QVERIFY2(read.state == r.is, r.newest);
            QCOMPARE(stateText(read.state), QString::fromUtf8(r.text));
            QCOMPARE(stateOfText(stateText(read.state)), std::optional(r.is));
            const bool done = r.is == S::Signed || r.is == S::Returned || r.is == S::Cancelled;
            QCOMPARE(read.done(), done);
            QString base = QStringLiteral("0"); // news alerts unless nothing can follow
            QCOMPARE(judgeChange(base, 1, read.state),
                     done ? ChangeOutcome::Finished : ChangeOutcome::Updated);
        }
        QCOMPARE(stateOfText(QStringLiteral("未查询")), std::nullopt);
        QCOMPARE(Reading::of(QString()).outcome, Reading::Outcome::Nothing);
        QCOMPARE(Reading::of(QStringLiteral("{\"errCode\":\"1\"}")).outcome,
                 Reading::Outcome::NoResult);
        const Reading failed = Reading::of(QStringLiteral("<html>"));
        QCOMPARE(failed.outcome, Reading::Outcome::Failed);
        QCOMPARE(failed.failure, QStringLiteral("链接查询服务器失败!请稍后再试.."));
    }

    void transitTimes() {
        QCOMPARE(secondsBetween(QStringLiteral("2026-01-01 08:00:00"),
                                QStringLiteral("2026-01-03 10:30:00")),
                 qint64(2 * 86400 + 2 * 3600 + 30 * 60));
        QCOMPARE(transitText(2 * 86400 + 2 * 3600 + 30 * 60), QStringLiteral("2天2小时30分"));
        QCOMPARE(transitText(90), QStringLiteral("0天0小时1分"));
        QCOMPARE(transitText(3 * 3600), QStringLiteral("0天3小时0分"));
        QCOMPARE(transitText(59), QStringLiteral("0天0小时0分"));
        QCOMPARE(transitText(-(86400 + 3600 + 61)), QStringLiteral("-1天-1小时-1分"));
        QCOMPARE(secondsBetween(QString(), QDateTime::currentDateTime()), qint64(0));
        QCOMPARE(
            secondsBetween(QStringLiteral("2026-01-01 08:00:00"), QStringLiteral("not a date")),
            qint64(0));
        QVERIFY(parseEntryTime(QStringLiteral("2026/1/5 9:03")).has_value());
        QVERIFY(!parseEntryTime(QStringLiteral("2026-02-30 10:00:00")).has_value());
    }

    void versionVerdicts() {
        QCOMPARE(judgeVersion(QStringLiteral("V5.2"), 200), VersionVerdict::Current);
        QCOMPARE(judgeVersion(QStringLiteral("V5.2\n"), 200), VersionVerdict::Current);
        QCOMPARE(judgeVersion(QStringLiteral("V5.3"), 200), VersionVerdict::Newer);
        // Versions compare as numbers, part by part.
        QCOMPARE(judgeVersion(QStringLiteral("V5.10"), 200), VersionVerdict::Newer);
        QCOMPARE(judgeVersion(QStringLiteral("V5.2.1"), 200), VersionVerdict::Newer);
        QCOMPARE(judgeVersion(QStringLiteral("V6"), 200), VersionVerdict::Newer);
        QCOMPARE(judgeVersion(QStringLiteral("V5.2.0"), 200), VersionVerdict::Current);
        QCOMPARE(judgeVersion(QStringLiteral("V5.1"), 200), VersionVerdict::Current);
        QCOMPARE(judgeVersion(QStringLiteral("V4.9.9"), 200), VersionVerdict::Current);
        QCOMPARE(judgeVersion(QStringLiteral("V5"), 200), VersionVerdict::Current);
        QCOMPARE(judgeVersion(QStringLiteral("V5..3"), 200), VersionVerdict::Failed);
        QCOMPARE(judgeVersion(QString(), 0), VersionVerdict::Failed);
        QCOMPARE(judgeVersion(QStringLiteral("<html><h1>404</h1></html>"), 404),
                 VersionVerdict::Failed);
        QCOMPARE(judgeVersion(QStringLiteral("V6.0"), 404), VersionVerdict::Failed);
        QCOMPARE(judgeVersion(QStringLiteral("请登录Wi-Fi"), 200), VersionVerdict::Failed);
        QCOMPARE(loadSummary(3), QStringLiteral("程序已加载完毕,当前共有3个快递单。"));
        QCOMPARE(loadSummary(0), QStringLiteral("程序已加载完毕,当前没有快递单。"));
    }

    void announcementSplits() {
        Announcement a;
        a.take(QString());
        QVERIFY(a.text.isEmpty() && a.link.isEmpty());
        a.take(QStringLiteral("新版\u202E上线\n|http://x/|ignored"));
        QCOMPARE(a.text, QStringLiteral("新版上线 "));
        QCOMPARE(a.link, QStringLiteral("http://x/"));
        a.take(QStringLiteral("只有文字"));
        QVERIFY(a.text.isEmpty());
        QCOMPARE(a.link, QStringLiteral("http://x/"));
        a.take(QStringLiteral("文字|"));
        QCOMPARE(a.text, QStringLiteral("文字"));
        QVERIFY(a.link.isEmpty());
    }

    void changeJudgement() {
        QString base = QStringLiteral("0");
        QCOMPARE(judgeChange(base, 5, ParcelState::InTransit), ChangeOutcome::Updated);
        base = QStringLiteral("5");
        QCOMPARE(judgeChange(base, 5, ParcelState::InTransit), ChangeOutcome::NoUpdate);
        base = QStringLiteral("7");
        QCOMPARE(judgeChange(base, 5, ParcelState::Delivering), ChangeOutcome::NoUpdate);
        base = QStringLiteral("5");
        QCOMPARE(judgeChange(base, 6, ParcelState::Signed), ChangeOutcome::Finished);
        base.clear();
        QCOMPARE(judgeChange(base, 4, ParcelState::InTransit), ChangeOutcome::NoUpdate);
        QCOMPARE(base, QStringLiteral("4"));
        base = QStringLiteral("abc");
        QCOMPARE(judgeChange(base, 1, ParcelState::InTransit), ChangeOutcome::Updated);
        QCOMPARE(leadingNumber(QStringLiteral("  12x")), qint64(12));
        QCOMPARE(leadingNumber(QStringLiteral("99999999999999999999999")) > 0, true);
    }

    void watchTurnsAndAnnouncements() {
        const qint64 now = 1'800'000'000;
        const qint64 hour = 3600;
        // Never-tried parcels first, in book order; then the one tried longest ago.
        QCOMPARE(
            nextParcel({{1, false, now - 2 * hour}, {2, false, -1}, {3, false, -1}}, now, hour),
            std::optional<qint64>(2));
        QCOMPARE(nextParcel({{1, false, now - 2 * hour}, {2, false, now - 3 * hour}}, now, hour),
                 std::optional<qint64>(2));
        // Signed for, or tried within the interval: not due.
        QCOMPARE(nextParcel({{1, true, -1}, {2, false, now - hour + 1}}, now, hour), std::nullopt);
        QCOMPARE(nextParcel({{1, false, now - hour}}, now, hour), std::optional<qint64>(1));
        QCOMPARE(pauseSecs(hour, 4), 900);
        QCOMPARE(pauseSecs(hour, 0), hour);

        QVERIFY(announces(3, 0, 2));
        QVERIFY(!announces(3, 3, 2)); // already told
        QVERIFY(!announces(3, 0, 3)); // the user has seen them
        QVERIFY(announces(4, 3, 2));

        QCOMPARE(bookMark(QString(), 5, 1), BookMark::None);
        QCOMPARE(bookMark(QStringLiteral("已签收"), 5, 1), BookMark::Moved);
        QCOMPARE(bookMark(QStringLiteral("已签收"), 5, 5), BookMark::Signed);
        QCOMPARE(bookMark(QStringLiteral("派件中"), 5, -1), BookMark::Delivering);
        QCOMPARE(bookMark(QStringLiteral("运送中"), 2, 5), BookMark::InTransit);
        QCOMPARE(bookMark(QStringLiteral("待取件"), 2, 5), BookMark::Delivering);
        QCOMPARE(bookMark(QStringLiteral("已拒签"), 2, 5), BookMark::Attention);
        QCOMPARE(bookMark(QStringLiteral("已退签"), 2, 5), BookMark::Closed);
        QCOMPARE(finishedStateTexts(), (QStringList{"已签收", "已退签", "已销单"}));

        QCOMPARE(watchInterval(QStringLiteral("120")), 120);
        QCOMPARE(watchInterval(QStringLiteral(" 30 ")), 30);
        QCOMPARE(watchInterval(QStringLiteral("45")), 60);
        QCOMPARE(watchInterval(QStringLiteral("是")), 60);

        const QList<Entry> entries = {{QStringLiteral("2026-12-08 09:00:00"),
                                       QStringLiteral("\"引号\" \\ 和 [括号], 换\n行 😀")},
                                      {QString(), QString()}};
        const QList<Entry> back = decodeEntries(encodeEntries(entries));
        QCOMPARE(back.size(), 2);
        QCOMPARE(back[0].context, entries[0].context);
        QCOMPARE(back[0].time, entries[0].time);
        QVERIFY(decodeEntries(QStringLiteral("not json")).isEmpty());
        QCOMPARE(notificationTitle(QStringLiteral("鞋子")), QStringLiteral("【鞋子】有最新动态"));

        // Time under way: to now while moving, to the last entry once finished.
        const QDateTime at(QDate(2026, 12, 8), QTime(12, 0));
        const QPair<QString, QString> collected{QStringLiteral("2026-12-08 09:00:00"),
                                                QStringLiteral("揽收")};
        const auto reading = [&](const char* newest, const QString& state = {}) {
            return Reading::of(QString::fromUtf8(answerOf(
                {{QStringLiteral("2026-12-08 10:00:00"), QString::fromUtf8(newest)}, collected}, {},
                state)));
        };
        QCOMPARE(reading("在途").transitSecs(at), 3 * 3600);
        QCOMPARE(reading("已签收").transitSecs(at), 3600);
        QCOMPARE(reading("退回", QStringLiteral("4")).transitSecs(at), 3600);
        QCOMPARE(reading("已拒签", QStringLiteral("14")).transitSecs(at), 3 * 3600);
        QCOMPARE(Reading().transitSecs(at), 0);
        const WatchRow row = rememberedRow(7, reading("已签收"), at, 2);
        QCOMPARE(row.state, QStringLiteral("已签收"));
        QCOMPARE(row.answered, QStringLiteral("2026-12-08 12:00:00"));
        QCOMPARE(row.notified, 2);
        QCOMPARE(decodeEntries(row.entries).size(), 2);
        QCOMPARE(rememberedRow(7, Reading(), at, 0).state, QString());
        QCOMPARE(notificationBody(ParcelState::AwaitingPickup, entries[0]).left(24),
                 QStringLiteral("待取件：2026-12-08 09:00:00 "));
    }

    void clockOptionsAndEndpoints() {
        QCOMPARE(clockText(QDateTime(QDate(2026, 1, 5), QTime(9, 3, 7))),
                 QStringLiteral("2026-1-5 9:3:7"));
        QVERIFY(storedIsOn(QStringLiteral("是")));
        QVERIFY(storedIsOn(QStringLiteral("总是开")));
        for (const char* off : {"否", "", "yes"})
            QVERIFY(!storedIsOn(QString::fromUtf8(off)));
        QCOMPARE(switchText(true), QStringLiteral("是"));
        const Endpoints e = Endpoints::fromEnvironment([](const char* name) {
            if (qstrcmp(name, "JZB_GATEWAY") == 0) return QStringLiteral("http://127.0.0.1:9/");
            if (qstrcmp(name, "JZB_NOTICE_URL") == 0)
                return QStringLiteral("http://127.0.0.1:8/n.txt");
            return QString();
        });
        QCOMPARE(e.tracking, QStringLiteral("http://127.0.0.1:9/"));
        QCOMPARE(e.autoNumber, QStringLiteral("http://127.0.0.1:9/autonumber/auto"));
        QCOMPARE(e.versionFile, QStringLiteral("http://127.0.0.1:9/version.txt"));
        QCOMPARE(e.noticeFile, QStringLiteral("http://127.0.0.1:8/n.txt"));
        QVERIFY(e.viaGateway());
        // By default: the service with no account, no version file, no site.
        const Endpoints d = Endpoints::fromEnvironment([](const char*) { return QString(); });
        QVERIFY(!d.viaGateway() && !d.demo && d.versionFile.isEmpty() && d.site.isEmpty());
        QCOMPARE(d.demoSpeed, 1.0);
        QVERIFY(d.poll.startsWith(QStringLiteral("https://")));
        for (const auto& [speed, expected] : {std::pair{"240", 240.0}, {"0", 1.0}, {"x", 1.0}}) {
            const Endpoints demo = Endpoints::fromEnvironment([speed = speed](const char* name) {
                if (qstrcmp(name, "JZB_SPEED") == 0) return QString::fromLatin1(speed);
                if (qstrcmp(name, "JZB_KEY") == 0) return QStringLiteral(" k ");
                return QString(qstrcmp(name, "JZB_DEMO") == 0 ? "1" : "");
            });
            QVERIFY(demo.demo);
            QCOMPARE(demo.demoSpeed, expected);
            QCOMPARE(demo.account.key, QStringLiteral("k"));
        }
    }

    // Without a sound server its connection errors become one line; every
    // other message, of the player too, is printed.
    void aQueryEndsOnceAndItsWatchdogGivesUpOnTheTenthTick() {
        QTimer watchdog;
        ForegroundQuery q(&watchdog);
        QStringList seen;
        q.showBusy = [&](bool busy) { seen << (busy ? "busy" : "idle"); };
        q.unlock = [&](ForegroundQuery::Unlock u) { seen << QString::number(int(u)); };
        const quint64 first = q.start();
        QVERIFY(watchdog.isActive() && q.isCurrent(first));
        for (int i = 1; i < 9; ++i)
            QVERIFY(!q.watchdogTick());
        q.holdWatchdog(); // a question is open
        QVERIFY(!watchdog.isActive());
        q.restartWatchdog(); // counted from zero again
        for (int i = 1; i < 10; ++i)
            QVERIFY(!q.watchdogTick());
        QVERIFY(q.watchdogTick() && !watchdog.isActive() && q.watchdogTicks() == 0);
        q.parseAnswer();
        const quint64 second = q.start();
        QVERIFY(!q.isCurrent(first) && q.isCurrent(second) && q.current() == second);
        QVERIFY(!q.parsedIsCurrent());
        {
            const ForegroundQuery::Wait waiting(q);
            QVERIFY(q.waiting());
        }
        QVERIFY(!q.waiting());
        q.end(ForegroundQuery::Unlock::AfterQuery);
        QVERIFY(!watchdog.isActive());
        QCOMPARE(seen, (QStringList{"busy", "busy", "idle", "2"}));
    }

    void onlyTheAudioServersNoiseIsQuietened() {
        const struct {
            const char* category;
            const char* text;
            MessageFate first;
        } cases[] = {
            {"default", "PulseAudioService: pa_context_connect() failed", MessageFate::SayNoSound},
            {"qt.multimedia.player", "Unable to set the pipeline to the paused state.",
             MessageFate::SayNoSound},
            {"qt.multimedia.player", "Warning: \"Failed to connect: Connection refused\"",
             MessageFate::SayNoSound},
            {"default", "Unable to set the pipeline to the paused state.", MessageFate::Print},
            {"qt.multimedia.player", "Could not open file", MessageFate::Print},
            {nullptr, "the alert sound cannot play: no module", MessageFate::Print}};
        for (const auto& c : cases) {
            const QString text = QString::fromUtf8(c.text);
            QCOMPARE(messageFate(c.category, text, false), c.first);
            QCOMPARE(messageFate(c.category, text, true),
                     c.first == MessageFate::Print ? MessageFate::Print : MessageFate::Drop);
        }
    }
};

QTEST_APPLESS_MAIN(LogicTest)
#include "test_logic.moc"
