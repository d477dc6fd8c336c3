// Tracking real parcels with the user's own account of the tracking service,
// against a stand-in of its enterprise API on loopback and no gateway: the
// signed query and its translation, the account panel and file, nothing
// sent without an account, simulation only in the demo, the receiver's
// phone, half an hour per number, deadlines and size limits, certificates,
// and the key kept out of logs, the store, backups and mails.
#include "EnterpriseStandIn.h"
#include "SmtpServer.h"
#include "TestProgram.h"
#include "platform/SecretFile.h"
#include "tracking/Source.h"
#include "watch/BookWatch.h"

#include <QJsonArray>
#include <QPlainTextEdit>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
const QString Customer = QStringLiteral("C0FFEE12");
const QString Key = QStringLiteral("sEcReTkEy-98765");
const QDateTime T0(QDate(2026, 12, 9), QTime(10, 0));

using Behaviour = EnterpriseStandIn::Behaviour;
EnterpriseStandIn::Script moving(Behaviour b = Behaviour::Moving, QString phone = {}) {
    EnterpriseStandIn::Script s{
        b,
        {{QStringLiteral("2026-12-08 10:00:00"), QStringLiteral("快递员正在派件")},
         {QStringLiteral("2026-12-07 08:00:00"), QStringLiteral("已揽收")}},
        std::move(phone),
        0};
    s.state = QStringLiteral("5");
    return s;
}

// A program that asks the stand-in itself: no gateway, no version file.
struct Service {
    EnterpriseStandIn api{Customer, Key};
    TestProgram p;
    explicit Service(TrackingAccount account = {Customer, Key, {}}) {
        if (!api.listenLocal()) qFatal("the stand-in cannot listen on 127.0.0.1");
        p.endpoints = Endpoints::defaults();
        p.endpoints.poll = api.pollUrl();
        p.endpoints.autoEnterprise = api.autoUrl();
        p.endpoints.configFolder = p.folder() + QStringLiteral("/config");
        p.endpoints.account = std::move(account);
        p.clock.fixed = T0;
    }
    // One parcel of this courier, chosen and queried; false when it did not end.
    bool query(int index) {
        p.choose(index);
        return p.waitForQueryEnd();
    }
};

int code(const QString& answer) {
    return errorCode(answer).value_or(-1);
}

int mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

QStringList logged;
void keepMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    logged << text;
}
} // namespace

class ServiceTest : public QObject {
    Q_OBJECT
private slots:
    void theQueryAndTheAccountFile() {
        const QByteArray param = enterpriseParam(QStringLiteral("shunfeng"), QStringLiteral("SF1"),
                                                 QStringLiteral("1234"));
        QCOMPARE(param, QByteArray(R"({"com":"shunfeng","num":"SF1","order":"desc","phone":"1234",)"
                                   R"("resultv2":"4"})"));
        QVERIFY(!enterpriseParam(QStringLiteral("a"), QStringLiteral("1"), {}).contains("phone"));
        QCOMPARE(enterpriseSign("{}", QStringLiteral("k"), QStringLiteral("c")),
                 QCryptographicHash::hash("{}kc", QCryptographicHash::Md5).toHex().toUpper());
        QCOMPARE(enterpriseForm(QStringLiteral("c d"), "{\"a\":\"&=+\"}", "AB"),
                 QByteArray("customer=c%20d&param=%7B%22a%22%3A%22%26%3D%2B%22%7D&sign=AB"));
        QCOMPARE(enterpriseAutoNumberUrl(QStringLiteral("https://x/auto"), QStringLiteral("1 2"),
                                         QStringLiteral("k&y")),
                 QStringLiteral("https://x/auto?num=1%202&key=k%26y"));

        // The file of this version and the gateway.conf of earlier ones.
        const AccountFile read = parseAccountFile(QStringLiteral(
            "# mine\r\n  [account]\r\ncustomer = C1\nkey=K=1\nphone = 5678\n[phone]\nSF1=1234\n"
            "; none\nJD1=\n[other]\ncustomer=x\n"));
        QCOMPARE(read.account.customer, QStringLiteral("C1"));
        QCOMPARE(read.account.key, QStringLiteral("K=1"));
        QCOMPARE(read.account.phone, QStringLiteral("5678"));
        QCOMPARE(read.phones, (QHash<QString, QString>{{"SF1", "1234"}}));
        const TrackingAccount back =
            parseAccountFile(QString::fromUtf8(accountFileText({"C2", "K\n[x]", "13800001111"})))
                .account;
        QCOMPARE(back.key, QStringLiteral("K[x]")); // a line break cannot start a section
        QCOMPARE(back.phone, QStringLiteral("13800001111"));

        // A mobile, a landline with its area code, the last four digits, or a
        // shop's virtual number, whose four digits after "-" are what is sent.
        for (const auto& [text, ok, sent] : {std::tuple{"5678", true, "5678"},
                                             {"13800001111", true, "13800001111"},
                                             {"010-12345678", true, "010-12345678"},
                                             {"0755-1234567", true, "0755-1234567"},
                                             {"075512345678", true, "075512345678"},
                                             {"13800001111-1234", true, "1234"},
                                             {"23800001111", false, ""},
                                             {"567", false, ""},
                                             {"56a8", false, ""},
                                             {"010-123", false, ""},
                                             {"13800001111-12", false, ""},
                                             {"1380000111-1234", false, ""},
                                             {"", false, ""}}) {
            QVERIFY2(isPhoneText(QString::fromLatin1(text)) == ok, text);
            if (ok)
                QCOMPARE(phoneToSend(QStringLiteral("yuantong"), QString::fromLatin1(text), {}),
                         QString::fromLatin1(sent));
        }
        QCOMPARE(phoneToSend(QStringLiteral("yuantong"), {}, QStringLiteral("5678")), QString());
        QCOMPARE(phoneToSend(QStringLiteral("shunfeng"), {}, QStringLiteral("13800001111-9876")),
                 QStringLiteral("9876"));
    }

