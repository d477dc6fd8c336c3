// The gateway's live mode between the program's requests and a stand-in of
// the tracking service's enterprise API: the signed form, the translation of
// every kind of answer, the cache, one upstream call shared by concurrent
// requests, the time-out, the key kept out of logs and answers, the phone
// per number from gateway.conf, and a whole query through a real window.
#include "EnterpriseStandIn.h"
#include "TestProgram.h"
#include "gateway/Live.h"
#include "tracking/Answer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {
const QString Customer = QStringLiteral("C0FFEE12");
const QString Key = QStringLiteral("sEcReTkEy-98765");

// The stand-in, a live service on it, and a gateway in live mode.
struct Live {
    EnterpriseStandIn api{Customer, Key};
    std::unique_ptr<LiveService> live;
    Gateway gateway;
    explicit Live(LiveAccount account = {Customer, Key, {}}) {
        if (!api.listenLocal() || !gateway.listenLocal()) qFatal("cannot listen on loopback");
        live = std::make_unique<LiveService>(account, LiveEndpoints{api.pollUrl(), api.autoUrl()});
        gateway.setLive(live.get());
    }
    // The program's tracking request for this number, answered.
    QString track(const QString& number, const QString& com = QStringLiteral("yuantong")) {
        RealHttp http(20000);
        return bodyText(
            http.get(trackingUrl(gateway.baseUrl() + QStringLiteral("/"), com, number)));
    }
};

EnterpriseStandIn::Script moving(QList<QPair<QString, QString>> entries, int delayMs = 0) {
    return {EnterpriseStandIn::Behaviour::Moving, std::move(entries), {}, delayMs};
}
EnterpriseStandIn::Script behaving(EnterpriseStandIn::Behaviour b) {
    return {b, {}, {}, 0};
}

// Every message Qt or the gateway logs while a test runs.
QStringList logged;
void keepMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    logged << text;
}
} // namespace

class LiveTest : public QObject {
    Q_OBJECT
private slots:
    void theQueryIsSignedAsDocumented() {
        const QByteArray param =
            liveParam(QStringLiteral("yuantong"), QStringLiteral("YT123"), QStringLiteral("1234"));
        QCOMPARE(QJsonDocument::fromJson(param).object(),
                 (QJsonObject{
                     {"com", "yuantong"}, {"num", "YT123"}, {"order", "desc"}, {"phone", "1234"}}));
        QVERIFY(!liveParam(QStringLiteral("a"), QStringLiteral("1"), QString()).contains("phone"));
        // MD5 of param + key + customer, upper-case hex (md5("{}kc")).
        QCOMPARE(liveSign("{}", QStringLiteral("k"), QStringLiteral("c")),
                 QCryptographicHash::hash("{}kc", QCryptographicHash::Md5).toHex().toUpper());
        QCOMPARE(liveForm(QStringLiteral("c d"), "{\"a\":\"&=+\"}", "AB"),
                 QByteArray("customer=c%20d&param=%7B%22a%22%3A%22%26%3D%2B%22%7D&sign=AB"));

        const LiveAccount conf = parseGatewayConf(QStringLiteral(
            "# my account\n[account]\ncustomer = C1\nkey=K=1\n\n[phone]\nSF1234567890=5678\n"
            "; no phone\nJD1=\n[other]\ncustomer=x\n"));
        QCOMPARE(conf.customer, QStringLiteral("C1"));
        QCOMPARE(conf.key, QStringLiteral("K=1"));
        QCOMPARE(conf.phones, (QHash<QString, QString>{{"SF1234567890", "5678"}}));
        QVERIFY(conf.complete());
        QVERIFY(!parseGatewayConf(QStringLiteral("[account]\ncustomer=C1\n")).complete());
        // Indented, and saved with Windows line ends.
        const LiveAccount indented =
            parseGatewayConf(QStringLiteral("  [account]  \r\n  customer = C2\r\n\tkey = K2\r\n"));
        QCOMPARE(indented.customer, QStringLiteral("C2"));
        QCOMPARE(indented.key, QStringLiteral("K2"));
    }

