// The start tasks one second after start-up: version check, load summary,
// unlocking the window, the add panel for an empty book, the announcement.
#include "TestProgram.h"

#include <QTimeZone>

namespace {
Scripted text(const QByteArray& body, int status = 200) {
    Scripted s{body, status};
    s.contentType = "text/plain";
    return s;
}
} // namespace

class UpdateTest : public QObject {
    Q_OBJECT
private slots:
    void runsOnceASecondAfterStartUp() {
        TestProgram p;
        QVERIFY(p.load());
        p.form->show();
        QVERIFY(!p.Text1()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(p.status(), QStringLiteral("程序已加载完毕,当前没有快递单。"),
                                  3000);
        QVERIFY(!p.Timer3()->isActive());
        QVERIFY(p.Text1()->isEnabled());
    }

    void currentVersion_data() {
        QTest::addColumn<QByteArray>("version");
        QTest::newRow("exact") << QByteArray("V5.2");
        QTest::newRow("with a line break") << QByteArray("V5.2\r\n");
        QTest::newRow("the same, written longer") << QByteArray("V5.2.0");
        QTest::newRow("older") << QByteArray("V5.1");
    }
    void currentVersion() {
        QFETCH(QByteArray, version);
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"), QStringLiteral("书"));
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("2"), QStringLiteral("笔"));
        p.gateway.setVersion(text(version));
        p.gateway.setNotice(text("双十二物流高峰,请耐心等待|http://127.0.0.1/notice"));
        p.start();
        QVERIFY(p.dialogs.shown.isEmpty());
        QCOMPARE(p.status(), QStringLiteral("程序已加载完毕,当前共有2个快递单。"));
        QVERIFY(p.Text1()->isEnabled() && p.ListView1()->isEnabled());
        for (int i = 1; i <= 7; ++i)
            QVERIFY(p.Image2(i)->isEnabled());
        QVERIFY(!p.kdmenu(0)->isVisible());
        QCOMPARE(p.form->announcement().text, QStringLiteral("双十二物流高峰,请耐心等待"));
        QCOMPARE(p.form->announcement().link, QStringLiteral("http://127.0.0.1/notice"));
        QVERIFY(p.shell.ended.isEmpty());
    }

