// The local gateway: simulated parcels that move with time, the auto-number
// service, the files, the Date header, and scripted answers.
#include "TestProgram.h"
#include "tracking/Answer.h"
#include "tracking/Simulation.h"

#include <QStringEncoder>

class GatewayTest : public QObject {
    Q_OBJECT
private slots:
    void parcelsMoveAsTimePasses() {
        const QDateTime anchor(QDate(2026, 12, 8), QTime(12, 0));
        const QString number = QStringLiteral("773012345610"); // ten hours under way
        const QString early = QString::fromUtf8(trackingAnswer(number, QString(), anchor, anchor));
        const QString later =
            QString::fromUtf8(trackingAnswer(number, QString(), anchor, anchor.addSecs(30 * 3600)));
        const QString done =
            QString::fromUtf8(trackingAnswer(number, QString(), anchor, anchor.addDays(3)));
        QCOMPARE(errorCodeText(early).value(), QStringLiteral("0"));
        QCOMPARE(countEntries(early), 3);
        QVERIFY(countEntries(later) > countEntries(early));
        QCOMPARE(countEntries(done), 8);
        const QList<Entry> entries = parseEntries(done, countEntries(done));
        QCOMPARE(deriveState(entries[0].context, entries[1].context), ParcelState::Signed);
        QVERIFY(entries[0].time > entries[7].time); // newest first
        QVERIFY(done.contains(QStringLiteral("\\/")));
        // The same number gives the same parcel.
        QCOMPARE(trackingAnswer(number, QString(), anchor, anchor), early.toUtf8());
        // The courier named in the query is the one the entries speak of.
        QVERIFY(QString::fromUtf8(trackingAnswer(number, QStringLiteral("yunda"), anchor, anchor))
                    .contains(QStringLiteral("韵达快递")));
    }

    void unknownNumbersAndAutoNumber() {
        const QDateTime now = QDateTime::currentDateTime();
        QCOMPARE(errorCodeText(QString::fromUtf8(trackingAnswer(QStringLiteral("751234560000"),
                                                                QString(), now, now)))
                     .value(),
                 QStringLiteral("1"));
        QCOMPARE(errorCodeText(QString::fromUtf8(
                                   trackingAnswer(QStringLiteral("abc12345"), QString(), now, now)))
                     .value(),
                 QStringLiteral("1"));
        const QByteArray guess = autoNumberAnswer(QStringLiteral("773012345610"), now);
        QVERIFY(guess.startsWith("[{") && guess.contains("\"comCode\":\""));
        QCOMPARE(autoNumberAnswer(QStringLiteral("12"), now), QByteArray("[]"));
        // Numbers with letters name their courier by their shape.
        QVERIFY(autoNumberAnswer(QStringLiteral("SF1234567890123"), now).contains("\"shunfeng\""));
        QVERIFY(autoNumberAnswer(QStringLiteral("JDVA00012345678"), now).contains("\"jd\""));
        QVERIFY(autoNumberAnswer(QStringLiteral("EA123456789CN"), now).contains("\"ems\""));
        QCOMPARE(autoNumberAnswer(QStringLiteral("SF12345"), now),
                 QByteArray("[]")); // too few digits
        QCOMPARE(simulateParcel(QStringLiteral("EA123456789CN"), now)->courierName,
                 QStringLiteral("EMS"));
    }

    void servesOverLoopback() {
        Gateway g;
        QVERIFY(g.listenLocal());
        RealHttp http;
        const HttpReply version = http.get(g.baseUrl() + QStringLiteral("/version.txt"));
        QCOMPARE(version.body, QByteArray("V5.2"));
        QCOMPARE(version.status, 200);
        QVERIFY(http.get(g.baseUrl() + QStringLiteral("/notice.txt")).body.contains('|'));
        QCOMPARE(http.get(g.baseUrl() + QStringLiteral("/nothing")).status, 404);
        const HttpReply guess =
            http.get(g.baseUrl() + QStringLiteral("/autonumber/auto?num=773012345610"));
        QVERIFY(guess.body.contains("comCode"));
        const QByteArray date = http.headDate(g.baseUrl() + '/').value_or(QByteArray());
        QVERIFY2(QRegularExpression(
                     QStringLiteral(
                         "^[A-Z][a-z]{2}, \\d{2} [A-Z][a-z]{2} \\d{4} \\d{2}:\\d{2}:\\d{2} GMT$"))
                     .match(QString::fromLatin1(date))
                     .hasMatch(),
                 date.constData());

        Scripted error{QByteArrayLiteral("<html>boom</html>"), 500};
        g.script(QStringLiteral("42"), error);
        const HttpReply scripted =
            http.get(trackingUrl(g.baseUrl(), QStringLiteral("ems"), QStringLiteral("42")));
        QCOMPARE(scripted.status, 500);
        QCOMPARE(scripted.body, QByteArray("<html>boom</html>"));
        QCOMPARE(g.trackingQueries().size(), 1);
    }