    void everyAnswerIsTranslated() {
        Live l;
        l.api.script(QStringLiteral("100"),
                     moving({{QStringLiteral("2026-12-08 09:00:00"),
                              QStringLiteral("到达 上海/浦东 \"中心\"")},
                             {QStringLiteral("2026-12-07 18:00:00"), QStringLiteral("已揽收")}}));
        l.api.script(QStringLiteral("101"), behaving(EnterpriseStandIn::Behaviour::NoResult));
        l.api.script(QStringLiteral("102"), behaving(EnterpriseStandIn::Behaviour::OverQuota));
        l.api.script(QStringLiteral("103"), behaving(EnterpriseStandIn::Behaviour::ServerError));

        const QString ok = l.track(QStringLiteral("100"));
        QCOMPARE(errorCode(ok), 0);
        QCOMPARE(countEntries(ok), 2);
        QVERIFY(ok.contains(QStringLiteral("上海\\/浦东")));
        const QList<Entry> entries = parseEntries(ok, 2);
        QCOMPARE(entries[0].time, QStringLiteral("2026-12-08 09:00:00"));
        QCOMPARE(entries[0].context, QStringLiteral("到达 上海 浦东 \"中心\""));
        QCOMPARE(entries[1].context, QStringLiteral("已揽收"));
        const QJsonObject sent = l.api.params().first();
        QCOMPARE(sent.value("com").toString(), QStringLiteral("yuantong"));
        QCOMPARE(sent.value("num").toString(), QStringLiteral("100"));
        QCOMPARE(sent.value("order").toString(), QStringLiteral("desc"));
        QVERIFY(!sent.contains("phone"));

        QCOMPARE(errorCode(l.track(QStringLiteral("101"))), 1);
        QCOMPARE(errorCode(l.track(QStringLiteral("102"))), 22);
        QCOMPARE(errorCode(l.track(QStringLiteral("103"))), 3);

        // A wrong key: the stand-in refuses the signature.
        Live wrong(LiveAccount{Customer, QStringLiteral("not-the-key"), {}});
        wrong.api.script(QStringLiteral("100"), moving({}));
        QCOMPARE(errorCode(wrong.track(QStringLiteral("100"))), 20);
        // Nobody there at all.
        LiveService gone({Customer, Key, {}}, {QStringLiteral("http://127.0.0.1:1/poll/query.do"),
                                               QStringLiteral("http://127.0.0.1:1/auto")});
        Gateway g;
        g.listenLocal();
        g.setLive(&gone);
        RealHttp http(20000);
        QCOMPARE(
            errorCode(bodyText(http.get(trackingUrl(g.baseUrl() + QStringLiteral("/"),
                                                    QStringLiteral("x"), QStringLiteral("1"))))),
            3);
    }

    void answersAreKeptAndShared() {
        Live l;
        l.live->cacheMs = 600;
        l.api.script(
            QStringLiteral("200"),
            moving({{QStringLiteral("2026-12-08 09:00:00"), QStringLiteral("在途")}}, 300));
        l.api.script(QStringLiteral("201"), behaving(EnterpriseStandIn::Behaviour::ServerError));
        // Three requests at once: one upstream call.
        QNetworkAccessManager net;
        const QUrl url(trackingUrl(l.gateway.baseUrl() + QStringLiteral("/"),
                                   QStringLiteral("yuantong"), QStringLiteral("200")));
        QList<QNetworkReply*> replies;
        for (int i = 0; i < 3; ++i)
            replies << net.get(QNetworkRequest(url));
        for (QNetworkReply* r : replies) {
            QTRY_VERIFY_WITH_TIMEOUT(r->isFinished(), 10000);
            QCOMPARE(errorCode(QString::fromUtf8(r->readAll())), 0);
            r->deleteLater();
        }
        QCOMPARE(l.api.calls(), 1);
        // Within the cache window: no upstream call; after it: one more.
        QCOMPARE(errorCode(l.track(QStringLiteral("200"))), 0);
        QCOMPARE(l.api.calls(), 1);
        QTest::qWait(700);
        QCOMPARE(errorCode(l.track(QStringLiteral("200"))), 0);
        QCOMPARE(l.api.calls(), 2);
        // A failure of the service is not kept: the next request asks again.
        QCOMPARE(errorCode(l.track(QStringLiteral("201"))), 3);
        QCOMPARE(errorCode(l.track(QStringLiteral("201"))), 3);
        QCOMPARE(l.api.calls(), 4);
    }