    void everyAnswerIsTranslated() {
        const auto fail = [](const char* code, const char* message) {
            return QByteArray(R"({"result":false,"returnCode":")") + code + R"(","message":")" +
                   QByteArray(message) + "\"}";
        };
        const struct {
            std::optional<int> status;
            QByteArray body;
            int code;
            bool phone, keep;
        } rows[] = {
            {200, R"({"status":"200","data":[{"time":"t","ftime":"t","context":"a/b\u202Ex"}]})", 0,
             false, true},
            {200, fail("500", "查询无结果"), 1, false, true},
            {200, fail("408", "校验失败"), 1, true, false},
            {200, fail("400", "请提供收件人手机号"), 1, true, false},
            {200, fail("503", "验证签名失败"), 20, false, false},
            {200, fail("400", "找不到对应公司"), 20, false, false},
            {200, fail("601", "key过期"), 22, false, false},
            {200, fail("502", "服务器错误"), 3, false, false},
            {500, "<html>", 3, false, false},
            {std::nullopt, {}, 3, false, false},
        };
        for (const auto& r : rows) {
            const ServiceAnswer a = readEnterpriseAnswer(r.status, r.body, {}, {});
            QCOMPARE(code(QString::fromUtf8(a.text)), r.code);
            QCOMPARE(a.phoneWanted, r.phone);
            QCOMPARE(a.keep, r.keep);
        }
        const QString ok = QString::fromUtf8(readEnterpriseAnswer(200, rows[0].body, {}, {}).text);
        QCOMPARE(parseEntries(ok, countEntries(ok)).first().context, QStringLiteral("a bx"));
    }

