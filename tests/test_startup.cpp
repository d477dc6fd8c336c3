// Start-up: what a broken or busy store does, the options loaded into their
// boxes and written back on every click, the clock and the time lists.
#include "TestProgram.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {
const QString ConnectionMessage =
    QStringLiteral("数据库链接出错!请到官网下载原版!\n \nQuorvex件踪宝官方网站：");

void expectConnectionFailure(TestProgram& p) {
    QVERIFY(!p.load());
    QCOMPARE(p.dialogs.shown.size(), 1);
    const Endpoints site = Endpoints::atGateway(p.gateway.baseUrl());
    QCOMPARE(p.dialogs.shown[0].prompt, ConnectionMessage + site.site);
    QCOMPARE(p.dialogs.shown[0].title, QStringLiteral("Quorvex系列软件"));
    QCOMPARE(p.dialogs.shown[0].buttons, Mb::OkOnly + Mb::Information);
    QCOMPARE(p.shell.opened, QStringList{site.site});
    QCOMPARE(p.shell.ended.size(), 1);
    QVERIFY(p.shell.ended[0] != 0);
    // Nothing after the store step ran.
    QCOMPARE(p.form->Text1->count(), 0);
    QCOMPARE(p.form->Combo2->count(), 0);
    QCOMPARE(p.form->Label11[3]->text(), QStringLiteral("版本号"));
    QVERIFY(!p.form->Check3->isChecked());
}

