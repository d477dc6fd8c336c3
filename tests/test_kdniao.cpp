// The second tracking service, 快递鸟, against its stand-in on loopback: the
// signed request and the reading of its answers, a whole query through the
// window, the phone for 顺丰 and 中通 only, the number recognition, a wrong
// key, the day's limit across a restart, the switch in 查询账户, and the key
// kept out of logs, the store, backups and mails.
#include "EnterpriseStandIn.h"
#include "KdniaoStandIn.h"
#include "SmtpServer.h"
#include "TestProgram.h"
#include "parcels/AddPanel.h"
#include "tracking/Kdniao.h"

#include <QCryptographicHash>

namespace {
const QString Id = QStringLiteral("1370021");
const QString ApiKey = QStringLiteral("56da2cf8-c8a2-44b2-b6fa-476cd7d1ba17");
const QDateTime T0(QDate(2026, 12, 9), QTime(10, 0));

// Oldest first, as 快递鸟 lists them.
KdniaoStandIn::Script moving(const char* state = "2", const char* stateEx = "211") {
    return {{{QStringLiteral("2026-12-07 08:00:00"), QStringLiteral("已揽收")},
             {QStringLiteral("2026-12-08 10:00:00"), QStringLiteral("到达北京转运中心")},
             {QStringLiteral("2026-12-09 09:00:00"), QStringLiteral("已放入望京驿站")}},
            QString::fromLatin1(state),
            QString::fromLatin1(stateEx)};
}

// The installed program with 快递鸟 in use (or 快递100 beside it), no gateway.
struct Service {
    KdniaoStandIn api;
    EnterpriseStandIn kd100{QStringLiteral("C0FFEE12"), QStringLiteral("k100-key")};
    TestProgram p;
    explicit Service(const QString& key = ApiKey, int limit = 500) : api(Id, ApiKey, limit) {
        if (!api.listenLocal() || !kd100.listenLocal()) qFatal("no stand-in on 127.0.0.1");
        p.endpoints = Endpoints::defaults();
        p.endpoints.poll = kd100.pollUrl();
        p.endpoints.autoEnterprise = kd100.autoUrl();
        p.endpoints.kdniao = api.url();
        p.endpoints.configFolder = p.folder() + QStringLiteral("/config");
        p.endpoints.account.kdniaoId = Id;
        p.endpoints.account.kdniaoKey = key;
        p.endpoints.service = TrackingService::Kdniao;
        p.clock.fixed = T0;
    }
    bool query(int index) {
        p.choose(index);
        return p.waitForQueryEnd();
    }
    QStringList asked(const char* type = "1002") const {
        QStringList numbers;
        for (const QJsonObject& r : api.requests())
            if (r.value(QStringLiteral("RequestType")).toString() == QLatin1String(type))
                numbers << r.value(QStringLiteral("LogisticCode")).toString();
        return numbers;
    }
};

QStringList logged;
void keepMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    logged << text;
}
} // namespace

