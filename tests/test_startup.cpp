// Start-up: what a broken or busy store does, the options loaded into their
// boxes and written back on every click, the clock and the time lists.
#include "TestProgram.h"
#include "store/Backup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QThread>
#include <future>
#include <sys/mount.h>
#include <thread>

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
    // Nothing after the store step ran, and no timer can put a box on top.
    QVERIFY(!p.Timer3()->isActive());
    QVERIFY(!p.Timer5()->isActive());
    QCOMPARE(p.Text1()->count(), 0);
    QCOMPARE(p.Combo2()->count(), 0);
    QCOMPARE(p.Label11(3)->text(), QStringLiteral("版本号"));
    QVERIFY(!p.Check3()->isChecked());
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

    // A store locked by another program past the busy time-out is named as
    // such, not as a broken install; a short lock is waited out.
    void busyStore() {
        TestProgram p;
        StoreLock lock(p.storePath());
        QVERIFY(!p.load());
        QCOMPARE(p.dialogs.prompts(),
                 QStringList{QStringLiteral("快递数据库正被其他程序使用,请关闭该程序后再启动件踪宝!"
                                            "\n \n数据库文件：") +
                             QDir::toNativeSeparators(p.storePath())});
        QCOMPARE(p.dialogs.shown[0].buttons, Mb::OkOnly + Mb::Exclamation);
        QVERIFY(p.shell.opened.isEmpty());
        QCOMPARE(p.shell.ended, QList<int>{1});
        QVERIFY(!p.Timer3()->isActive());

        // Another program that holds the lock for 400 ms: the start waits
        // for it. (SQLite's busy handler sleeps on the window's thread, so
        // that program runs on a thread of its own.)
        TestProgram q;
        q.storeBusyTimeoutMs = 5000;
        std::promise<void> locked;
        std::thread other([&] {
            StoreLock held(q.storePath());
            locked.set_value();
            QThread::msleep(400);
        });
        locked.get_future().wait();
        QVERIFY(q.load());
        other.join();
        QVERIFY(q.dialogs.shown.isEmpty());
    }

    // Random bytes inside the book: reported with the file and the newest
    // backup, the file left as it was, the program ended.
    void damagedStore() {
        TestProgram p;
        for (int i = 0; i < 300; ++i)
            p.addParcel(QStringLiteral("顺丰快递"), QString::number(100000000 + i),
                        QStringLiteral("货物").repeated(20) + QString::number(i));
        p.clock.fixed = QDateTime(QDate(2026, 12, 8), QTime(9, 0));
        QVERIFY(p.load()); // the first start keeps the day's backup
        p.form.reset();
        const QString backup = p.folder() + QStringLiteral("/db/backup/kd100-20261208.db");
        QVERIFY(QFile::exists(backup));
        damageStore(p.storePath());
        const QByteArray damaged = fileBytes(p.storePath());
        p.clock.fixed = QDateTime(QDate(2026, 12, 9), QTime(9, 0));
        QVERIFY(!p.load()); // the check follows the window at once
        QCOMPARE(p.dialogs.shown.size(), 1);
        QCOMPARE(p.dialogs.shown[0].prompt,
                 QStringLiteral("快递数据库已损坏!程序没有改动它。\n \n数据库文件：") +
                     QDir::toNativeSeparators(p.storePath()) + QStringLiteral("\n最近的备份：") +
                     QDir::toNativeSeparators(backup) +
                     QStringLiteral(
                         "\n \n请关闭程序,用备份文件替换数据库文件后再启动(方法见说明文档)。"));
        QCOMPARE(p.dialogs.shown[0].buttons, Mb::OkOnly + Mb::Exclamation);
        QCOMPARE(p.shell.ended, QList<int>{1});
        QCOMPARE(fileBytes(p.storePath()), damaged);
        QVERIFY(!QFile::exists(p.folder() + QStringLiteral("/db/backup/kd100-20261209.db")));
        QVERIFY(!p.kdmenu(0)->isVisible());

        // Restored as the README says, the book opens with every parcel.
        p.form.reset();
        QFile::remove(p.storePath());
        QVERIFY(QFile::copy(backup, p.storePath()));
        p.dialogs.shown.clear();
        QVERIFY(p.load());
        QCOMPARE(p.Text1()->count(), 300);
    }

    void damagedStoreWithoutABackup() {
        TestProgram p;
        for (int i = 0; i < 300; ++i)
            p.addParcel(QStringLiteral("顺丰快递"), QString::number(i),
                        QStringLiteral("x").repeated(200));
        damageStore(p.storePath());
        QVERIFY(!p.load());
        QVERIFY(p.dialogs.shown[0].prompt.contains(QStringLiteral("\n最近的备份：(没有备份)\n")));
        QCOMPARE(p.shell.ended, QList<int>{1});
    }

    // The book's reading, the store's check and the day's backup wait for
    // the window's first turn of the event loop: the window shows first.
    void theCheckAndTheBackupFollowTheWindow() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"), QStringLiteral("衣服"));
        const QByteArray stored = fileBytes(p.storePath());
        p.form = std::make_unique<Form1>(*p.platform, p.endpoints, p.folder());
        QVERIFY(p.form->Form_Load());
        QCOMPARE(p.Text1()->count(), 0);
        QCOMPARE(fileBytes(p.storePath()), stored); // nothing written before the check
        QVERIFY(!QFile::exists(p.folder() + QStringLiteral("/db/backup")));
        QTRY_VERIFY(QFile::exists(p.folder() + QStringLiteral("/db/backup")));
        QCOMPARE(p.Text1()->count(), 1);
    }

    // One backup a day, made with the store open, the newest seven kept.
    void dailyBackups() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"), QStringLiteral("衣服"));
        const QString folder = p.folder() + QStringLiteral("/db/backup");
        QDir().mkpath(folder);
        for (int day = 1; day <= 9; ++day) {
            QFile old(folder + QStringLiteral("/kd100-202611%1.db").arg(day, 2, 10, QChar('0')));
            QVERIFY(old.open(QIODevice::WriteOnly));
        }
        QFile foreign(folder + QStringLiteral("/notes.txt"));
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.close();
        p.clock.fixed = QDateTime(QDate(2026, 12, 8), QTime(23, 59));
        QVERIFY(p.load());
        QStringList kept = QDir(folder).entryList(QDir::Files, QDir::Name);
        QCOMPARE(kept, (QStringList{"kd100-20261104.db", "kd100-20261105.db", "kd100-20261106.db",
                                    "kd100-20261107.db", "kd100-20261108.db", "kd100-20261109.db",
                                    "kd100-20261208.db", "notes.txt"}));
        Store copy(QStringLiteral("backup-check"));
        QCOMPARE(copy.open(folder + QStringLiteral("/kd100-20261208.db")), OpenResult::Ok);
        QCOMPARE(copy.parcels()->size(), 1);
        QCOMPARE(copy.parcels()->first().goods, QStringLiteral("衣服"));

        // A second start the same day keeps the day's first backup.
        p.form.reset();
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("2"), QStringLiteral("鞋子"));
        QVERIFY(p.load());
        QCOMPARE(copy.parcels()->size(), 1);
    }

    // The book and its backups are the user's alone; a secret others can
    // read is named on the status line once the start is done.
    void theBookAndTheSecretsAreTheUsersAlone() {
        TestProgram p;
        QCOMPARE(fileMode(p.storePath()), 0600);
        QVERIFY(QDir().mkpath(p.endpoints.configFolder));
        const QString mailConf = p.endpoints.configFolder + QStringLiteral("/mail.conf");
        QFile conf(mailConf);
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[smtp]\npassword=x\n");
        conf.close();
        QVERIFY(conf.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        p.clock.fixed = QDateTime(QDate(2026, 12, 8), QTime(9, 0));
        // A book an older version made readable by others is tightened.
        QVERIFY(QFile::setPermissions(p.storePath(), conf.permissions()));
        p.start();
        QCOMPARE(fileMode(p.storePath()), 0600);
        QCOMPARE(fileMode(p.folder() + QStringLiteral("/db/backup")), 0700);
        QCOMPARE(fileMode(p.folder() + QStringLiteral("/db/backup/kd100-20261208.db")), 0600);
        QVERIFY(p.status().contains(QDir::toNativeSeparators(mailConf)));
        QVERIFY(p.status().contains(QStringLiteral("其他用户也能读取")));
        p.form.reset();
        QVERIFY(conf.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        p.start();
        QCOMPARE(p.status(), QStringLiteral("程序已加载完毕,当前没有快递单。"));
    }

    // A backup that cannot be made is said after the start, and made on a
    // later start the same day; the advice names the backup written last,
    // never one dated after today.
    void aMissingBackupIsSaidAndTheNewestIsByWriteTime() {
        TestProgram p;
        const QString folder = p.folder() + QStringLiteral("/db/backup");
        QFile blocker(folder); // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        p.clock.fixed = QDateTime(QDate(2026, 12, 8), QTime(9, 0));
        p.start();
        QVERIFY(p.status().startsWith(QStringLiteral("今日的快递数据备份未能完成")));
        p.form.reset();
        QVERIFY(blocker.remove());
        p.start();
        QVERIFY(QFile::exists(folder + QStringLiteral("/kd100-20261208.db")));

        const QDateTime now = QDateTime::currentDateTime();
        const auto backup = [&](const char* day, int hoursAgo) {
            QFile f(folder + QStringLiteral("/kd100-%1.db").arg(QLatin1String(day)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(
                f.setFileTime(now.addSecs(-3600 * hoursAgo), QFileDevice::FileModificationTime));
        };
        backup("20261208", 1); // today's, written before the older ones below
        backup("20261207", 0);
        backup("20991231", 0); // made while the clock was ahead
        QCOMPARE(newestBackup(p.folder(), QDate(2026, 12, 8)),
                 folder + QStringLiteral("/kd100-20261207.db"));
    }

    // No space left, or a read-only disk: said as such, never as a broken
    // install, and no web site opened.
    void aDiskThatTakesNoWritesIsNotABrokenInstall() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"), QStringLiteral("衣服"));
        const QByteArray book = fileBytes(p.storePath());
        const QByteArray db = QFile::encodeName(p.folder() + QStringLiteral("/db"));
        if (::mount("tmpfs", db.constData(), "tmpfs", 0, "size=512k") != 0)
            QSKIP("a small tmpfs cannot be mounted here (needs root)");
        const auto unmount = qScopeGuard([&] { ::umount2(db.constData(), MNT_DETACH); });
        QFile store(p.storePath());
        QVERIFY(store.open(QIODevice::WriteOnly) && store.write(book) == book.size());
        store.close();
        QFile filler(p.folder() + QStringLiteral("/db/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
        }
        filler.close();
        for (const auto& [remount, cause] : {std::pair{false, QStringLiteral("磁盘空间已满")},
                                             {true, QStringLiteral("磁盘是只读的")}}) {
            if (remount)
                QCOMPARE(::mount(nullptr, db.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                         0);
            p.dialogs.shown.clear();
            QVERIFY(!p.load());
            QCOMPARE(p.dialogs.prompts().size(), 1);
            const QString said = p.dialogs.prompts()[0];
            QVERIFY2(said.startsWith(QStringLiteral("快递数据库无法写入!快递数据没有损坏")),
                     qPrintable(said));
            QVERIFY(said.contains(QDir::toNativeSeparators(QString::fromLocal8Bit(db))));
            QVERIFY(said.contains(QStringLiteral("原因：") + cause));
            QVERIFY(p.shell.opened.isEmpty());
            p.form.reset();
        }
        QCOMPARE(fileBytes(p.storePath()), book);
    }

    void secondCopyIsRefused() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"), QStringLiteral("衣服"));
        QVERIFY(p.load());
        FakeDialogs dialogs;
        FakeShell shell;
        Platform second{dialogs, *p.http, p.mailer, p.sound, shell, p.clock};
        Form1 other(second, Endpoints::atGateway(p.gateway.baseUrl()), p.folder());
        QVERIFY(!other.Form_Load());
        QCOMPARE(dialogs.prompts(), QStringList{QStringLiteral("程序已运行!")});
        QCOMPARE(dialogs.shown[0].title, QStringLiteral("Quorvex系列软件"));
        QVERIFY(shell.opened.isEmpty());
        QCOMPARE(shell.ended.size(), 1);
        QCOMPARE(other.findChild<QComboBox*>(QStringLiteral("Text1"))->count(), 0);
        QVERIFY(!other.findChild<QTimer*>(QStringLiteral("Timer3"))->isActive());
        // Once the first copy has gone, the next one starts.
        p.form.reset();
        Form1 third(second, Endpoints::atGateway(p.gateway.baseUrl()), p.folder());
        QVERIFY(third.Form_Load());
        QCoreApplication::processEvents(); // the first turn reads the book
        QCOMPARE(third.findChild<QComboBox*>(QStringLiteral("Text1"))->count(), 1);
    }

    // The session ends (SIGTERM) while a box of the start waits for its
    // answer: the program ends, and the lock of the copy already running stays.
    void theSessionsEndEndsABoxOfTheStart() {
        const QString lock = QStringLiteral(JZB_BUILD_DIR "/db/kd100.db.lock");
        QLockFile running(lock);
        QVERIFY(running.tryLock(0));
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(JZB_BUILD_DIR "/jianzongbao"), {});
        QVERIFY(program.waitForStarted());
        QVERIFY(!program.waitForFinished(3000)); // "程序已运行!" waits for its OK
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0); // ended as asked, not failed
        QVERIFY(QFile::exists(lock));
    }

    void startUpFillsTheWindow() {
        TestProgram p;
        QVERIFY(p.load());
        Form1& f = *p.form;
        QCOMPARE(p.Combo2()->count(), 24);
        QCOMPARE(p.Combo3()->count(), 60);
        QCOMPARE(p.Combo4()->count(), 360);
        QCOMPARE(p.Combo2()->currentText(), QStringLiteral("0"));
        QCOMPARE(p.Combo3()->currentText(), QStringLiteral("0"));
        QCOMPARE(p.Combo4()->currentText(), QString());
        QCOMPARE(p.Combo4()->itemText(359), QStringLiteral("360"));
        QCOMPARE(p.Label11(3)->text(), QStringLiteral("5.2.0"));
        QCOMPARE(p.status(), QStringLiteral("程序检测更新中..."));
        QVERIFY(!p.Text1()->isEnabled()); // until the start tasks have run
        QCOMPARE(p.Text1()->count(), 0);
        QVERIFY(p.dialogs.shown.isEmpty());
        // The clock ticks in its own format.
        QVERIFY(p.Timer5()->isActive());
        f.Timer5_Timer();
        QVERIFY(QRegularExpression(
                    QStringLiteral("^\\d{4}-[1-9]\\d?-[1-9]\\d? \\d{1,2}:\\d{1,2}:\\d{1,2}$"))
                    .match(p.Label11(5)->text())
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
        for (QCheckBox* box :
             {p.Check2(), p.Check3(), p.Check4(), p.Check5(), p.Check6(), p.Check7(), p.Check8()})
            QCOMPARE(box->isChecked(), on);
        QCOMPARE(p.Sendmail()->text(), QStringLiteral("me@qq.com"));
        QCOMPARE(p.Sendmail()->isReadOnly(), !on);
        // A box whose state changed on loading stored its value as "是"/"否".
        const SettingsRow row = *p.settingsRow();
        QCOMPARE(row[Switch::Sound], on ? QStringLiteral("是") : stored);
    }

    void optionsWithoutARow() {
        TestProgram p;
        setSwitches(p, QStringLiteral("DELETE FROM setting;\n"));
        QVERIFY(p.load());
        QVERIFY(!p.Check3()->isChecked());
        QVERIFY(!p.Check8()->isChecked());
        QCOMPARE(p.Sendmail()->text(), QStringLiteral("无"));
        // There is no row to store the click in, so the box stays off.
        QTest::mouseClick(p.Check6(), Qt::LeftButton);
        QVERIFY(!p.Check6()->isChecked());
        QVERIFY(!p.settingsRow().has_value());
    }

    // A click the store cannot keep is undone and reported.
    void failedOptionWrite() {
        TestProgram p;
        QVERIFY(p.load());
        const bool wasOn = p.Check2()->isChecked();
        QVERIFY(p.Sendmail()->isReadOnly() == !wasOn);
        StoreLock lock(p.storePath());
        p.Check2()->click();
        QCOMPARE(p.Check2()->isChecked(), wasOn);
        QCOMPARE(p.options().on(Switch::Mail), wasOn); // what the store kept
        QCOMPARE(p.Sendmail()->isReadOnly(), !wasOn);
        QCOMPARE(p.status(), QStringLiteral("选项保存失败!快递数据库暂时无法写入,请稍后再试.."));
        lock.release();
        QCOMPARE((*p.settingsRow())[Switch::Mail],
                 wasOn ? QStringLiteral("是") : QStringLiteral("否"));
        p.Check2()->click(); // once the store is free, the click sticks
        QCOMPARE(p.Check2()->isChecked(), !wasOn);
        QCOMPARE(p.options().on(Switch::Mail), !wasOn);
        QCOMPARE((*p.settingsRow())[Switch::Mail],
                 wasOn ? QStringLiteral("否") : QStringLiteral("是"));
    }

    void everyClickIsStored() {
        TestProgram p;
        QVERIFY(p.load());
        p.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
        Form1& f = *p.form;
        const std::pair<QCheckBox*, Switch> boxes[] = {
            {p.Check2(), Switch::Mail},      {p.Check3(), Switch::Sound},
            {p.Check4(), Switch::Drag},      {p.Check5(), Switch::CloseOnClick},
            {p.Check6(), Switch::Balloon},   {p.Check7(), Switch::QueryFirst},
            {p.Check8(), Switch::AutoDetect}};
        f.showPanel(1);
        for (const auto& [box, which] : boxes) {
            for (int click = 0; click < 2; ++click) {
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
                QCOMPARE((*p.settingsRow())[which],
                         box->isChecked() ? QStringLiteral("是") : QStringLiteral("否"));
                QCOMPARE(p.options().on(which), box->isChecked());
            }
            // The box shows the value, whoever changed it.
            for (int flip = 0; flip < 2; ++flip) {
                p.options().set(which, !box->isChecked());
                QCOMPARE(box->isChecked(), p.options().on(which));
            }
        }
        p.options().setAddress(QStringLiteral("me@example.cn")); // so does the address box
        QCOMPARE(p.Sendmail()->text(), QStringLiteral("me@example.cn"));
        p.Sendmail()->setText(QStringLiteral("you@example.cn")); // and the value follows typing
        QCOMPARE(p.options().address(), QStringLiteral("you@example.cn"));
        QVERIFY(p.Sendmail()->isReadOnly());
        QTest::mouseClick(p.Check2(), Qt::LeftButton, {}, QPoint(8, p.Check2()->height() / 2));
        QVERIFY(p.Check2()->isChecked());
        QVERIFY(!p.Sendmail()->isReadOnly());
        // Cleared from code, the box stores "否" exactly as a click would.
        p.Check2()->setChecked(false);
        QCOMPARE((*p.settingsRow())[Switch::Mail], QStringLiteral("否"));
        QVERIFY(p.Sendmail()->isReadOnly());
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
