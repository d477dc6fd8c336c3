// The whole-book watch through a real window: pacing over the interval with a
// fake clock, one request at a time, never beside the window's own query,
// signed parcels left alone, a hanging request given up; announcements once
// per new count (a desktop notification to a stand-in notification service on
// a private session bus, the alert sound), num untouched once set; the selector's
// marks; the remembered progress when a query gets no answer; a book from
// before the watch. Runs under dbus-run-session.
#include "TestProgram.h"
#include "watch/BookWatch.h"
#include "watch/Marks.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {
const QString Sf = QStringLiteral("顺丰快递");
const QDateTime T0(QDate(2026, 12, 8), QTime(9, 0));

// The freedesktop notification service as a desktop runs it, on its own bus
// connection: records every notification and can report a click on one.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        QString app, summary, body;
        QStringList actions;
    };
    NotificationService()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                              QStringLiteral("stand-in"))) {
        m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                             QDBusConnection::ExportAllSlots);
        if (!m_bus.registerService(QStringLiteral("org.freedesktop.Notifications")))
            qFatal("no session bus for the notification stand-in (run under dbus-run-session)");
    }
    ~NotificationService() override {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
        QDBusConnection::disconnectFromBus(QStringLiteral("stand-in"));
    }
    void click(uint id) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
        signal << id << QStringLiteral("default");
        m_bus.send(signal);
    }
    void close(uint id) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("NotificationClosed"));
        signal << id << uint(2);
        m_bus.send(signal);
    }
    QList<Shown> shown;

public slots:
    uint Notify(const QString& app, uint, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap&, int) {
        shown.append({app, summary, body, actions});
        return uint(shown.size());
    }
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("actions")}; }

private:
    QDBusConnection m_bus;
};

QByteArray moving(int entries) {
    return journey(entries, QString(), QStringLiteral("快件到达第%1站"), QStringLiteral("2026-12"));
}

const QByteArray SignedFor =
    answerOf({{QStringLiteral("2026-12-03 10:00:00"), QStringLiteral("已签收,感谢使用")},
              {QStringLiteral("2026-12-02 08:00:00"), QStringLiteral("派件中")}});

QString number(int i) {
    return QStringLiteral("77300000%1").arg(i, 5, 10, QLatin1Char('0'));
}

// Tracking queries for this number so far.
int asked(const TestProgram& p, const QString& nu) {
    int n = 0;
    for (const QUrlQuery& q : p.gateway.trackingQueries())
        n += q.queryItemValue(QStringLiteral("nu")) == nu;
    return n;
}

// The window started with its fake clock at T0 and the watch turned on in
// the settings panel, as a user does it.
void startWatching(TestProgram& p, int minutes = 60) {
    p.clock.fixed = T0;
    p.start();
    p.press(Qt::Key_F9);
    const int index = p.Combo5()->findText(QString::number(minutes));
    p.Combo5()->setCurrentIndex(index);
    emit p.Combo5()->activated(index);
    QTest::mouseClick(p.Check9(), Qt::LeftButton, {}, QPoint(6, 12));
    QVERIFY(p.Check9()->isChecked());
}

// One tick of the watch at this clock time; waits for its request, if any.
void tickAt(TestProgram& p, const QDateTime& at) {
    p.clock.fixed = at;
    p.watch()->tick();
    QTRY_VERIFY(!p.watch()->asking());
}
} // namespace

class BackgroundTest : public QObject {
    Q_OBJECT
private slots:
    void parcelsAreSpreadOverTheInterval() {
        TestProgram p;
        for (int i = 1; i <= 4; ++i)
            p.addParcel(Sf, number(i), QStringLiteral("包裹%1").arg(i));
        startWatching(p, 60);
        const int before = p.gateway.trackingQueries().size();
        // Four parcels in 60 minutes: one every 15 minutes, in book order.
        for (int k = 0; k < 4; ++k) {
            tickAt(p, T0.addSecs(k * 900));
            tickAt(p, T0.addSecs(k * 900 + 899)); // not yet the next one's turn
            QCOMPARE(p.gateway.trackingQueries().size(), before + k + 1);
            QCOMPARE(asked(p, number(k + 1)), 1);
        }
        // The first parcel is due again once its interval has passed.
        tickAt(p, T0.addSecs(3599));
        QCOMPARE(asked(p, number(1)), 1);
        tickAt(p, T0.addSecs(3600));
        QCOMPARE(asked(p, number(1)), 2);
        QCOMPARE(p.gateway.trackingQueries().size(), before + 5);
        // 立即刷新全部: everyone due at once, still one request per turn.
        p.watch()->refreshAllNow();
        tickAt(p, T0.addSecs(3600));
        QCOMPARE(p.gateway.trackingQueries().size(), before + 6);
    }