class KdniaoTest : public QObject {
    Q_OBJECT
private slots:
    void theRequestAndItsReading() {
        QCOMPARE(kdniaoSign("{}", QStringLiteral("k")),
                 QCryptographicHash::hash("{}k", QCryptographicHash::Md5).toHex().toBase64());
        QCOMPARE(
            kdniaoTrackData(QStringLiteral("SF"), QStringLiteral("SF1"), QStringLiteral("1234")),
            QByteArray(R"({"CustomerName":"1234","LogisticCode":"SF1","ShipperCode":"SF"})"));
        const QByteArray form = kdniaoForm(QStringLiteral("1 2"), "1002", "{\"a\":\"&=+\"}", "k");
        QVERIFY(form.startsWith("RequestData=%7B%22a%22%3A%22%26%3D%2B%22%7D&EBusinessID=1%202&"
                                "RequestType=1002&DataSign="));
        QVERIFY(form.endsWith("&DataType=2"));
        QVERIFY(!form.contains('+') && !form.contains("=k"));
        // 顺丰 and 中通 are sent the last four digits of a phone; no one else any.
        for (const auto& [com, parcel, account, sent] :
             {std::tuple{"shunfeng", "", "13800001111", "1111"},
              {"zhongtong", "13800001111-9876", "", "9876"},
              {"shunfeng", "010-12345678", "", "5678"},
              {"yuantong", "", "13800001111", ""},
              {"shunfeng", "", "", ""}})
            QCOMPARE(kdniaoCustomerName(QString::fromLatin1(com), QString::fromLatin1(parcel),
                                        QString::fromLatin1(account)),
                     QString::fromLatin1(sent));

        const auto fail = [](const char* reason) {
            return QByteArray(R"({"Success":false,"Reason":")") + reason + "\"}";
        };
        const QByteArray ok =
            R"({"Success":true,"LogisticCode":"N1","ShipperCode":"YTO","State":"3","StateEx":"404",)"
            R"("Traces":[{"AcceptTime":"2026-12-01 08:00:00","AcceptStation":"揽收"},)"
            R"({"AcceptTime":"2026-12-02 08:00:00","AcceptStation":"拒收,退回"}]})";
        const struct {
            int status;
            QByteArray body;
            int code;
            bool keep, pace, phone, refused, limit;
        } rows[] = {
            {200, ok, 0, true, false, false, false, false},
            {200, R"({"Success":true,"LogisticCode":"N1","State":"0","Traces":[]})", 1, true, false,
             false, false, false},
            {200, fail("数据签名验证失败"), 20, false, false, false, true, false},
            {200, fail("今日调用次数已超过上限"), 22, false, false, false, false, true},
            {200, fail("已达每日上限"), 22, false, false, false, false, true},
            {200, fail("单号长度超过限制"), 3, false, true, false, false, false},
            {200, fail("顺丰需要CustomerName"), 1, false, false, true, false, false},
            {200, fail("未开通即时查询套餐"), 20, false, false, false, false, false},
            {200, fail("系统繁忙"), 3, false, true, false, false, false},
            {200, QByteArray(ok).replace("\"N1\"", "\"N2\""), 3, false, true, false, false, false},
            {200, QByteArray(ok).replace("\"Traces\":[", "\"Traces\":[1,"), 3, false, true, false,
             false, false},
            {200, "<html>portal</html>", 3, false, true, false, false, false},
            {500, ok, 3, false, true, false, false, false},
        };
        for (const auto& r : rows) {
            const ServiceAnswer a =
                readKdniaoAnswer(r.status, r.body, QStringLiteral("YTO"), QStringLiteral("N1"));
            QVERIFY2(errorCode(QString::fromUtf8(a.text)) == r.code, r.body.constData());
            QVERIFY2(a.keep == r.keep && a.pace == r.pace && a.phoneWanted == r.phone &&
                         a.accountRefused == r.refused && a.dayLimit == r.limit,
                     r.body.constData());
        }
        // Newest first, and 快递鸟's finer state decides; one it does not
        // document gives way to its State.
        const Reading read = Reading::of(QString::fromUtf8(
            readKdniaoAnswer(200, ok, QStringLiteral("YTO"), QStringLiteral("N1")).text));
        QCOMPARE(read.entries.first().context, QStringLiteral("拒收,退回"));
        QCOMPARE(read.state, ParcelState::Refused);
        const auto stateOf = [&](const char* ex) {
            return Reading::of(QString::fromUtf8(
                                   readKdniaoAnswer(200, QByteArray(ok).replace("404", ex),
                                                    QStringLiteral("YTO"), QStringLiteral("N1"))
                                       .text))
                .state;
        };
        for (const auto& [ex, state] : {std::pair{"211", ParcelState::AwaitingPickup},
                                        {"301", ParcelState::Signed},
                                        {"406", ParcelState::Returned},
                                        {"407", ParcelState::Returning},
                                        {"202", ParcelState::Delivering},
                                        {"999", ParcelState::Signed}})
            QCOMPARE(stateOf(ex), state);
        QCOMPARE(programKdniaoDetection(
                     200,
                     R"({"Success":true,"Shippers":[{"ShipperCode":"ZTO"},{"ShipperCode":"X"}]})",
                     [](const QString& c) { return c == QLatin1String("ZTO") ? "zhongtong" : c; }),
                 QByteArray(R"([{"comCode":"zhongtong"},{"comCode":"X"}])"));
        QCOMPARE(programKdniaoDetection(200, fail("签名错误"), {}), QByteArray(AutoNumberRefused));
        QCOMPARE(programKdniaoDetection(502, "", {}), QByteArray("503"));
    }