void setSwitches(TestProgram& p, const QString& sql) {
    QString error;
    QVERIFY2(Store::runScript(p.storePath(), sql, &error), qPrintable(error));
}
} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void missingStore() {
        TestProgram p;
        QFile::remove(p.storePath());
        expectConnectionFailure(p);
        QVERIFY(!QFile::exists(p.storePath()));
    }

    void fileThatIsNotAStore() {
        TestProgram p;
        QFile::remove(p.storePath());
        QFile f(p.storePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        expectConnectionFailure(p);
    }

    void storeWithoutATable() {
        TestProgram p;
        setSwitches(p, QStringLiteral("DROP TABLE setting;\n"));
        expectConnectionFailure(p);
    }

    void secondCopyIsRefused() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"), QStringLiteral("衣服"));
        QVERIFY(p.load());
        FakeDialogs dialogs;
        FakeShell shell;
        Platform second{dialogs, *p.http, p.sound, shell, p.clock};
        Form1 other(second, Endpoints::atGateway(p.gateway.baseUrl()), p.folder());
        QVERIFY(!other.Form_Load());
        QCOMPARE(dialogs.prompts(), QStringList{QStringLiteral("程序已运行!")});
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Quorvex系列软件"));
        QVERIFY(shell.opened.isEmpty());
        QCOMPARE(shell.ended.size(), 1);
        QCOMPARE(other.Text1->count(), 0);
        // Once the first copy has gone, the next one starts.
        p.form.reset();
        Form1 third(second, Endpoints::atGateway(p.gateway.baseUrl()), p.folder());
        QVERIFY(third.Form_Load());
        QCOMPARE(third.Text1->count(), 1);
    }

    void startUpFillsTheWindow() {
        TestProgram p;
        QVERIFY(p.load());
        Form1& f = *p.form;
        QCOMPARE(f.Combo2->count(), 24);
        QCOMPARE(f.Combo3->count(), 60);
        QCOMPARE(f.Combo4->count(), 360);
        QCOMPARE(f.Combo2->currentText(), QStringLiteral("0"));
        QCOMPARE(f.Combo3->currentText(), QStringLiteral("0"));
        QCOMPARE(f.Combo4->currentText(), QString());
        QCOMPARE(f.Combo4->itemText(359), QStringLiteral("360"));
        QCOMPARE(f.Label11[3]->text(), QStringLiteral("5.2.0"));
        QCOMPARE(p.status(), QStringLiteral("程序检测更新中..."));
        QVERIFY(!f.Text1->isEnabled()); // until the start tasks have run
        QCOMPARE(f.Text1->count(), 0);
        QVERIFY(p.dialogs.shown.isEmpty());
        // The clock ticks in its own format.
        QVERIFY(f.Timer5->isActive());
        f.Timer5_Timer();
        QVERIFY(QRegularExpression(
                    QStringLiteral("^\\d{4}-[1-9]\\d?-[1-9]\\d? \\d{1,2}:\\d{1,2}:\\d{1,2}$"))
                    .match(f.Label11[5]->text())
                    .hasMatch());
    }

    void optionsLoad_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("on");
        QTest::newRow("是") << QStringLiteral("是") << true;
        QTest::newRow("contains 是") << QStringLiteral("总是") << true;
        QTest::newRow("否") << QStringLiteral("否") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("yes") << QStringLiteral("yes") << false;
    }
    void optionsLoad() {
        QFETCH(QString, stored);
        QFETCH(bool, on);
        TestProgram p;
        QString sql = QStringLiteral("UPDATE setting SET ");
        QStringList sets;
        for (int i = 0; i < SwitchCount; ++i)
            sets << QStringLiteral("\"%1\" = '%2'")
                        .arg(QString::fromUtf8(switchColumn(Switch(i))), stored);
        setSwitches(p, sql + sets.join(',') + QStringLiteral(", \"通知邮箱\" = 'me@qq.com';\n"));
        QVERIFY(p.load());
        Form1& f = *p.form;
        for (QCheckBox* box :
             {f.Check2, f.Check3, f.Check4, f.Check5, f.Check6, f.Check7, f.Check8})
            QCOMPARE(box->isChecked(), on);
        QCOMPARE(f.Sendmail->text(), QStringLiteral("me@qq.com"));
        QCOMPARE(f.Sendmail->isReadOnly(), !on);
        // A box whose state changed on loading stored its value as "是"/"否".
        const SettingsRow row = *p.settingsRow();
        QCOMPARE(row[Switch::Sound], on ? QStringLiteral("是") : stored);
    }

    void optionsWithoutARow() {
        TestProgram p;
        setSwitches(p, QStringLiteral("DELETE FROM setting;\n"));
        QVERIFY(p.load());
        QVERIFY(!p.form->Check3->isChecked());
        QVERIFY(!p.form->Check8->isChecked());
        QCOMPARE(p.form->Sendmail->text(), QStringLiteral("无"));
        QTest::mouseClick(p.form->Check6, Qt::LeftButton); // writes nothing, fails nothing
        QVERIFY(!p.settingsRow().has_value());
    }

    void everyClickIsStored() {
        TestProgram p;
        QVERIFY(p.load());
        p.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
        Form1& f = *p.form;
        const std::pair<QCheckBox*, Switch> boxes[] = {
            {f.Check2, Switch::Mail},      {f.Check3, Switch::Sound},
            {f.Check4, Switch::Drag},      {f.Check5, Switch::CloseOnClick},
            {f.Check6, Switch::Balloon},   {f.Check7, Switch::QueryFirst},
            {f.Check8, Switch::AutoDetect}};
        f.showPanel(1);
        for (const auto& [box, which] : boxes) {
            for (int click = 0; click < 2; ++click) {
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
                QCOMPARE((*p.settingsRow())[which],
                         box->isChecked() ? QStringLiteral("是") : QStringLiteral("否"));
            }
        }
        QVERIFY(f.Sendmail->isReadOnly());
        QTest::mouseClick(f.Check2, Qt::LeftButton, {}, QPoint(8, f.Check2->height() / 2));
        QVERIFY(f.Check2->isChecked());
        QVERIFY(!f.Sendmail->isReadOnly());
        // Cleared from code, the box stores "否" exactly as a click would.
        f.Check2->setChecked(false);
        QCOMPARE((*p.settingsRow())[Switch::Mail], QStringLiteral("否"));
        QVERIFY(f.Sendmail->isReadOnly());
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
