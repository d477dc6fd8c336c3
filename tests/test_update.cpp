// The start tasks one second after start-up: version check, load summary,
// unlocking the window, the add panel for an empty book, the announcement.
#include "TestProgram.h"

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
        QVERIFY(!p.form->Text1->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(p.status(), QStringLiteral("程序已加载完毕,当前没有快递单。"),
                                  3000);
        QVERIFY(!p.form->Timer3->isActive());
        QVERIFY(p.form->Text1->isEnabled());
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
        QVERIFY(p.form->Text1->isEnabled() && p.form->ListView1->isEnabled());
        for (int i = 1; i <= 7; ++i)
            QVERIFY(p.form->Image2[i]->isEnabled());
        QVERIFY(!p.form->kdmenu[0]->isVisible());
        QCOMPARE(p.form->notice.text, QStringLiteral("双十二物流高峰,请耐心等待"));
        QCOMPARE(p.form->notice.link, QStringLiteral("http://127.0.0.1/notice"));
        QVERIFY(p.shell.ended.isEmpty());
    }

    void emptyBookOpensTheAddPanelCentred() {
        TestProgram p;
        p.start();
        Form1& f = *p.form;
        QCOMPARE(p.status(), QStringLiteral("程序已加载完毕,当前没有快递单。"));
        QVERIFY(f.kdmenu[0]->isVisible());
        QCOMPARE(f.kdmenu[0]->pos(), QPoint(763 / 2 - 337 / 2, 537 / 2 - 345 / 2));
        QCOMPARE(f.Command1[12]->text(), QStringLiteral("请选择快递公司"));
        QVERIFY(f.Text2->text().isEmpty());
        QTest::mouseClick(f.Text3->lineEdit(), Qt::LeftButton);
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
        QVERIFY(!p.form->Text1->isEnabled());
        QVERIFY(!p.form->kdmenu[0]->isVisible());
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
    }
    void failedCheck() {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(bool, reachable);
        TestProgram p;
        p.gateway.setVersion(text(body, status));
        if (!reachable) p.endpoints.versionFile = QStringLiteral("http://127.0.0.1:1/version.txt");
        p.start();
        QCOMPARE(p.dialogs.prompts(),
                 QStringList{QStringLiteral("检测更新失败!请您稍后再试,暂时使用原版")});
        QCOMPARE(p.dialogs.shown[0].buttons, Mb::OkOnly + Mb::Exclamation);
        QCOMPARE(p.dialogs.shown[0].title, QStringLiteral("Quorvex系列软件"));
        QCOMPARE(p.status(), QStringLiteral("程序已加载完毕,当前没有快递单。"));
        QVERIFY(p.form->Text1->isEnabled());
        QVERIFY(p.form->Image2[3]->isEnabled());
        QVERIFY(!p.form->kdmenu[0]->isVisible()); // no add panel without a check
        QVERIFY(p.form->notice.link.isEmpty());
        QVERIFY(p.shell.ended.isEmpty());
    }
};

QTEST_MAIN(UpdateTest)
#include "test_update.moc"