    void aHangingServiceIsGivenUp() {
        Live l;
        l.live->upstreamTimeoutMs = 300;
        l.api.script(QStringLiteral("300"), behaving(EnterpriseStandIn::Behaviour::Hang));
        QElapsedTimer t;
        t.start();
        QCOMPARE(errorCode(l.track(QStringLiteral("300"))), 3);
        QVERIFY(t.elapsed() < 5000);
        l.api.releaseHanging();
    }

    void theKeyNeverShows() {
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
        Live l;
        l.live->upstreamTimeoutMs = 300;
        l.api.script(QStringLiteral("400"), behaving(EnterpriseStandIn::Behaviour::ServerError));
        l.api.script(QStringLiteral("401"), behaving(EnterpriseStandIn::Behaviour::Hang));
        QStringList answers = {l.track(QStringLiteral("400")), l.track(QStringLiteral("401"))};
        RealHttp http(20000);
        answers << bodyText(
            http.get(l.gateway.baseUrl() + QStringLiteral("/autonumber/auto?num=YT1")));
        answers << bodyText(
            http.get(l.gateway.baseUrl() + QStringLiteral("/autonumber/auto?num=FAIL")));
        qInstallMessageHandler(previous);
        l.api.releaseHanging();
        QVERIFY(logged.size() >= 3); // every failure was logged
        for (const QString& text : logged + answers)
            QVERIFY2(!text.contains(Key), qPrintable(text));
        // The real-time query carries only the signature.
        for (const QByteArray& body : l.api.raw().mid(0, 2))
            QVERIFY(!body.contains(Key.toUtf8()));
        QVERIFY(answers[2].contains(QStringLiteral("\"comCode\":\"yuantong\"")));
        QCOMPARE(answers[3], QStringLiteral("[]"));
    }

    void aNumberThatNeedsAPhoneGetsItFromTheConf() {
        LiveAccount account = parseGatewayConf(
            QStringLiteral("[account]\ncustomer=%1\nkey=%2\n[phone]\nSF1400000001=5678\n")
                .arg(Customer, Key));
        Live l(account);
        EnterpriseStandIn::Script sf =
            moving({{QStringLiteral("2026-12-08 09:00:00"), QStringLiteral("顺丰已收件")}});
        sf.behaviour = EnterpriseStandIn::Behaviour::NeedsPhone;
        sf.phone = QStringLiteral("5678");
        l.api.script(QStringLiteral("SF1400000001"), sf);
        l.api.script(QStringLiteral("SF1400000002"), sf);
        QCOMPARE(errorCode(l.track(QStringLiteral("SF1400000001"), QStringLiteral("shunfeng"))), 0);
        QCOMPARE(l.api.params().last().value("phone").toString(), QStringLiteral("5678"));
        // Without its phone the service does not answer for it.
        QCOMPARE(errorCode(l.track(QStringLiteral("SF1400000002"), QStringLiteral("shunfeng"))), 1);
    }

    void aWholeQueryThroughTheWindow() {
        TestProgram p;
        EnterpriseStandIn api{Customer, Key};
        QVERIFY(api.listenLocal());
        LiveService live({Customer, Key, {}}, {api.pollUrl(), api.autoUrl()});
        p.gateway.setLive(&live);
        api.script(
            QStringLiteral("YT9988776655"),
            moving({{QStringLiteral("2026-12-08 10:00:00"), QStringLiteral("快递员正在派件")},
                    {QStringLiteral("2026-12-07 08:00:00"), QStringLiteral("已揽收")}}));
        p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT9988776655"),
                    QStringLiteral("真包裹"));
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.form->ListView1->topLevelItemCount(), 2);
        QCOMPARE(p.form->ListView1->topLevelItem(0)->text(2), QStringLiteral("快递员正在派件"));
        QCOMPARE(p.form->Label12[2]->text(), QStringLiteral("派件中"));
        QCOMPARE(api.params().last().value("com").toString(), QStringLiteral("yuantong"));
        // The program's own version check still gets its local answer.
        QVERIFY(p.shell.ended.isEmpty());
    }
};

QTEST_MAIN(LiveTest)
#include "test_live.moc"