    // A body cut off part-way is no body; the charset of the answer decides
    // how it reads.
    void cutOffAndCharset() {
        Gateway g;
        QVERIFY(g.listenLocal());
        RealHttp http;
        Scripted cut{QByteArray(2000, 'x')};
        cut.cutAfter = 700;
        g.script(QStringLiteral("1"), cut);
        const HttpReply broken =
            http.get(trackingUrl(g.baseUrl(), QStringLiteral("ems"), QStringLiteral("1")));
        QVERIFY(broken.body.isEmpty());

        const QString chinese = QStringLiteral("快件已签收");
        for (const char* charset : {"GBK", "gb18030", "\"GB2312\""}) {
            QStringEncoder encode(QByteArray(charset).replace('"', "").constData());
            Scripted coded{QByteArray(encode.encode(chinese))};
            coded.contentType = "text/plain; charset=" + QByteArray(charset);
            g.script(QStringLiteral("2"), coded);
            const HttpReply r =
                http.get(trackingUrl(g.baseUrl(), QStringLiteral("ems"), QStringLiteral("2")));
            QCOMPARE(bodyText(r), chinese);
        }
        for (const char* type : {"application/json", "text/plain;charset=no-such-code"}) {
            HttpReply plain;
            plain.body = chinese.toUtf8();
            plain.contentType = type;
            QCOMPARE(bodyText(plain), chinese);
        }
    }

    void nothingAnswersAClosedPort() {
        RealHttp http;
        const HttpReply r = http.get(QStringLiteral("http://127.0.0.1:1/"));
        QVERIFY(r.body.isEmpty());
        QCOMPARE(r.status, 0);
        QVERIFY(!http.headDate(QStringLiteral("http://127.0.0.1:1/")).has_value());
    }

    // While a request waits, the window's timers keep running.
    void waitingKeepsEventsFlowing() {
        Gateway g;
        QVERIFY(g.listenLocal());
        Scripted slow{QByteArrayLiteral("late")};
        slow.delayMs = 300;
        g.script(QStringLiteral("9"), slow);
        RealHttp http;
        int ticks = 0;
        QTimer t;
        QObject::connect(&t, &QTimer::timeout, [&] { ++ticks; });
        t.start(20);
        QCOMPARE(
            http.get(trackingUrl(g.baseUrl(), QStringLiteral("ems"), QStringLiteral("9"))).body,
            QByteArray("late"));
        QVERIFY(ticks >= 5);
    }

    // Every read ends at its deadline and at its size limit while the answer
    // streams in, and a redirect comes back as the answer it is.
    void everyReadEndsAtItsLimits() {
        Gateway g, elsewhere;
        QVERIFY(g.listenLocal() && elsewhere.listenLocal());
        Scripted hang, flood, moved{"moved", 307};
        hang.hang = true;
        flood.flood = true;
        moved.location = elsewhere.baseUrl().toUtf8() + "/version.txt";
        g.script(QStringLiteral("7"), hang);
        g.script(QStringLiteral("8"), flood);
        g.script(QStringLiteral("9"), moved);
        RealHttp http(500, 64 << 10);
        const auto get = [&](const char* number) {
            return http.get(trackingUrl(g.baseUrl(), QStringLiteral("ems"), QLatin1String(number)));
        };
        QElapsedTimer t;
        t.start();
        const HttpReply hung = get("7");
        QVERIFY(hung.body.isEmpty() && hung.timedOut && !hung.tooLarge);
        QVERIFY(t.elapsed() < 2000);
        const HttpReply flooded = get("8");
        QVERIFY(flooded.body.isEmpty() && flooded.tooLarge && !flooded.timedOut);
        QVERIFY(t.elapsed() < 3000);
        QVERIFY2(g.flooded() < (16 << 20), qPrintable(QString::number(g.flooded())));
        const HttpReply redirect = get("9");
        QCOMPARE(redirect.status, 307);
        QCOMPARE(redirect.body, QByteArray("moved"));
        QCOMPARE(elsewhere.requestCount(), 0);
    }
};

QTEST_MAIN(GatewayTest)
#include "test_gateway.moc"