    void aHangingRequestIsGivenUpAndTheNextParcelAsked() {
        TestProgram p;
        p.addParcel(Sf, number(1), QStringLiteral("慢的"));
        p.addParcel(Sf, number(2), QStringLiteral("快的"));
        Scripted hang;
        hang.hang = true;
        p.gateway.script(number(1), hang);
        startWatching(p, 30);
        p.clock.fixed = T0;
        p.watch()->tick();
        QTRY_COMPARE(asked(p, number(1)), 1);
        // One at a time: while it hangs nobody else is asked.
        p.clock.fixed = T0.addSecs(59);
        p.watch()->tick();
        QVERIFY(p.watch()->asking());
        p.clock.fixed = T0.addSecs(2000);
        QTest::qWait(50);
        QCOMPARE(asked(p, number(2)), 0);
        p.clock.fixed = T0.addSecs(60);
        p.watch()->tick(); // given up
        QVERIFY(!p.watch()->asking());
        tickAt(p, T0.addSecs(60 + 900));
        QCOMPARE(asked(p, number(2)), 1);
        p.gateway.releaseHanging();
    }

    void nothingIsAskedWhileTheWindowsQueryWaits() {
        TestProgram p;
        p.addParcel(Sf, number(1), QStringLiteral("前台"));
        p.addParcel(Sf, number(2), QStringLiteral("后台"));
        Scripted slow{moving(1)};
        slow.delayMs = 400;
        p.gateway.script(number(1), slow);
        startWatching(p);
        bool tried = false;
        QTimer::singleShot(150, [&] {
            p.watch()->tick();
            tried = true;
        });
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QVERIFY(tried);
        QCOMPARE(asked(p, number(2)), 0);
        tickAt(p, T0);
        QCOMPARE(asked(p, number(1)) + asked(p, number(2)), 2);
    }

    // The wall clock set back two days (by 时间校对, say): the watch goes on
    // by the time that has passed.
    void theWatchFollowsElapsedTimeNotTheWallClock() {
        TestProgram p;
        p.addParcel(Sf, number(1), QStringLiteral("一"));
        p.addParcel(Sf, number(2), QStringLiteral("二"));
        startWatching(p, 30);
        tickAt(p, T0);
        QCOMPARE(asked(p, number(1)), 1);
        p.clock.elapsed = T0.toSecsSinceEpoch() + 900; // half the interval: the next one's turn
        tickAt(p, T0.addDays(-2));
        QCOMPARE(asked(p, number(2)), 1);
    }

    void signedParcelsAreNotAskedAgain() {
        TestProgram p;
        p.addParcel(Sf, number(1), QStringLiteral("签了"));
        p.gateway.script(number(1), {SignedFor});
        startWatching(p, 30);
        const int before = p.gateway.trackingQueries().size();
        tickAt(p, T0);
        QCOMPARE(p.gateway.trackingQueries().size(), before + 1);
        for (int hours = 1; hours <= 5; ++hours)
            tickAt(p, T0.addSecs(hours * 3600));
        QCOMPARE(p.gateway.trackingQueries().size(), before + 1);
    }