    // The installed program alone: no gateway, no version file, no box.
    void aWholeQueryWithTheUsersAccount() {
        Service s;
        s.p.start();
        QVERIFY(s.p.kdmenu(0)->isVisible()); // an empty book: the add panel
        s.p.form.reset();
        s.api.script(QStringLiteral("YT9988776655"), moving());
        s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT9988776655"),
                      QStringLiteral("真包裹"));
        s.p.start();
        QVERIFY(!s.p.kdmenu(0)->isVisible());
        QVERIFY(s.p.dialogs.shown.isEmpty());
        QCOMPARE(s.p.status(), QStringLiteral("程序已加载完毕,当前共有1个快递单。"));
        QVERIFY(s.query(0));
        QCOMPARE(s.p.ListView1()->topLevelItemCount(), 2);
        QCOMPARE(s.p.Label12(2)->text(), QStringLiteral("派件中"));
        QCOMPARE(s.p.Label27()->text(), QStringLiteral("查询时间：2026-12-09 10:00:00"));
        QCOMPARE(s.api.asked(), QStringList{QStringLiteral("YT9988776655")});
        // Courier detection asks the service's auto-number query with the key.
        s.p.press(Qt::Key_F4);
        QTest::keyClicks(s.p.Text3()->lineEdit(), QStringLiteral("YT12345678"));
        QTRY_COMPARE(s.p.Command1(12)->text(), QStringLiteral("圆通速递"));
        QCOMPARE(s.p.gateway.requestCount(), 0);
    }

    void withoutAnAccountNothingIsSentNorInvented() {
        Service s(TrackingAccount{});
        s.p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1428476301234"),
                      QStringLiteral("衣服"));
        s.p.dialogs.answers = {Mb::Yes};
        s.p.start();
        QVERIFY(s.query(0));
        QCOMPARE(s.p.ListView1()->topLevelItemCount(), 0);
        QCOMPARE(s.p.Label12(2)->text(), QStringLiteral("未查询"));
        QVERIFY(s.p.status().startsWith(QStringLiteral("未设置查询账户")));
        QCOMPARE(s.p.dialogs.shown.size(), 1);
        QVERIFY(s.p.dialogs.shown[0].prompt.startsWith(QStringLiteral("尚未设置查询账户!")));
        QVERIFY(s.p.kdaccount()->isVisible()); // 是 opens the account panel
        QVERIFY(s.query(0));
        QCOMPARE(s.p.dialogs.shown.size(), 1); // the status line after the first time
        s.p.Check8()->setChecked(true);
        s.p.press(Qt::Key_F4);
        QTest::keyClicks(s.p.Text3()->lineEdit(), QStringLiteral("SF14284763"));
        QCOMPARE(s.p.Command1(12)->text(), QStringLiteral("请选择快递公司"));
        s.p.watch()->setOn(true);
        s.p.watch()->tick();
        s.p.press(Qt::Key_B, Qt::ControlModifier); // 批量添加's detection neither
        s.p.control<QPlainTextEdit>(QStringLiteral("TextBatch"))
            ->setPlainText(QStringLiteral("YT5000000001"));
        for (int button : {1, 2})
            QTest::mouseClick(
                s.p.control<QPushButton>(QStringLiteral("CommandBatch_%1").arg(button)),
                Qt::LeftButton);
        QCOMPARE(s.p.status(),
                 QStringLiteral("未设置查询账户,无法检测快递公司,请在每行写明快递公司.."));
        QTest::qWait(100);
        QCOMPARE(s.api.calls(), 0);
        QCOMPARE(s.p.gateway.requestCount(), 0);
    }

    void onlyTheDemoSimulates() {
        TestProgram p;
        p.endpoints = Endpoints::defaults();
        p.endpoints.demo = true;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1428476301234"),
                    QStringLiteral("衣服"));
        p.start();
        QVERIFY(p.Label28()->isVisible());
        QVERIFY(p.form->windowTitle().contains(QStringLiteral("演示")));
        QVERIFY(p.status().contains(QStringLiteral("演示")));
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QVERIFY(p.ListView1()->topLevelItemCount() > 0);
        QCOMPARE(p.gateway.requestCount(), 0);
    }

    void thePhoneGoesWhereTheServiceWantsIt() {
        Service s({Customer, Key, QStringLiteral("5678")});
        const QStringList couriers = {QStringLiteral("顺丰快递"), QStringLiteral("顺丰快运"),
                                      QStringLiteral("中通快递"), QStringLiteral("圆通速递")};
        for (int i = 0; i < couriers.size(); ++i) {
            s.api.script(QStringLiteral("N%1").arg(i), moving());
            s.p.addParcel(couriers[i], QStringLiteral("N%1").arg(i), QStringLiteral("g%1").arg(i));
        }
        s.p.start();
        for (int i = 0; i < couriers.size(); ++i) {
            QVERIFY(s.query(i));
            QCOMPARE(s.api.params().last().value("phone").toString(),
                     i < 3 ? QStringLiteral("5678") : QString());
        }
    }

    void aPhoneIsAskedForOnceAndKeptWithTheParcel() {
        Service s;
        s.api.script(QStringLiteral("SF1"), moving(Behaviour::NeedsPhone, QStringLiteral("1234")));
        const qint64 id = s.p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1"),
                                        QStringLiteral("衣服"));
        s.p.start();
        s.p.dialogs.inputs = {QStringLiteral(" 1234 ")};
        QVERIFY(s.query(0));
        QCOMPARE(s.p.ListView1()->topLevelItemCount(), 2);
        QCOMPARE(s.p.dialogs.shown.size(), 1);
        QVERIFY(s.p.dialogs.shown[0].prompt.contains(QStringLiteral("需要收件人手机号码")));
        Store store(QStringLiteral("phones"));
        QCOMPARE(store.open(s.p.storePath()), OpenResult::Ok);
        QCOMPARE(*store.parcelPhone(id), QStringLiteral("1234"));

        // The receiver changed: the kept phone is sent, refused, asked for
        // once more; a wrong one ends the query, and nothing offers a delete.
        s.api.script(QStringLiteral("SF1"), moving(Behaviour::NeedsPhone, QStringLiteral("4321")));
        s.p.clock.fixed = T0.addSecs(31 * 60);
        s.p.dialogs.inputs = {QStringLiteral("9999")};
        QVERIFY(s.query(0));
        QCOMPARE(s.api.params().at(s.api.params().size() - 2).value("phone").toString(),
                 QStringLiteral("1234"));
        QCOMPARE(s.api.params().last().value("phone").toString(), QStringLiteral("9999"));
        QCOMPARE(s.p.dialogs.shown.size(), 2);
        QVERIFY(s.p.dialogs.shown[1].prompt.contains(QStringLiteral("不匹配")));
        QVERIFY(s.p.status().startsWith(QStringLiteral("需要正确的收件人手机号码")));
        QCOMPARE(s.p.parcel(id).number, QStringLiteral("SF1"));
    }

    // The service's state through the window's query (kept across a
    // restart), the add panel and the whole-book watch: a refused parcel is
    // not signed for and stays watched and pollable; a returned one is done.
    void theServicesStateReachesEveryReader() {
        Service s;
        const auto state = [&](const char* number, const char* code, const char* newest) {
            auto script = moving();
            script.state = QLatin1String(code);
            script.entries[0].second = QString::fromUtf8(newest);
            s.api.script(QLatin1String(number), script);
        };
        state("YT1", "14", "您的快件已被收件人拒签,感谢使用");
        state("YT2", "501", "快件已放入驿站,请凭取件码取件,感谢使用");
        state("YT3", "4", "退回件已由寄件人签收");
        const qint64 refused =
            s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT1"), QStringLiteral("书"));
        const qint64 returned =
            s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT3"), QStringLiteral("笔"));
        s.p.start();
        QVERIFY(s.query(0));
        QCOMPARE(s.p.Label12(2)->text(), QStringLiteral("已拒签"));
        QCOMPARE(s.p.Label12(3)->text(), QStringLiteral("有更新"));
        QCOMPARE(s.p.parcel(refused).num, QStringLiteral("2"));
        s.p.Combo4()->setCurrentIndex(0);
        QTest::mouseClick(s.p.Command1(16), Qt::LeftButton);
        QCOMPARE(s.p.Command1(16)->text(), QStringLiteral("停止循环")); // pollable
        QTest::mouseClick(s.p.Command1(16), Qt::LeftButton);
        s.p.form.reset(); // the kept answer says the same after a restart
        s.p.start();
        QVERIFY(s.query(0));
        QCOMPARE(s.api.asked().count(QStringLiteral("YT1")), 1);
        QCOMPARE(s.p.Label12(2)->text(), QStringLiteral("已拒签"));

        s.p.press(Qt::Key_F4);
        s.p.Text3()->setCurrentText(QStringLiteral("YT2"));
        s.p.Command1(12)->setText(QStringLiteral("圆通速递"));
        s.p.Text2()->setText(QStringLiteral("茶"));
        QTest::mouseClick(s.p.Command1(13), Qt::LeftButton);
        QVERIFY(s.p.waitForQueryEnd());
        QCOMPARE(s.p.Text1()->currentText(), QStringLiteral("茶"));
        QCOMPARE(s.p.Label12(2)->text(), QStringLiteral("待取件"));

        Store store(QStringLiteral("states"));
        QCOMPARE(store.open(s.p.storePath()), OpenResult::Ok);
        s.p.clock.elapsed = 0;
        s.p.watch()->setOn(true);
        for (int i = 0; i < 3; ++i) { // a turn of its own for each parcel
            *s.p.clock.elapsed += 3600;
            s.p.watch()->tick();
            QTRY_VERIFY(!s.p.watch()->asking());
        }
        QCOMPARE((*store.watchRow(returned))->state, QStringLiteral("已退签"));
        QCOMPARE((*store.watchRow(refused))->state, QStringLiteral("已拒签"));
        const auto watched = store.watchedParcels(finishedStateTexts());
        QCOMPARE(*watched,
                 (QList<std::pair<qint64, bool>>{{refused, false}, {returned, true}, {3, false}}));
    }

    // Each failure says what to do; a refused account offers 查询账户 once.
    void failuresSayWhatToDo() {
        Service s({Customer, QStringLiteral("WRONG-KEY"), {}});
        s.api.script(QStringLiteral("YT1"), moving());
        s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT1"), QStringLiteral("书"));
        s.p.dialogs.answers = {Mb::Yes};
        s.p.start();
        QVERIFY(s.query(0));
        const QString refused = QStringLiteral(
            "快递100拒绝了查询账户的签名:授权码或key不正确,请按F9在\"查询账户\"中检查..");
        QCOMPARE(s.p.status(), refused);
        QCOMPARE(
            s.p.dialogs.prompts(),
            QStringList{QStringLiteral("快递100拒绝了查询账户：授权码(customer)或key不正确。\n \n"
                                       "是否现在打开\"查询账户\"检查?")});
        QVERIFY(s.p.kdaccount()->isVisible());
        QVERIFY(s.query(0)); // once a session: the status line after that
        QCOMPARE(s.p.status(), refused);
        QCOMPARE(s.p.dialogs.shown.size(), 1);
        // Detection is for paying accounts: a refusal never blames the number.
        s.p.Check8()->setChecked(true);
        s.p.press(Qt::Key_F4);
        QTest::keyClicks(s.p.Text3()->lineEdit(), QStringLiteral("YT12345678"));
        QCOMPARE(s.p.Command1(12)->text(), QStringLiteral("请选择快递公司"));
        QTRY_VERIFY(
            s.p.status().startsWith(QStringLiteral("快递100的单号自动识别只对付费账户开放")));

        const struct {
            Behaviour behaviour;
            const char* company;
            const char* said;
        } rows[] = {
            // First: no code left from an earlier choice, so none is sent.
            {Behaviour::Moving, "没有代码的快递",
             "快递100拒绝了这次查询:请检查所选的快递公司是否正确,以及查询账户是否已开通实时查询"
             "并已充值.."},
            {Behaviour::OverQuota, "圆通速递",
             "快递100查询账户的查询次数已用完或key已过期,请到快递100充值后再查询.."},
            {Behaviour::ServerError, "圆通速递", "链接查询服务器失败!请稍后再试.."},
            {Behaviour::Busy, "圆通速递", "查询服务繁忙,请稍后再试.."},
        };
        Service t;
        for (const auto& r : rows)
            t.p.addParcel(QString::fromUtf8(r.company), QStringLiteral("F%1").arg(int(r.behaviour)),
                          QStringLiteral("g%1").arg(int(r.behaviour)));
        t.p.start();
        for (int i = 0; i < int(std::size(rows)); ++i) {
            t.api.script(QStringLiteral("F%1").arg(int(rows[i].behaviour)),
                         moving(rows[i].behaviour));
            QVERIFY(t.query(i));
            QCOMPARE(t.p.status(), QString::fromUtf8(rows[i].said));
        }
        QVERIFY(t.p.dialogs.shown.isEmpty());
    }

    void eachNumberAtMostOncePerHalfHour() {
        Service s;
        s.api.script(QStringLiteral("YT1"), moving());
        s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT1"), QStringLiteral("书"));
        s.p.start();
        QVERIFY(s.query(0));
        s.p.clock.fixed = T0.addSecs(29 * 60);
        QVERIFY(s.query(0));
        QCOMPARE(s.api.calls(), 1);
        QCOMPARE(s.p.ListView1()->topLevelItemCount(), 2);
        QVERIFY(s.p.Label27()->text().startsWith(
            QStringLiteral("查询时间：2026-12-09 10:00:00（同一单号半小时内只查询一次")));
        s.p.clock.fixed = T0.addSecs(30 * 60); // half an hour on: asked again
        QVERIFY(s.query(0));
        QCOMPARE(s.api.calls(), 2);
        s.p.form.reset(); // a restart: the kept answer is in the store
        s.p.clock.fixed = T0.addSecs(59 * 60);
        s.p.start();
        QVERIFY(s.query(0));
        QCOMPARE(s.api.calls(), 2);
        QCOMPARE(s.p.ListView1()->topLevelItemCount(), 2);
    }

    void callsEndAtTheirDeadlineAndSizeLimitAndNeverOverlap() {
        Service s;
        Store store(QStringLiteral("limits"));
        QCOMPARE(store.open(s.p.storePath()), OpenResult::Ok);
        EnterpriseSource source(*s.p.http, store, s.p.clock, s.api.pollUrl(), s.api.autoUrl());
        source.setAccount({Customer, Key, {}});
        source.deadlineMs = 500;
        source.maxBytes = 64 << 10;
        s.api.script(QStringLiteral("slow"), moving(Behaviour::Trickle));
        s.api.script(QStringLiteral("huge"), moving(Behaviour::Huge));
        auto shared = moving();
        shared.delayMs = 300;
        s.api.script(QStringLiteral("once"), shared);
        const auto ask = [&](const QString& number) {
            return waitFor<TrackReply>([&](std::function<void(TrackReply)> done) {
                return source.track({QStringLiteral("yuantong"), number, {}}, std::move(done));
            });
        };
        QElapsedTimer t;
        t.start();
        QCOMPARE(code(ask(QStringLiteral("slow")).body), 3);
        QVERIFY(t.elapsed() < 3000);
        QCOMPARE(code(ask(QStringLiteral("huge")).body), 3);
        QList<int> codes;
        for (int i = 0; i < 2; ++i)
            source.track({QStringLiteral("yuantong"), QStringLiteral("once"), {}},
                         [&](const TrackReply& r) { codes << code(r.body); });
        QTRY_COMPARE(codes, (QList<int>{0, 0}));
        QCOMPARE(s.api.asked().count(QStringLiteral("once")), 1);
    }

    // What a hostile service sends ends once, as a failure said as such, and
    // never as progress; each number reaches the service once.
    void hostileAnswersEndOnceAsFailures() {
        Service s;
        EnterpriseStandIn elsewhere{Customer, Key};
        QVERIFY(elsewhere.listenLocal());
        Store store(QStringLiteral("hostile"));
        QCOMPARE(store.open(s.p.storePath()), OpenResult::Ok);
        EnterpriseSource source(*s.p.http, store, s.p.clock, s.api.pollUrl(), s.api.autoUrl());
        source.setAccount({Customer, Key, {}});
        source.deadlineMs = 2000;
        const struct {
            Behaviour behaviour;
            const char* failure; // empty: the code's own text
            int code, rows;
            qint64 pausedSecs;
        } rows[] = {
            {Behaviour::OtherNumber, "不是该快递单号的结果", 3, 0, 120},
            {Behaviour::Malformed, "格式有误", 3, 0, 120},
            {Behaviour::Duplicated, "", 0, 2, 0},
            {Behaviour::Redirect, "转到其他地址", 3, 0, 120},
            {Behaviour::Close, "", 3, 0, 120},
            {Behaviour::Busy, "繁忙", 3, 0, 600},
            {Behaviour::Flood, "过大", 3, 0, 120},
            {Behaviour::Trickle, "2秒内没有回答", 3, 0, 120},
        };
        for (const auto& r : rows) {
            const QString number = QStringLiteral("H%1").arg(int(r.behaviour));
            auto script = moving(r.behaviour);
            script.location = elsewhere.pollUrl();
            s.api.script(number, script);
            QList<TrackReply> replies;
            QElapsedTimer t;
            t.start();
            source.track({QStringLiteral("yuantong"), number, {}},
                         [&](const TrackReply& reply) { replies << reply; });
            QTRY_COMPARE_WITH_TIMEOUT(replies.size(), 1, 5000);
            QTest::qWait(50);
            QCOMPARE(replies.size(), 1);
            const TrackReply& reply = replies.first();
            QVERIFY2(t.elapsed() < 3000, qPrintable(number));
            QCOMPARE(code(reply.body), r.code);
            QVERIFY2(reply.failure.contains(QString::fromUtf8(r.failure)),
                     qPrintable(number + u' ' + reply.failure));
            QCOMPARE(parseEntries(reply.body, countEntries(reply.body)).size(), r.rows);
            QCOMPARE(s.api.asked().count(number), 1);
            QCOMPARE(store.keptAnswer(QStringLiteral("yuantong"), number)->has_value(),
                     r.code == 0);
            QCOMPARE(reply.heldUntil.isValid() ? T0.secsTo(reply.heldUntil) : 0, r.pausedSecs);
        }
        // The whole-book watch takes another number's answer for nothing either.
        auto signedElsewhere = moving(Behaviour::OtherNumber);
        signedElsewhere.entries.prepend(
            {QStringLiteral("2026-12-09 09:00:00"), QStringLiteral("已签收,感谢使用")});
        s.api.script(QStringLiteral("W1"), signedElsewhere);
        const qint64 watched =
            s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("W1"), QStringLiteral("书"));
        BookWatch watch(store, s.p.clock);
        watch.setSource(&source);
        watch.setOn(true);
        watch.tick();
        QTRY_COMPARE(s.api.asked().count(QStringLiteral("W1")), 1);
        QTRY_VERIFY(!watch.asking());
        QVERIFY(!store.watchRow(watched)->has_value());
        // The auto-number query ends at its size limit too.
        QCOMPARE(waitFor<QString>([&](std::function<void(QString)> done) {
                     return source.autoNumber(QStringLiteral("FLOOD00000"), std::move(done));
                 }),
                 QStringLiteral("503")); // said as busy, never as a wrong number
        QCOMPARE(elsewhere.calls(), 0);  // the redirect was not followed
        QVERIFY2(s.api.flooded() < (16 << 20), qPrintable(QString::number(s.api.flooded())));
    }

    // A number the service failed for waits, longer after each failure and
    // across a restart; setting the wall clock asks nothing again.
    void failuresPauseANumberAndClockJumpsAskNothing() {
        Service s;
        s.api.script(QStringLiteral("YT1"), moving(Behaviour::ServerError));
        const qint64 id =
            s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT1"), QStringLiteral("书"));
        s.p.clock.elapsed = 1000;
        s.p.start();
        const auto at = [&](int minutes, bool restart = false) {
            s.p.clock.fixed = T0.addSecs(minutes * 60);
            s.p.clock.elapsed = 1000 + minutes * 60;
            if (restart) {
                s.p.form.reset();
                s.p.start();
            }
            return s.query(0);
        };
        QVERIFY(at(0));
        QCOMPARE(s.api.calls(), 1);
        QCOMPARE(s.p.status(), QStringLiteral("链接查询服务器失败!请稍后再试.."));
        QCOMPARE(s.p.Label27()->text(), QStringLiteral("查询失败,该单号 10:02:00 前不再查询"));
        QVERIFY(at(1));
        QCOMPARE(s.api.calls(), 1);
        QCOMPARE(s.p.status(), QStringLiteral("链接查询服务器失败!请稍后再试.."));
        QVERIFY(at(2)); // its pause is over: asked, and now four minutes
        QCOMPARE(s.api.calls(), 2);
        QVERIFY(at(5, true));
        QCOMPARE(s.api.calls(), 2);
        QCOMPARE(s.p.Label27()->text(), QStringLiteral("查询失败,该单号 10:06:00 前不再查询"));
        s.api.script(QStringLiteral("YT1"), moving());
        QVERIFY(at(6)); // an answer at last: the count rises as it should
        QCOMPARE(s.api.calls(), 3);
        QCOMPARE(s.p.Label12(3)->text(), QStringLiteral("有更新"));
        QCOMPARE(s.p.parcel(id).num, QStringLiteral("2"));
        // Six jumps of the wall clock by more than the half hour, in seconds.
        for (int jump : {31, -31, 62, -62, 93, -93}) {
            s.p.clock.fixed = T0.addSecs((6 + jump) * 60);
            *s.p.clock.elapsed += 5;
            QVERIFY(s.query(0));
        }
        QCOMPARE(s.api.calls(), 3);
        QCOMPARE(s.p.ListView1()->topLevelItemCount(), 2);
        *s.p.clock.elapsed += 30 * 60;
        QVERIFY(s.query(0));
        QCOMPARE(s.api.calls(), 4);
    }

    void anHttpsServiceMustShowATrustedCertificate() {
        QTemporaryDir dir;
        const QString key = dir.filePath("key.pem"), cert = dir.filePath("cert.pem");
        QProcess openssl;
        openssl.setStandardErrorFile(QProcess::nullDevice());
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                       "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key,
                       "-out", cert});
        QVERIFY(openssl.waitForFinished(30000) && openssl.exitCode() == 0);
        QFile k(key), c(cert);
        QVERIFY(k.open(QIODevice::ReadOnly) && c.open(QIODevice::ReadOnly));
        const QSslCertificate certificate(&c);
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(certificate);
        tls.setPrivateKey(QSslKey(&k, QSsl::Rsa));
        Service s;
        auto* server = new QSslServer(&s.api);
        server->setSslConfiguration(tls);
        QVERIFY(server->listen(QHostAddress::LocalHost));
        s.api.bind(server);
        s.api.script(QStringLiteral("T1"), moving());
        s.api.script(QStringLiteral("T2"), moving());
        Store store(QStringLiteral("tls"));
        QCOMPARE(store.open(s.p.storePath()), OpenResult::Ok);
        const QString poll =
            QStringLiteral("https://127.0.0.1:%1/poll/query.do").arg(server->serverPort());
        const auto ask = [&](const QString& trusted, const char* number) {
            RealHttp http;
            http.setCaFile(trusted);
            EnterpriseSource source(http, store, s.p.clock, poll, {});
            source.setAccount({Customer, Key, {}});
            return code(waitFor<TrackReply>([&](std::function<void(TrackReply)> done) {
                            return source.track(
                                {QStringLiteral("yuantong"), QLatin1String(number), {}},
                                std::move(done));
                        }).body);
        };
        QCOMPARE(ask({}, "T1"), 3); // a certificate the system does not trust: refused
        QCOMPARE(ask(cert, "T2"), 0);
    }

    void theAccountPanelAndTheKeyKeptToTheUser() {
        logged.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
        SmtpServer smtp;
        Service s(TrackingAccount{});
        s.api.script(QStringLiteral("YT1"), moving());
        s.api.script(QStringLiteral("YT2"), moving(Behaviour::ServerError));
        s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT1"), QStringLiteral("书"));
        s.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT2"), QStringLiteral("笔"));
        s.p.endpoints.smtpUrl = smtp.url();
        s.p.endpoints.smtpUser = QStringLiteral("notice@quorvex.cn");
        s.p.endpoints.smtpPassword = QStringLiteral("s3cret");
        s.p.start();
        s.p.Check2()->setChecked(true);
        s.p.Sendmail()->setText(QStringLiteral("me@qq.com"));
        s.p.press(Qt::Key_F9);
        QTest::mouseClick(s.p.Command6(), Qt::LeftButton);
        QVERIFY(s.p.kdaccount()->isVisible());
        QTest::keyClicks(s.p.Text9(), Customer);
        QTest::keyClicks(s.p.Text10(), QStringLiteral("a b"));
        QTest::mouseClick(s.p.Command7(), Qt::LeftButton);
        QVERIFY(s.p.status().startsWith(QStringLiteral("授权码或key格式不正确")));
        s.p.Text10()->setText(Key);
        QTest::keyClicks(s.p.Text11(), QStringLiteral("12"));
        QTest::mouseClick(s.p.Command7(), Qt::LeftButton);
        QVERIFY(s.p.status().startsWith(QStringLiteral("手机号码应为")));
        s.p.Text11()->clear();
        QTest::mouseClick(s.p.Command7(), Qt::LeftButton);
        QCOMPARE(s.p.status(), QStringLiteral("查询账户已保存.."));
        const QString file = s.p.endpoints.configFolder + QStringLiteral("/account.conf");
        QCOMPARE(mode(file), 0600);
        QVERIFY(!readableByOthers(file));
        QTest::mouseClick(s.p.Command6(), Qt::LeftButton);
        QVERIFY(s.p.Text10()->text().isEmpty()); // shown masked: never shown at all
        QVERIFY(s.p.Text10()->placeholderText().startsWith(QStringLiteral("已保存")));

        QVERIFY(s.query(0)); // signed with the saved key: an answer, and news mailed
        QTRY_COMPARE_WITH_TIMEOUT(smtp.mails().size(), 1, 15000);
        QVERIFY(s.query(1)); // a failing service is logged, and so is the auto-number query
        s.p.press(Qt::Key_F4);
        QTest::keyClicks(s.p.Text3()->lineEdit(), QStringLiteral("FAIL000000"));
        QTRY_COMPARE(logged.filter(QStringLiteral("tracking service")).size(), 2);
        qInstallMessageHandler(previous);

        const QList<QByteArray> places = placesAKeyMustNotReach(s.p.folder(), logged, smtp.mails());
        QVERIFY(places.size() >= 6);
        for (const QByteArray& place : places)
            QVERIFY2(!place.contains(Key.toUtf8()), place.left(200).constData());
    }

    // A FIFO, a device or a huge file under a config file's name neither holds
    // the start nor floods it: it is named and left alone, and the config
    // folder becomes the user's alone.
    void hostileConfigFilesAreRefused() {
        for (const char* kind : {"fifo", "device", "huge"}) {
            Service s(TrackingAccount{});
            const QString folder = s.p.endpoints.configFolder;
            QVERIFY(QDir().mkpath(folder));
            ::chmod(QFile::encodeName(folder).constData(), 0755);
            for (const char* name : {"/account.conf", "/mail.conf"}) {
                const QByteArray path = QFile::encodeName(folder + QLatin1String(name));
                if (kind == QLatin1String("fifo")) QCOMPARE(::mkfifo(path.constData(), 0600), 0);
                if (kind == QLatin1String("device")) QVERIFY(QFile::link("/dev/zero", path));
                if (kind == QLatin1String("huge")) {
                    QFile huge(QString::fromLocal8Bit(path));
                    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(200 << 20));
                }
            }
            // A reader stuck on a FIFO is let go after three seconds.
            std::atomic<bool> started = false;
            std::thread writer([&] {
                for (int i = 0; i < 60 && !started; ++i)
                    QThread::msleep(50);
                for (const char* name : {"/account.conf", "/mail.conf"})
                    if (const int fd = ::open(QFile::encodeName(folder + QLatin1String(name)),
                                              O_WRONLY | O_NONBLOCK);
                        fd >= 0)
                        ::close(fd);
            });
            QElapsedTimer t;
            t.start();
            const Endpoints mail = Endpoints::fromEnvironment(
                [](const char*) { return QString(); }, folder + QStringLiteral("/mail.conf"));
            s.p.start();
            started = true;
            writer.join();
            QVERIFY2(t.elapsed() < 2500, kind);
            QVERIFY(mail.smtpUrl.isEmpty());
            for (const char* name : {"/account.conf", "/mail.conf"})
                QVERIFY2(s.p.status().contains(folder + QLatin1String(name) +
                                               QStringLiteral(" 不是普通文件")),
                         qPrintable(s.p.status()));
            QCOMPARE(mode(folder), 0700);
        }
    }

    void anEarlierGatewayConfIsTakenOverOnce() {
        Service s(TrackingAccount{});
        const auto writeOld = [&](const QString& key) {
            QFile old(s.p.folder() + QStringLiteral("/gateway.conf"));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QStringLiteral("[account]\ncustomer=%1\nkey=%2\n[phone]\nSF9=5678\n")
                          .arg(Customer, key)
                          .toUtf8());
        };
        writeOld(Key);
        s.api.script(QStringLiteral("SF9"), moving(Behaviour::NeedsPhone, QStringLiteral("5678")));
        s.p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF9"), QStringLiteral("茶"));
        s.p.start();
        QVERIFY(s.query(0));
        QCOMPARE(s.p.ListView1()->topLevelItemCount(), 2); // no box: the phone came along
        QVERIFY(s.p.dialogs.shown.isEmpty());
        QCOMPARE(mode(s.p.endpoints.configFolder + QStringLiteral("/account.conf")), 0600);
        QCOMPARE(mode(s.p.endpoints.configFolder), 0700);
        // Later starts read the user's own file; the old one is left alone.
        writeOld(QStringLiteral("WRONG"));
        s.p.form.reset();
        s.p.clock.fixed = T0.addSecs(3600);
        s.p.start();
        QVERIFY(s.query(0));
        QCOMPARE(s.p.ListView1()->topLevelItemCount(), 2);
        QCOMPARE(s.api.calls(), 2);
    }
};

QTEST_MAIN(ServiceTest)
#include "test_service.moc"
