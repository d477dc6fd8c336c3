// A whole query through the window against the gateway on loopback: the
// progress list, every failure, the delete offer, the watchdog, and the
// change detection that follows each parsed answer.
#include "TestProgram.h"

#include <QMovie>
#include <QScrollBar>
#include <QStringEncoder>

namespace {
QByteArray entries(int count, const QString& newest = QStringLiteral("到达转运中心")) {
    return journey(count, newest, QStringLiteral("离开转运中心"));
}

const QString Number = QStringLiteral("12345678");
} // namespace

class QueryTest : public QObject {
    Q_OBJECT
private slots:
    void aFullQuery() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("爸爸衣服"));
        Scripted slow{answerOf({{"2026-01-03 10:30:00", "已签收,签收人是本人"},
                                {"2026-01-02 08:00:00", "广东\\/深圳"},
                                {"2026-01-01 08:00:00", "已揽收"}})};
        slow.delayMs = 300;
        p.gateway.script(Number, slow);
        p.start();
        QString whileWaiting;
        bool busyShown = false, toolbarLocked = false;
        QTimer::singleShot(150, [&] {
            whileWaiting = p.status();
            busyShown = p.AniGIF1()->isVisible();
            toolbarLocked = !p.Image2(1)->isEnabled() && !p.Text1()->isEnabled();
        });
        p.choose(0);
        QCOMPARE(whileWaiting, QStringLiteral("顺丰快递:爸爸衣服查询中..."));
        QVERIFY(busyShown);
        QVERIFY(toolbarLocked);
        QVERIFY(p.waitForQueryEnd());
        Form1& f = *p.form;
        QCOMPARE(p.status(), QStringLiteral("查询完毕..."));
        QCOMPARE(p.ListView1()->topLevelItemCount(), 3);
        QTreeWidgetItem* first = p.ListView1()->topLevelItem(0);
        QCOMPARE(first->text(0), QStringLiteral("1"));
        QCOMPARE(first->foreground(2).color(), QColor(255, 0, 0));
        QVERIFY(first->font(1).bold());
        QVERIFY(!p.ListView1()->topLevelItem(1)->font(1).bold());
        QCOMPARE(p.ListView1()->topLevelItem(1)->text(2), QStringLiteral("广东 深圳"));
        QCOMPARE(p.ListView1()->currentItem(), p.ListView1()->topLevelItem(2));
        QCOMPARE(p.Label12(2)->text(), QStringLiteral("已签收"));
        QCOMPARE(p.Label12(5)->text(), QStringLiteral("2天2小时30分"));
        QCOMPARE(p.Label12(7)->text(), QStringLiteral("顺丰快递"));
        QCOMPARE(f.session().parsedRows(), 3);
        QVERIFY(!f.session().answerWaiting());
        QVERIFY(p.Text1()->isEnabled() && p.ListView1()->isEnabled() && p.Image2(7)->isEnabled());
        QVERIFY(!p.AniGIF1()->isVisible());
        QVERIFY(!p.Timer7()->isActive());
    }

    void aRealParcelOfTheGateway() {
        TestProgram p;
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("433987651231"),
                    QStringLiteral("茶叶"));
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.Label12(2)->text(), QStringLiteral("派件中"));
        QCOMPARE(p.ListView1()->topLevelItemCount(), 7); // "ftime" keys add no rows
        QVERIFY(!p.ListView1()->topLevelItem(6)->text(1).isEmpty());
    }

    void numberReachesTheServiceIntact() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("12&type=xml #5"),
                    QStringLiteral("奇怪单号"));
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        const QUrlQuery q = p.gateway.trackingQueries().constLast();
        QCOMPARE(q.queryItemValue(QStringLiteral("nu"), QUrl::FullyDecoded),
                 QStringLiteral("12&type=xml #5"));
        QCOMPARE(q.allQueryItemValues(QStringLiteral("type")), QStringList{QStringLiteral("json")});
    }

    void errorCodes_data() {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QString>("status");
        QTest::newRow("2") << QByteArray("2")
                           << QStringLiteral("验证码错误,可能此快递公司失效,请联系管理员");
        QTest::newRow("3") << QByteArray("3") << QStringLiteral("链接查询服务器失败!请稍后再试..");
        QTest::newRow("4") << QByteArray("4") << QStringLiteral("程序内部错误!请稍后再试..");
        QTest::newRow("5") << QByteArray("5") << QStringLiteral("程序执行错误!请稍后再试..");
        QTest::newRow("6") << QByteArray("6") << QStringLiteral("递单号格式错误!请您检查..");
        QTest::newRow("7") << QByteArray("7") << QStringLiteral("快递公司错误错误!请您检查..");
        QTest::newRow("10") << QByteArray("10") << QStringLiteral("未知错误，请稍后再试..");
        QTest::newRow("20") << QByteArray("20") << QStringLiteral("API错误..请联系管理员检查..");
        QTest::newRow("21") << QByteArray("21") << QStringLiteral("API出问题,请联系管理员更新..");
        QTest::newRow("22") << QByteArray("22")
                            << QStringLiteral("非常抱歉!API今日查询次数已尽,请您明日再使用!");
        // A code outside the table is said too: the line never stays "…查询中...".
        QTest::newRow("8") << QByteArray("8")
                           << QStringLiteral("查询服务返回了未知的结果(代码8),请稍后再试..");
        QTest::newRow("0 without entries") << QByteArray("0") << QStringLiteral("查询完毕...");
    }
    void errorCodes() {
        QFETCH(QByteArray, code);
        QFETCH(QString, status);
        TestProgram p;
        QVERIFY(p.book(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"),
                       "{\"message\":\"x\",\"errCode\":\"" + code + "\",\"data\":[]}")
                    .startAndChoose());
        QCOMPARE(p.status(), status);
        QVERIFY(p.dialogs.shown.isEmpty());
        QVERIFY(p.expectIdle()); // every outcome, a fresh waybill without entries too
        QCOMPARE(p.ListView1()->topLevelItemCount(), 0);
        QCOMPARE(p.Label12(3)->text(), QStringLiteral("未查询")); // no change detection
    }

    void anErrorPageIsAFailedQuery() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        Scripted page{
            QByteArrayLiteral("<html><body><h1>500 Internal Server Error</h1></body></html>"), 500};
        page.contentType = "text/html";
        p.gateway.script(Number, page);
        p.start();
        p.choose(0);
        QCOMPARE(p.status(), QStringLiteral("链接查询服务器失败!请稍后再试.."));
        QVERIFY(p.Text1()->isEnabled());
        QCOMPARE(p.ListView1()->topLevelItemCount(), 0);
    }

    void unknownNumberOffer_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("queryFirst");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("keep") << QList<int>{Mb::Yes} << false << false;
        QTest::newRow("no, then no") << QList<int>{Mb::No, Mb::No} << false << false;
        QTest::newRow("no, then yes") << QList<int>{Mb::No, Mb::Yes} << false << true;
        QTest::newRow("no, then yes, query first") << QList<int>{Mb::No, Mb::Yes} << true << true;
    }
    void unknownNumberOffer() {
        QFETCH(QList<int>, answers);
        QFETCH(bool, queryFirst);
        QFETCH(bool, deleted);
        TestProgram p;
        const qint64 other = p.addParcel(QStringLiteral("中通快递"), QStringLiteral("87654321"),
                                         QStringLiteral("茶叶"));
        const qint64 gone =
            p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("不存在的"));
        p.gateway.script(Number, {QByteArrayLiteral("{\"errCode\":\"1\",\"data\":[]}")});
        p.gateway.script(QStringLiteral("87654321"), {entries(2)});
        p.start();
        p.Check7()->setChecked(queryFirst);
        p.dialogs.answers = answers;
        p.choose(1);
        QStringList expected = {
            QStringLiteral("您好,您当前查询的快递单号不存在,是否保留?\n\n"
                           "如果此快递单号是您刚添加不久,建议几小时后再来查询")};
        if (answers.size() > 1) expected << QStringLiteral("二次防误操作：确认要删除此快递单号?");
        if (deleted) expected << QStringLiteral("快递信息已删除!");
        QCOMPARE(p.dialogs.prompts(), expected);
        QCOMPARE(p.dialogs.shown[0].buttons, Mb::YesNo + Mb::Information);
        QCOMPARE(p.parcel(gone).id != 0, !deleted);
        QCOMPARE(p.Text1()->count(), deleted ? 1 : 2);
        QVERIFY(p.waitForQueryEnd());
        if (queryFirst) {
            QCOMPARE(p.gateway.trackingQueries().constLast().queryItemValue(QStringLiteral("nu")),
                     QStringLiteral("87654321"));
            QCOMPARE(p.status(), QStringLiteral("查询完毕..."));
        } else { // the line says how the query ended, never "…查询中..."
            QCOMPARE(p.status(), deleted ? QStringLiteral("快递信息已删除..")
                                         : QStringLiteral("该快递单号暂无物流信息,已保留.."));
        }
        QVERIFY(p.parcel(other).id != 0);
        QVERIFY(p.Text1()->isEnabled());
        QVERIFY(!p.Timer7()->isActive());
    }

    // Deleting a parcel that another copy of the book already lost says so.
    void aFailedDeleteIsReported() {
        TestProgram p;
        const qint64 id =
            p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("不存在的"));
        Scripted slow{QByteArrayLiteral("{\"errCode\":\"1\"}")};
        slow.delayMs = 300;
        p.gateway.script(Number, slow);
        p.start();
        p.dialogs.answers = {Mb::No, Mb::Yes};
        // While the query waits, the parcel leaves the book by another way.
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (!p.gateway.trackingQueries().isEmpty() && p.parcel(id).id) {
                QVERIFY(Store::runScript(p.storePath(), QStringLiteral("DELETE FROM kd100;\n"),
                                         nullptr));
            }
        });
        watcher.start(10);
        p.choose(0);
        QCOMPARE(p.gateway.trackingQueries().constLast().queryItemValue(QStringLiteral("nu")),
                 Number);
        QVERIFY(!p.parcel(id).id);
        QCOMPARE(p.dialogs.shown.size(), 3);
        QCOMPARE(p.dialogs.shown[2].prompt,
                 QStringLiteral("快递信息删除失败!该快递可能已不在快递列表中"));
        QCOMPARE(p.dialogs.shown[2].buttons, Mb::OkOnly + Mb::Exclamation);
        QCOMPARE(p.status(), p.dialogs.shown[2].prompt);
    }

    void watchdogResetsAHangingQuery() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        Scripted hang;
        hang.hang = true;
        p.gateway.script(Number, hang);
        p.start();
        p.Timer7()->setInterval(20);
        int ticksAtMessage = -1;
        // Once the watchdog has spoken, the connection drops and the waiting call returns.
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (!p.dialogs.shown.isEmpty() && ticksAtMessage < 0) {
                ticksAtMessage = p.query()->watchdogTicks();
                // The client sends a dropped request once more; that one gets no answer either.
                p.gateway.script(Number, {QByteArray()});
                p.gateway.releaseHanging();
            }
        });
        watcher.start(10);
        p.choose(0);
        QVERIFY(QTest::qWaitFor([&] { return ticksAtMessage >= 0; }, 5000));
        QCOMPARE(p.dialogs.prompts(),
                 QStringList{QStringLiteral(
                     "程序自动检测快递异常!\n \n可能存在以下问题：\n1.网络异常\n"
                     "2.快递公司异常\n4.当前快递单号已失效\n5.单号或对应快递公司错误\n"
                     " \n请您稍后重试")});
        QCOMPARE(p.status(), QStringLiteral("程序初始化完毕.."));
        QVERIFY(p.Text1()->isEnabled());
        QVERIFY(p.Image2(2)->isEnabled());
        QVERIFY(!p.Timer7()->isActive());
        QCOMPARE(ticksAtMessage, 0);
    }

    void aLateAnswerAfterTheWatchdog() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        Scripted late{entries(3)};
        late.delayMs = 1500;
        p.gateway.script(Number, late);
        p.start();
        p.Timer7()->setInterval(20);
        p.choose(0);
        QCOMPARE(p.dialogs.shown.size(), 1); // the watchdog spoke first
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.status(), QStringLiteral("查询完毕..."));
        QCOMPARE(p.ListView1()->topLevelItemCount(), 3);
    }

    void noNetworkLeavesItToTheWatchdog() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        p.endpoints.tracking = QStringLiteral("http://127.0.0.1:1/");
        p.start();
        p.choose(0);
        QVERIFY(p.Timer7()->isActive());
        QVERIFY(p.AniGIF1()->isVisible());
        QVERIFY(!p.Text1()->isEnabled());
        p.Timer7()->setInterval(10);
        QVERIFY(QTest::qWaitFor([&] { return !p.dialogs.shown.isEmpty(); }, 3000));
        QCOMPARE(p.status(), QStringLiteral("程序初始化完毕.."));
        QVERIFY(p.Text1()->isEnabled());
    }

    // After the watchdog gave up on parcel A, the user chooses B; A's late
    // answer must not reach B's list, B's count or B's row.
    void aLateAnswerCannotLandOnTheNextParcel_data() {
        QTest::addColumn<QByteArray>("lateAnswer");
        QTest::newRow("late entries") << entries(5);
        QTest::newRow("late code 1") << QByteArray("{\"errCode\":\"1\",\"data\":[]}");
    }
    void aLateAnswerCannotLandOnTheNextParcel() {
        QFETCH(QByteArray, lateAnswer);
        TestProgram p;
        const qint64 a = p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        const qint64 b = p.addParcel(QStringLiteral("中通快递"), QStringLiteral("87654321"),
                                     QStringLiteral("茶叶"));
        Scripted late{lateAnswer};
        late.delayMs = 800;
        p.gateway.script(Number, late);
        p.gateway.script(QStringLiteral("87654321"), {entries(2)});
        p.start();
        p.Timer7()->setInterval(20);
        // Were A's answer taken for B's: OK the watchdog, then No, Yes deletes B.
        p.dialogs.answers = {Mb::Ok, Mb::No, Mb::Yes};
        bool chosenB = false;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (!chosenB && !p.dialogs.shown.isEmpty() && p.Text1()->isEnabled()) {
                chosenB = true;
                p.choose(1);
            }
        });
        watcher.start(10);
        p.choose(0);
        QVERIFY(chosenB);
        QVERIFY(QTest::qWaitFor([&] { return p.gateway.requestCount() >= 4; }, 3000));
        QTest::qWait(300);                   // the parse of anything that arrived
        QCOMPARE(p.dialogs.shown.size(), 1); // the watchdog's, nothing else
        QCOMPARE(p.form->session().current().number, QStringLiteral("87654321"));
        QCOMPARE(p.ListView1()->topLevelItemCount(), 2);
        QCOMPARE(p.parcel(b).num, QStringLiteral("2"));
        QCOMPARE(p.parcel(a).num, QStringLiteral("0"));
        QCOMPARE(p.status(), QStringLiteral("查询完毕..."));
    }

    // An answer that arrives just after the next query began is not parsed
    // into that query's list.
    void aPendingParseBelongsToItsQuery() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("87654321"), QStringLiteral("茶叶"));
        p.gateway.script(Number, {entries(5)});
        Scripted hang;
        hang.hang = true;
        p.gateway.script(QStringLiteral("87654321"), hang);
        p.start();
        p.choose(0);
        QVERIFY(p.Timer1()->isActive()); // A's parse is due in 100 ms
        // B starts before it (as a loop query would) and waits; what the
        // window shows is looked at while B still waits.
        int rows = -1;
        QString status;
        bool watchdog = false;
        QTimer::singleShot(0, [&] { p.select(1); });
        QTimer::singleShot(300, [&] {
            rows = p.ListView1()->topLevelItemCount();
            status = p.status();
            watchdog = p.Timer7()->isActive();
            p.gateway.script(QStringLiteral("87654321"), {entries(1)});
            p.gateway.releaseHanging();
        });
        QVERIFY(QTest::qWaitFor([&] { return rows >= 0; }, 3000));
        QCOMPARE(rows, 0);
        QCOMPARE(status, QStringLiteral("中通快递:茶叶查询中..."));
        QVERIFY(watchdog);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.ListView1()->topLevelItemCount(), 1); // B's own answer
    }

    // The first parcel queried after the delete offer fails at once: its own
    // watchdog must still report it.
    void aFailingFollowUpQueryIsReported() {
        TestProgram p;
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("87654321"), QStringLiteral("茶叶"));
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("不存在的"));
        p.gateway.script(Number, {QByteArrayLiteral("{\"errCode\":\"1\",\"data\":[]}")});
        Scripted broken{entries(3)};
        broken.cutAfter = 0; // the connection drops: an empty answer
        p.gateway.script(QStringLiteral("87654321"), broken);
        p.start();
        p.Check7()->setChecked(true);
        p.Timer7()->setInterval(20);
        p.dialogs.answers = {Mb::No, Mb::Yes, Mb::Ok};
        p.choose(1);
        QVERIFY(QTest::qWaitFor([&] { return p.dialogs.shown.size() == 4; }, 3000));
        QVERIFY(p.dialogs.shown[3].prompt.startsWith(QStringLiteral("程序自动检测快递异常!")));
        QCOMPARE(p.status(), QStringLiteral("程序初始化完毕.."));
        QVERIFY(p.Text1()->isEnabled());
        QVERIFY(!p.AniGIF1()->isVisible());
    }

    // A transfer that breaks off part-way is no answer at all.
    void aCutOffAnswerIsATransportFailure() {
        TestProgram p;
        const qint64 id = p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        Scripted cut{entries(5)};
        cut.cutAfter = int(cut.body.size() / 2);
        p.gateway.script(Number, cut);
        p.start();
        p.Timer7()->setInterval(20);
        p.choose(0);
        QVERIFY(QTest::qWaitFor([&] { return !p.dialogs.shown.isEmpty(); }, 3000));
        QVERIFY(p.dialogs.shown[0].prompt.startsWith(QStringLiteral("程序自动检测快递异常!")));
        QCOMPARE(p.ListView1()->topLevelItemCount(), 0);
        QCOMPARE(p.parcel(id).num, QStringLiteral("0"));
        QCOMPARE(p.Label12(3)->text(), QStringLiteral("未查询"));
    }

    // An answer in the Chinese code page shows its Chinese.
    void answersInGbk() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        const QString text = QString::fromUtf8(answerOf(
            {{QStringLiteral("2026-01-02 08:00:00"), QStringLiteral("快件已签收,感谢使用")},
             {QStringLiteral("2026-01-01 08:00:00"), QStringLiteral("广东深圳已揽收")}}));
        QStringEncoder gbk("GBK");
        Scripted answer{QByteArray(gbk.encode(text))};
        answer.contentType = "application/json;charset=GBK";
        p.gateway.script(Number, answer);
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.ListView1()->topLevelItem(0)->text(2), QStringLiteral("快件已签收,感谢使用"));
        QCOMPARE(p.ListView1()->topLevelItem(1)->text(2), QStringLiteral("广东深圳已揽收"));
        QCOMPARE(p.Label12(2)->text(), QStringLiteral("已签收"));
    }

    // With forty entries the oldest is selected, yet the red newest row is
    // what the list shows.
    void theNewestRowStaysInView() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        QList<QPair<QString, QString>> many;
        for (int i = 40; i >= 1; --i)
            many.append({QStringLiteral("2026-01-01 08:%1:00").arg(i, 2, 10, QChar('0')),
                         QStringLiteral("第%1站").arg(i)});
        p.gateway.script(Number, {answerOf(many)});
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QTreeWidget* list = p.ListView1();
        QCOMPARE(list->currentItem(), list->topLevelItem(39));
        QVERIFY(list->verticalScrollBar()->maximum() > 0);
        QCOMPARE(list->verticalScrollBar()->value(), 0);
        QVERIFY(list->viewport()->rect().contains(list->visualItemRect(list->topLevelItem(0))));
    }

    // In transit, the time under way runs from the oldest entry to now.
    void transitTimeRunsToNow() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        p.gateway.script(
            Number,
            {answerOf({{QStringLiteral("2026-01-03 10:30:00"), QStringLiteral("到达转运中心")},
                       {QStringLiteral("2026-01-01 08:00:00"), QStringLiteral("已揽收")}})});
        p.clock.fixed = QDateTime(QDate(2026, 1, 9), QTime(11, 17, 59));
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.Label12(2)->text(), QStringLiteral("运送中"));
        QCOMPARE(p.Label12(5)->text(), QStringLiteral("8天3小时17分"));
    }

    // While loop or timed querying runs, a finished query gives back only the
    // courier-list button.
    void pollingKeepsTheWindowLocked_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("caption");
        QTest::newRow("loop") << 16 << QStringLiteral("停止循环");
        QTest::newRow("timed") << 18 << QStringLiteral("关闭定时");
    }
    void pollingKeepsTheWindowLocked() {
        QFETCH(int, button);
        QFETCH(QString, caption);
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        p.gateway.script(Number, {entries(3)});
        QVERIFY(p.startAndChoose());
        p.Combo4()->setCurrentIndex(0);
        QTest::mouseClick(p.Command1(button), Qt::LeftButton);
        QCOMPARE(p.Command1(button)->text(), caption); // the caption shows the mode
        p.Label11(2)->setText(QString());
        emit p.polling()->due(); // the poll's query
        QVERIFY(QTest::qWaitFor([&] { return p.status() == QStringLiteral("查询完毕..."); }, 3000));
        QVERIFY(p.Image2(6)->isEnabled());
        for (int i : {1, 2, 3, 4, 5, 7})
            QVERIFY2(!p.Image2(i)->isEnabled(), qPrintable(QString::number(i)));
        QVERIFY(!p.Text1()->isEnabled());
        QVERIFY(p.ListView1()->isEnabled());
    }

    // A new choice shows the update cell white again until its own verdict.
    void aNewChoiceWhitensTheUpdateCell() {
        TestProgram p;
        QVERIFY(p.startOnParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"),
                                entries(3)));
        QCOMPARE(p.Label12(3)->text(), QStringLiteral("有更新"));
        Scripted slow{entries(3)};
        slow.delayMs = 300;
        p.gateway.script(Number, slow);
        QString cell, style;
        QTimer::singleShot(150, [&] {
            cell = p.Label12(3)->text();
            style = p.Label12(3)->styleSheet();
        });
        p.choose(0);
        QCOMPARE(cell, QStringLiteral("未查询"));
        QVERIFY(style.contains(QStringLiteral("255, 255, 255")));
    }

    // Each query gets ten watchdog ticks of its own, however many the one
    // before it used.
    void everyQueryGetsTenTicks() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        Scripted slow{entries(2)};
        slow.delayMs = 300;
        p.gateway.script(Number, slow);
        p.start();
        p.Timer7()->setInterval(1000000); // ticks come from the test
        QTimer::singleShot(50, [&] {
            for (int i = 0; i < 4; ++i)
                p.session().Timer7_Timer();
        });
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QVERIFY(p.dialogs.shown.isEmpty());
        Scripted hang;
        hang.hang = true;
        p.gateway.script(Number, hang);
        int shownAfterNine = -1;
        QTimer::singleShot(50, [&] {
            for (int i = 0; i < 9; ++i)
                p.session().Timer7_Timer();
            shownAfterNine = int(p.dialogs.shown.size());
            p.session().Timer7_Timer();
            p.gateway.script(Number, {QByteArray()}); // the client's retry ends at once
            p.gateway.releaseHanging();
        });
        p.choose(0);
        QCOMPARE(shownAfterNine, 0);
        QCOMPARE(p.dialogs.shown.size(), 1);
    }

    // Text from the book or the service is never read as markup.
    void labelsShowPlainText() {
        TestProgram p;
        p.addParcel(QStringLiteral("<b>快递</b>"), Number,
                    QStringLiteral("<img src=\"file:///etc/x.png\">"));
        p.start();
        for (QLabel* label : p.form->findChildren<QLabel*>())
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
    }

    void changeDetection_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("newest");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("storedAfter");
        QTest::addColumn<bool>("alert");
        QTest::newRow("0 -> 5") << "0" << 5 << QByteArray("到达") << "有更新"
                                << "5" << true;
        QTest::newRow("5 -> 5") << "5" << 5 << QByteArray("到达") << "无更新"
                                << "5" << false;
        QTest::newRow("7 -> 5") << "7" << 5 << QByteArray("正在派件") << "无更新"
                                << "7" << false;
        QTest::newRow("5 -> 6 signed") << "5" << 6 << QByteArray("已签收") << "已签收"
                                       << "5" << false;
        // No count yet (added from a list): the first one is kept as seen.
        QTest::newRow("empty") << "" << 4 << QByteArray("到达") << "无更新"
                               << "4" << false;
        QTest::newRow("not a number") << "abc" << 2 << QByteArray("到达") << "有更新"
                                      << "2" << true;
    }
    void changeDetection() {
        QFETCH(QString, stored);
        QFETCH(int, count);
        QFETCH(QByteArray, newest);
        QFETCH(QString, cell);
        QFETCH(QString, storedAfter);
        QFETCH(bool, alert);
        TestProgram p;
        const qint64 id =
            p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"), stored);
        p.gateway.script(Number, {entries(count, newest.constData())});
        p.start();
        p.Check3()->setChecked(true);
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.Label12(3)->text(), cell);
        QVERIFY(p.Label12(3)->styleSheet().contains(alert ? "255, 0, 0" : "255, 255, 255"));
        QCOMPARE(p.parcel(id).num, storedAfter);
        QCOMPARE(p.sound.played,
                 alert ? QStringList{p.folder() + QStringLiteral("/ts.mp3")} : QStringList());
        // The next look compares with the raised count and stays quiet.
        if (alert) {
            p.choose(0);
            QVERIFY(p.waitForQueryEnd());
            QCOMPARE(p.Label12(3)->text(), QStringLiteral("无更新"));
            QCOMPARE(p.sound.played.size(), 1);
        }
    }

    // A count the store refuses to keep raises no alert; the cell still shows it.
    void aRefusedCountRaisesNoAlert() {
        TestProgram p;
        const qint64 id = p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        Scripted slow{entries(3)};
        slow.delayMs = 300;
        p.gateway.script(Number, slow);
        p.start();
        p.Check3()->setChecked(true);
        std::unique_ptr<StoreLock> lock;
        QTimer::singleShot(150, [&] { lock = std::make_unique<StoreLock>(p.storePath()); });
        p.choose(0);
        QVERIFY(QTest::qWaitFor([&] { return p.Label12(3)->text() == QStringLiteral("有更新"); },
                                3000));
        lock.reset();
        QVERIFY(p.sound.played.isEmpty());
        QCOMPARE(p.parcel(id).num, QStringLiteral("0"));
    }

    // Mail on without an address sends nothing; the sound follows its own box.
    void soundFollowsItsBox_data() {
        QTest::addColumn<bool>("sound");
        QTest::newRow("sound on") << true;
        QTest::newRow("sound off") << false;
    }
    void soundFollowsItsBox() {
        QFETCH(bool, sound);
        TestProgram p;
        const qint64 id = p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        p.gateway.script(Number, {entries(3)});
        p.start();
        p.Check3()->setChecked(sound);
        p.Check2()->setChecked(true);
        p.Sendmail()->clear();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.Label12(3)->text(), QStringLiteral("有更新"));
        QCOMPARE(p.parcel(id).num, QStringLiteral("3"));
        QCOMPARE(p.sound.played.size(), sound ? 1 : 0);
    }

    void resetBringsTheWindowBack() {
        TestProgram p;
        p.start();
        p.form->showPanel(2);
        p.Text1()->setEnabled(false);
        p.Image2(5)->setEnabled(false);
        p.session().csh();
        QVERIFY(!p.kdmenu(2)->isVisible());
        QVERIFY(p.Text1()->isEnabled());
        QVERIFY(p.Image2(5)->isEnabled());
        QCOMPARE(p.status(), QStringLiteral("程序初始化完毕.."));
        QCOMPARE(QApplication::focusWidget(), p.ListView1());
    }
};

QTEST_MAIN(QueryTest)
#include "test_query.moc"