    void newEntriesAreAnnouncedOnceEach() {
        NotificationService desktop;
        TestProgram p;
        const qint64 id =
            p.addParcel(Sf, number(1), QStringLiteral("妈妈的<b>鞋子</b>"), QStringLiteral("2"));
        // Added from a list: no count yet, so its first answer is no news.
        const qint64 listed = p.addParcel(Sf, number(2), QStringLiteral("别的"), QString());
        p.gateway.script(number(1), {moving(3)});
        p.gateway.script(number(2), {moving(2)});
        startWatching(p, 30);
        tickAt(p, T0);
        QTRY_COMPARE(desktop.shown.size(), 1);
        QCOMPARE(desktop.shown[0].app, QStringLiteral("件踪宝"));
        QCOMPARE(desktop.shown[0].summary, QStringLiteral("【妈妈的<b>鞋子</b>】有最新动态"));
        QCOMPARE(
            desktop.shown[0].body,
            QStringLiteral("运送中：2026-12-03 08:00:00 快件到达第3站")); // state, newest entry
        QVERIFY(desktop.shown[0].actions.contains(QStringLiteral("default")));
        QCOMPARE(p.sound.played.size(), 1);
        QCOMPARE(p.parcel(id).num, QStringLiteral("2")); // the watch never raises num
        auto* book = static_cast<MarkedBook*>(p.Text1()->model());
        QCOMPARE(book->mark(0), BookMark::Moved);

        tickAt(p, T0.addSecs(900)); // the other parcel: nothing new for it
        QCOMPARE(p.parcel(listed).num, QStringLiteral("2"));
        tickAt(p, T0.addSecs(1800)); // the same three entries again: silent
        QCOMPARE(asked(p, number(1)), 2);
        QTest::qWait(100);
        QCOMPARE(desktop.shown.size(), 1);
        QCOMPARE(p.sound.played.size(), 1);

        p.gateway.script(number(1), {moving(4)});
        tickAt(p, T0.addSecs(2700)); // the other parcel's turn
        tickAt(p, T0.addSecs(3600));
        QTRY_COMPARE(desktop.shown.size(), 2);
        QCOMPARE(desktop.shown[1].body,
                 QStringLiteral("运送中：2026-12-04 08:00:00 快件到达第4站"));
        QCOMPARE(p.sound.played.size(), 2);
        QCOMPARE(p.parcel(id).num, QStringLiteral("2"));

        // Choosing it afterwards: the window still sees the news.
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.Label12(3)->text(), QStringLiteral("有更新"));
        QCOMPARE(p.parcel(id).num, QStringLiteral("4"));
        QCOMPARE(book->mark(0), BookMark::InTransit);
        QCOMPARE(book->mark(1), BookMark::InTransit);
    }

    void clickingANotificationChoosesItsParcel() {
        NotificationService desktop;
        TestProgram p;
        p.addParcel(Sf, number(1), QStringLiteral("第一个"), QStringLiteral("0"));
        const qint64 id = p.addParcel(Sf, number(2), QStringLiteral("第二个"), QStringLiteral("0"));
        p.gateway.script(number(1), {SignedFor});
        p.gateway.script(number(2), {moving(2)});
        startWatching(p, 30);
        tickAt(p, T0);
        tickAt(p, T0.addSecs(1800));
        QTRY_COMPARE(desktop.shown.size(), 2);
        // A notification the desktop has closed no longer chooses anything.
        desktop.close(1);
        desktop.click(1);
        QTest::qWait(200);
        QCOMPARE(p.form->session().current().id, 0);
        p.form->showMinimized();
        desktop.click(2);
        QTRY_COMPARE(p.form->session().current().id, id);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.Text1()->currentText(), QStringLiteral("第二个"));
        QVERIFY(!p.form->isMinimized());
    }

    void withoutANotificationServiceTheWatchStillMarks() {
        TestProgram p;
        p.addParcel(Sf, number(1), QStringLiteral("派送中的"), QStringLiteral("1"));
        p.gateway.script(
            number(1),
            {answerOf({{QStringLiteral("2026-12-02 08:00:00"), QStringLiteral("快递员正在派件")},
                       {QStringLiteral("2026-12-01 08:00:00"), QStringLiteral("已揽收")}})});
        startWatching(p);
        tickAt(p, T0);
        auto* book = static_cast<MarkedBook*>(p.Text1()->model());
        QCOMPARE(book->mark(0), BookMark::Moved);
        QCOMPARE(p.sound.played.size(), 1);
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(book->mark(0), BookMark::Delivering);
    }

    void optionOffAsksNothing() {
        TestProgram p;
        p.addParcel(Sf, number(1), QStringLiteral("不看"));
        p.clock.fixed = T0;
        p.start();
        QVERIFY(!p.Check9()->isChecked());
        const int before = p.gateway.requestCount();
        for (int hours = 0; hours < 5; ++hours) {
            p.clock.fixed = T0.addSecs(hours * 3600);
            p.watch()->tick();
        }
        QTest::qWait(1200); // the watch's own second passes too
        QCOMPARE(p.gateway.requestCount(), before);
        auto* book = static_cast<MarkedBook*>(p.Text1()->model());
        QCOMPARE(book->mark(0), BookMark::None);
    }

    void theWatchRunsByItself() {
        TestProgram p;
        p.addParcel(Sf, number(1), QStringLiteral("自己走"));
        startWatching(p);
        QTRY_COMPARE_WITH_TIMEOUT(asked(p, number(1)), 1, 3000); // no tick by hand
    }

    void theOptionIsKeptInTheStore() {
        TestProgram p;
        startWatching(p, 120);
        p.form.reset();
        QVERIFY(p.load());
        QVERIFY(p.Check9()->isChecked());
        QCOMPARE(p.Combo5()->currentText(), QStringLiteral("120"));
        QCOMPARE(p.watch()->intervalMinutes(), 120);
        QVERIFY(p.watch()->isOn());
        QTest::mouseClick(p.Check9(), Qt::LeftButton, {}, QPoint(6, 12));
        p.form.reset();
        QVERIFY(p.load());
        QVERIFY(!p.Check9()->isChecked());
        QVERIFY(!p.watch()->isOn());

        // A store that cannot be written keeps the option as it was, and says so.
        StoreLock lock(p.storePath());
        QTest::mouseClick(p.Check9(), Qt::LeftButton, {}, QPoint(6, 12));
        QVERIFY(!p.Check9()->isChecked());
        QVERIFY(!p.watch()->isOn());
        QCOMPARE(p.status(), QStringLiteral("选项保存失败!快递数据库暂时无法写入,请稍后再试.."));
        p.Label11(2)->clear();
        p.Combo5()->setCurrentIndex(0);
        emit p.Combo5()->activated(0);
        QCOMPARE(p.status(), QStringLiteral("选项保存失败!快递数据库暂时无法写入,请稍后再试.."));
    }

    void rememberedProgressShowsWhenNoAnswerComes() {
        TestProgram p;
        p.addParcel(Sf, number(1), QStringLiteral("记得的"));
        p.addParcel(Sf, number(2), QStringLiteral("没记的"));
        p.gateway.script(number(1), {moving(2)});
        startWatching(p);
        // The background keeps still: what is remembered here comes from the
        // window's own answers.
        p.watch()->foregroundBusy = [] { return true; };
        p.Timer7()->setInterval(10);
        p.clock.fixed = QDateTime(QDate(2026, 12, 8), QTime(10, 30, 5));
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());

        const auto expectRemembered = [&] {
            QTreeWidget* list = p.ListView1();
            QCOMPARE(list->topLevelItemCount(), 2);
            QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("快件到达第2站"));
            QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("2026-12-01 08:00:00"));
            QCOMPARE(list->topLevelItem(0)->foreground(2).color(), QColor(128, 128, 128));
            QCOMPARE(p.status(), QStringLiteral("离线记录：2026-12-08 10:30:05"));
        };
        // No network: nothing comes back, the watchdog resets the query.
        Scripted dropped;
        dropped.cutAfter = 0;
        p.gateway.script(number(1), dropped);
        p.choose(0);
        QTRY_VERIFY(!p.dialogs.shown.isEmpty());
        expectRemembered();
        // A portal's error page.
        Scripted page{"<html><body>502 Bad Gateway</body></html>", 502};
        page.contentType = "text/html";
        p.gateway.script(number(1), page);
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        expectRemembered();
        // Another parcel never shows this one's progress.
        p.gateway.script(number(2), page);
        p.choose(1);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.ListView1()->topLevelItemCount(), 0);
        QCOMPARE(p.status(), QStringLiteral("链接查询服务器失败!请稍后再试.."));
        // An answer replaces the remembered rows.
        p.gateway.script(number(1), {moving(3)});
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.ListView1()->topLevelItemCount(), 3);
        QCOMPARE(p.ListView1()->topLevelItem(1)->foreground(2).color(), QColor(Qt::black));
        QCOMPARE(p.status(), QStringLiteral("查询完毕..."));
    }

    void aBookFromBeforeTheWatchGainsItsTables() {
        TestProgram p;
        const qint64 a = p.addParcel(Sf, number(1), QStringLiteral("旧书一"), QStringLiteral("3"));
        const qint64 b =
            p.addParcel(QStringLiteral("中通快递"), number(2), QStringLiteral("旧书二"));
        QVERIFY(Store::runScript(p.storePath(),
                                 QStringLiteral("DROP TABLE watch;\nDROP TABLE watchoption;\n"),
                                 nullptr));
        p.start();
        QCOMPARE(p.Text1()->count(), 2);
        QCOMPARE(p.parcel(a).goods, QStringLiteral("旧书一"));
        QCOMPARE(p.parcel(a).num, QStringLiteral("3"));
        QCOMPARE(p.parcel(b).company, QStringLiteral("中通快递"));
        QVERIFY(p.settingsRow().has_value());
        QVERIFY(!p.Check9()->isChecked());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "migrated");
        db.setDatabaseName(p.storePath());
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM watch")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 0);
        q.finish();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("migrated"));
        // And the watch works on it.
        p.form.reset();
        startWatching(p);
        tickAt(p, T0);
        QTRY_COMPARE(asked(p, number(1)), 1);
    }
};

QTEST_MAIN(BackgroundTest)
#include "test_background.moc"