    void emptyBookOpensTheAddPanelCentred() {
        TestProgram p;
        p.start();
        QCOMPARE(p.status(), QStringLiteral("程序已加载完毕,当前没有快递单。"));
        QVERIFY(p.kdmenu(0)->isVisible());
        QCOMPARE(p.kdmenu(0)->pos(), QPoint(763 / 2 - 337 / 2, 537 / 2 - 345 / 2));
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("请选择快递公司"));
        QVERIFY(p.Text2()->text().isEmpty());
        QTest::mouseClick(p.Text3()->lineEdit(), Qt::LeftButton);
        p.press(Qt::Key_Return); // the query button is the panel's default
        QCOMPARE(p.status(), QStringLiteral("请输入快递单号!"));
    }

    void newerVersionEndsTheProgram() {
        TestProgram p;
        p.gateway.setVersion(text("V5.3"));
        p.start();
        QCOMPARE(p.dialogs.prompts(),
                 QStringList{QStringLiteral("发现最新版本![V5.3]\n \n确定后自动打开官方网站!")});
        QCOMPARE(p.dialogs.shown[0].buttons, Mb::OkOnly + Mb::Information);
        QCOMPARE(p.status(), QStringLiteral("程序已加载完毕..."));
        QCOMPARE(p.shell.opened, QStringList{p.endpoints.site});
        QCOMPARE(p.shell.ended, QList<int>{0});
        QVERIFY(!p.Text1()->isEnabled());
        QVERIFY(!p.kdmenu(0)->isVisible());
    }

    // Anything that is not a version is a failed check, never a reason to quit.
    void failedCheck_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("reachable");
        QTest::newRow("empty") << QByteArray() << 200 << true;
        QTest::newRow("unreachable") << QByteArray() << 0 << false;
        QTest::newRow("html 404") << QByteArray("<html><body><h1>404 Not Found</h1></body></html>")
                                  << 404 << true;
        QTest::newRow("portal") << QByteArray("<html>请先登录无线网络</html>") << 200 << true;
        QTest::newRow("version with error status") << QByteArray("V5.3") << 503 << true;
        QTest::newRow("an answer without end") << QByteArray() << -1 << true;
    }
    void failedCheck() {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(bool, reachable);
        TestProgram p;
        Scripted version = text(body, status);
        version.flood = status < 0;
        p.gateway.setVersion(version);
        if (!reachable) p.endpoints.versionFile = QStringLiteral("http://127.0.0.1:1/version.txt");
        p.start();
        QCOMPARE(p.dialogs.prompts(),
                 QStringList{QStringLiteral("检测更新失败!请您稍后再试,暂时使用原版")});
        QCOMPARE(p.dialogs.shown[0].buttons, Mb::OkOnly + Mb::Exclamation);
        QCOMPARE(p.dialogs.shown[0].title, QStringLiteral("Quorvex系列软件"));
        QCOMPARE(p.status(), QStringLiteral("程序已加载完毕,当前没有快递单。"));
        QVERIFY(p.Text1()->isEnabled());
        QVERIFY(p.Image2(3)->isEnabled());
        QVERIFY(!p.kdmenu(0)->isVisible()); // no add panel without a check
        QVERIFY(p.form->announcement().link.isEmpty());
        QVERIFY(p.shell.ended.isEmpty());
        QVERIFY(p.gateway.flooded() < (16 << 20)); // read no further than its size limit
    }

    // The time calibration: one Date reading set as the instant it names.
    void timeCalibration_data() {
        QTest::addColumn<QByteArray>("date");
        QTest::addColumn<bool>("hasDate");
        QTest::addColumn<QString>("refuse");
        QTest::addColumn<QDateTime>("setTo"); // invalid: nothing set
        QTest::addColumn<QString>("message");
        const QTimeZone utc = QTimeZone::utc();
        QTest::newRow("a date") << QByteArray("Sun, 06 Dec 2026 09:45:51 GMT") << true << QString()
                                << QDateTime(QDate(2026, 12, 6), QTime(9, 45, 51), utc)
                                << QStringLiteral("时间校对成功!");
        QTest::newRow("16:00 GMT")
            << QByteArray("Sun, 06 Dec 2026 16:00:00 GMT") << true << QString()
            << QDateTime(QDate(2026, 12, 6), QTime(16, 0), utc) << QStringLiteral("时间校对成功!");
        QTest::newRow("no Date header")
            << QByteArray() << false << QString() << QDateTime()
            << QStringLiteral("时间校对失败!时间服务器没有给出时间(没有 Date 头)");
        QTest::newRow("not a date")
            << QByteArray("yesterday") << true << QString() << QDateTime()
            << QStringLiteral("时间校对失败!时间服务器给出的不是时间：yesterday");
        QTest::newRow("a refusing clock")
            << QByteArray("Sun, 06 Dec 2026 09:45:51 GMT") << true
            << QStringLiteral("修改系统时间需要管理员权限,请以管理员身份运行") << QDateTime()
            << QStringLiteral("时间校对失败!修改系统时间需要管理员权限,请以管理员身份运行");
    }
    void timeCalibration() {
        QFETCH(QByteArray, date);
        QFETCH(bool, hasDate);
        QFETCH(QString, refuse);
        QFETCH(QDateTime, setTo);
        QFETCH(QString, message);
        TestProgram p;
        p.start();
        p.gateway.setDateHeader(hasDate ? std::optional<QByteArray>(date) : std::nullopt);
        if (!refuse.isEmpty()) p.clock.refuse = refuse;
        Scripted slow{QByteArrayLiteral("<html>portal</html>")};
        slow.delayMs = 200;
        p.gateway.setPage(slow);
        bool disabledWhileWaiting = false;
        QTimer::singleShot(100, [&] { disabledWhileWaiting = !p.Command3()->isEnabled(); });
        p.press(Qt::Key_F9);
        QTest::mouseClick(p.Command3(), Qt::LeftButton);
        QVERIFY(disabledWhileWaiting);
        QVERIFY(p.Command3()->isEnabled());
        QCOMPARE(p.dialogs.prompts(), QStringList{message});
        QCOMPARE(p.dialogs.shown[0].title, QStringLiteral("提示"));
        QCOMPARE(p.dialogs.shown[0].buttons, Mb::OkOnly + Mb::Information);
        QCOMPARE(p.clock.setTo, setTo.isValid() ? QList<QDateTime>{setTo} : QList<QDateTime>{});
        if (setTo.isValid()) {
            // In China Standard Time the clock shows the Date plus eight hours.
            const QDateTime local = p.clock.setTo[0].toTimeZone(QTimeZone("Asia/Shanghai"));
            QCOMPARE(local.time(), setTo.time().addSecs(8 * 3600));
            QCOMPARE(local.date(),
                     setTo.time().hour() >= 16 ? setTo.date().addDays(1) : setTo.date());
        }
    }

    void timeCalibrationWithoutNetwork() {
        TestProgram p;
        p.endpoints.probePage = QStringLiteral("http://127.0.0.1:1/");
        p.start();
        QTest::mouseClick(p.Command3(), Qt::LeftButton);
        QCOMPARE(p.dialogs.prompts(), QStringList{QStringLiteral("时间校准功能需要联网操作!")});
        QCOMPARE(p.dialogs.shown[0].title, QStringLiteral("提示"));
        QVERIFY(p.clock.setTo.isEmpty());
        QVERIFY(p.Command3()->isEnabled());
    }
};

QTEST_MAIN(UpdateTest)
#include "test_update.moc"