    void aWholeQueryThroughTheWindow() {
        Service s;
        s.api.script(QStringLiteral("YT9988776655"), moving());
        s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT9988776655"),
                      QStringLiteral("真包裹"));
        s.p.addParcel(QStringLiteral("中邮物流"), QStringLiteral("ZY123456789"),
                      QStringLiteral("书"));
        s.p.start();
        QVERIFY(s.query(0));
        QCOMPARE(s.p.ListView1()->topLevelItemCount(), 3);
        QCOMPARE(s.p.ListView1()->topLevelItem(0)->text(2), QStringLiteral("已放入望京驿站"));
        QCOMPARE(s.p.ListView1()->topLevelItem(2)->text(2), QStringLiteral("已揽收"));
        QCOMPARE(s.p.Label12(2)->text(), QStringLiteral("待取件"));
        QCOMPARE(s.p.status(), QStringLiteral("查询完毕..."));
        QCOMPARE(s.api.requests().size(), 1); // signed as the stand-in checks it
        const QJsonObject& sent = s.api.requests().first();
        QCOMPARE(sent.value(QStringLiteral("ShipperCode")).toString(), QStringLiteral("YTO"));
        QVERIFY(!sent.contains(QStringLiteral("CustomerName")));
        QVERIFY(s.api.raw().first().contains("EBusinessID=" + Id.toUtf8()));
        QCOMPARE(s.kd100.calls(), 0);
        // A company 快递鸟 has no code for is named, and nothing is sent.
        QVERIFY(s.query(1));
        QVERIFY(s.p.status().contains(QStringLiteral("\"中邮物流\"")));
        QCOMPARE(s.api.calls(), 1);
    }

    void thePhoneForSfAndZtoOnly() {
        Service s;
        KdniaoStandIn::Script sf = moving("3", "301");
        sf.customerName = QStringLiteral("1111");
        s.api.script(QStringLiteral("SF1428476301234"), sf);
        s.api.script(QStringLiteral("4312345678901"), moving());
        s.p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1428476301234"),
                      QStringLiteral("衣服"));
        s.p.addParcel(QStringLiteral("韵达快递"), QStringLiteral("4312345678901"),
                      QStringLiteral("鞋"));
        s.p.dialogs.inputs = {QStringLiteral("13800001111")};
        s.p.start();
        QVERIFY(s.query(0));
        QCOMPARE(s.p.dialogs.shown.size(), 1); // asked once for the phone
        QCOMPARE(s.p.Label12(2)->text(), QStringLiteral("已签收"));
        QCOMPARE(s.api.requests().last().value(QStringLiteral("CustomerName")).toString(),
                 QStringLiteral("1111"));
        QVERIFY(s.query(1));
        QCOMPARE(s.p.dialogs.shown.size(), 1);
        QVERIFY(!s.api.requests().last().contains(QStringLiteral("CustomerName")));
        QCOMPARE(s.p.ListView1()->topLevelItemCount(), 3);
    }

    // Typing spends no calls: one recognition once the number stops
    // changing, none for a number already recognised; the refresh button
    // asks at once.
    void theNumberRecognition() {
        Service s;
        KdniaoStandIn::Script zto;
        zto.shipper = QStringLiteral("ZTO");
        s.api.script(QStringLiteral("75312345678901"), zto);
        s.p.start();
        s.p.Check8()->setChecked(true);
        s.p.press(Qt::Key_F4);
        QTest::keyClicks(s.p.Text3()->lineEdit(), QStringLiteral("75312345678901"));
        QVERIFY(s.asked("2002").isEmpty());
        QTRY_COMPARE(s.p.Command1(12)->text(), QStringLiteral("中通快递"));
        QCOMPARE(s.asked("2002"), QStringList{QStringLiteral("75312345678901")});
        s.p.Text3()->setCurrentText(QString());
        QTest::keyClicks(s.p.Text3()->lineEdit(), QStringLiteral("75312345678901"));
        QTest::qWait(s.p.form->findChild<AddPanel*>()->detectPauseMs + 200);
        QCOMPARE(s.asked("2002").size(), 1);
        QCOMPARE(s.p.Command1(12)->text(), QStringLiteral("中通快递"));
        QTest::mouseClick(s.p.Command2(), Qt::LeftButton);
        QCOMPARE(s.asked("2002").size(), 2);
    }

    void aWrongKeyPointsToTheAccountPanel() {
        Service s(QStringLiteral("not-the-key"));
        s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT1"), QStringLiteral("书"));
        s.p.dialogs.answers = {Mb::Yes};
        s.p.start();
        QVERIFY(s.query(0));
        QVERIFY(s.p.status().startsWith(QStringLiteral("快递鸟拒绝了查询账户")));
        QCOMPARE(s.p.dialogs.prompts().first(),
                 QStringLiteral("快递鸟拒绝了查询账户：用户ID或API key不正确。\n \n"
                                "是否现在打开\"查询账户\"检查?"));
        QVERIFY(s.p.kdaccount()->isVisible());
        QCOMPARE(s.p.Option3(1)->isChecked(), true);
    }

    // The calls of the day are counted in the store: near the limit the
    // status line says so; once the service says the limit is reached,
    // nothing is sent until the next day, after a restart and by the watch.
    void theDaysLimitAcrossARestart() {
        Service s(ApiKey, 2);
        for (const char* n : {"YT1", "YT2", "YT3"}) {
            s.api.script(QString::fromLatin1(n), moving());
            s.p.addParcel(QStringLiteral("圆通速递"), QString::fromLatin1(n), QStringLiteral("书"));
        }
        s.p.start();
        {
            Store store(QStringLiteral("count"));
            QCOMPARE(store.open(s.p.storePath()), OpenResult::Ok);
            QVERIFY(store.setCalls(QStringLiteral("kdniao"), QStringLiteral("2026-12-09"), 459));
        }
        QVERIFY(s.query(0));
        QCOMPARE(s.p.status(), QStringLiteral("查询完毕...快递鸟今日已查询460次,每日上限500次"));
        QVERIFY(s.query(1));
        QVERIFY(s.query(2)); // the stand-in's own limit of two is reached
        QCOMPARE(s.p.status(), QStringLiteral("快递鸟今日的500次查询已用完,明日0点后恢复查询.."));
        QCOMPARE(s.api.calls(), 3);
        s.p.form.reset();
        s.p.start();
        QVERIFY(s.query(2));
        QCOMPARE(s.p.status(), QStringLiteral("快递鸟今日的500次查询已用完,明日0点后恢复查询.."));
        s.p.watch()->setOn(true);
        s.p.watch()->tick();
        QTest::qWait(200);
        QCOMPARE(s.api.calls(), 3);
        s.p.form.reset();
        s.p.clock.fixed = T0.addDays(1);
        s.api.script(QStringLiteral("YT3"), moving("3", "301"));
        s.p.start();
        QVERIFY(s.query(2));
        QCOMPARE(s.api.calls(), 4);
    }

    void theServiceIsChosenInThePanelAndTheKeyKeptToTheUser() {
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
        SmtpServer smtp;
        Service s;
        s.p.endpoints.service.reset();
        s.p.endpoints.account = {QStringLiteral("C0FFEE12"), QStringLiteral("k100-key"), {}};
        s.api.script(QStringLiteral("YT1"), moving());
        s.kd100.script(QStringLiteral("YT1"),
                       {EnterpriseStandIn::Behaviour::Moving,
                        {{QStringLiteral("2026-12-07 08:00:00"), QStringLiteral("已揽收")}},
                        {}});
        s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT1"), QStringLiteral("书"));
        s.p.endpoints.smtpUrl = smtp.url();
        s.p.endpoints.smtpUser = QStringLiteral("notice@quorvex.cn");
        s.p.endpoints.smtpPassword = QStringLiteral("s3cret");
        s.p.start();
        s.p.Check2()->setChecked(true);
        s.p.Sendmail()->setText(QStringLiteral("me@qq.com"));
        QVERIFY(s.query(0));
        QCOMPARE(s.kd100.calls(), 1); // 快递100 until the user chooses otherwise
        QCOMPARE(s.api.calls(), 0);

        s.p.press(Qt::Key_F9);
        QTest::mouseClick(s.p.Command6(), Qt::LeftButton);
        QVERIFY(s.p.Option3(0)->isChecked());
        QTest::mouseClick(s.p.Option3(1), Qt::LeftButton, {}, QPoint(8, 13)); // on its circle
        QCOMPARE(s.p.form->findChild<QLabel*>(QStringLiteral("Label_Text9"))->text(),
                 QStringLiteral("用户ID："));
        QTest::keyClicks(s.p.Text9(), Id);
        QTest::mouseClick(s.p.Command7(), Qt::LeftButton);
        QCOMPARE(s.p.status(), QStringLiteral("请填写快递鸟的用户ID和API key.."));
        QTest::keyClicks(s.p.Text10(), ApiKey);
        QTest::mouseClick(s.p.Command7(), Qt::LeftButton);
        QCOMPARE(s.p.status(), QStringLiteral("查询账户已保存.."));
        const QString file = s.p.endpoints.configFolder + QStringLiteral("/account.conf");
        QCOMPARE(fileMode(file), 0600);
        QVERIFY(fileBytes(file).contains("service = kdniao"));
        QTest::mouseClick(s.p.Command6(), Qt::LeftButton);
        QVERIFY(s.p.Option3(1)->isChecked() && s.p.Text10()->text().isEmpty());
        QVERIFY(s.p.Text10()->placeholderText().startsWith(QStringLiteral("已保存")));

        s.p.form->findChild<QuerySession*>()->csh();
        s.p.clock.fixed = T0.addSecs(3600); // the kept answer is no longer young
        QVERIFY(s.query(0));                // no restart: 快递鸟 is asked, and the news mailed
        QCOMPARE(s.api.calls(), 1);
        QCOMPARE(s.kd100.calls(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(smtp.mails().size(), 1, 15000);
        qInstallMessageHandler(previous);

        const QList<QByteArray> places = placesAKeyMustNotReach(s.p.folder(), logged, smtp.mails());
        QVERIFY(places.size() >= 4);
        for (const QByteArray& place : places)
            QVERIFY2(!place.contains(ApiKey.toUtf8()), place.left(200).constData());
    }
};

QTEST_MAIN(KdniaoTest)
#include "test_kdniao.moc"
