// The installed program: the book in the user's data folder (made there, or
// moved there from beside the program without losing a row), a portable
// folder that keeps its own, and starting at login.
#include "TestProgram.h"
#include "settings/Autostart.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QScopeGuard>
#include <QTest>
#include <sys/mount.h>

namespace {
void write(const QString& path, const QByteArray& bytes = {}) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The parcels and the couriers in the store at path; -1 each when it does not open.
std::pair<qsizetype, qsizetype> rowsIn(const QString& path) {
    Store s(QStringLiteral("count"));
    if (s.open(path) != OpenResult::Ok) return {-1, -1};
    return {s.parcels()->size(), s.couriers()->size()};
}

// A program folder laid out as make run and the package lay it out: marked
// installed, with the seed. Its db/ is the book an earlier version kept there.
struct Installed {
    TestProgram p;
    QString data = p.folder() + QStringLiteral("/share/jianzongbao");
    QString oldBook = p.storePath();
    QString book = data + QStringLiteral("/db/kd100.db");
    Installed() {
        write(p.folder() + QStringLiteral("/installed"));
        QFile::copy(QStringLiteral(JZB_SEED_SQL), p.folder() + QStringLiteral("/seed.sql"));
        p.endpoints.dataFolder = data;
    }
    void withoutOldBook() { QDir(p.folder() + QStringLiteral("/db")).removeRecursively(); }
    QString startWarning() {
        p.form->Timer3_Timer();
        return p.status();
    }
};
} // namespace

class InstallTest : public QObject {
    Q_OBJECT
private slots:
    void aNewUserGetsABookOfTheirOwn() {
        Installed i;
        i.withoutOldBook();
        QVERIFY(i.p.load());
        QCOMPARE(fileMode(i.book), 0600);
        QCOMPARE(fileMode(i.data + QStringLiteral("/db")), 0700);
        QVERIFY(QFile::exists(i.book + QStringLiteral(".lock")));
        QVERIFY(!QFile::exists(i.p.folder() + QStringLiteral("/db")));
        QVERIFY(rowsIn(i.book).second > 40); // the courier directory came with the seed
        QVERIFY(QFile::exists(i.data + QStringLiteral("/db/backup")));

        // The lock there keeps a second copy out.
        FakeDialogs dialogs;
        FakeShell shell;
        Platform second{dialogs, *i.p.http, i.p.mailer, i.p.sound, shell, i.p.clock};
        Form1 other(second, i.p.endpoints, i.p.folder());
        QVERIFY(!other.Form_Load());
        QCOMPARE(dialogs.prompts(), QStringList{QStringLiteral("程序已运行!")});
    }

    void aBookBesideTheProgramMovesWithItsBackups() {
        Installed i;
        i.p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1"), QStringLiteral("衣服"));
        i.p.addParcel(QStringLiteral("中通快递"), QStringLiteral("ZT2"), QStringLiteral("书"));
        write(i.p.folder() + QStringLiteral("/db/backup/kd100-20261201.db"), "backup");
        write(i.data + QStringLiteral("/db/kd100.db.part"), "cut short"); // an earlier try
        {
            // An earlier version still running keeps its book where it is.
            QLockFile running(i.oldBook + QStringLiteral(".lock"));
            QVERIFY(running.tryLock(0));
            QVERIFY(!i.p.load());
            QCOMPARE(i.p.dialogs.prompts(), QStringList{QStringLiteral("程序已运行!")});
            QVERIFY(!QFile::exists(i.book));
            i.p.form.reset();
        }
        QVERIFY(i.p.load());
        QCOMPARE(i.p.Text1()->count(), 2);
        QCOMPARE(rowsIn(i.book).first, 2);
        QCOMPARE(fileMode(i.book), 0600);
        QVERIFY(!QFile::exists(i.book + QStringLiteral(".part")));
        QVERIFY(!QFile::exists(i.p.folder() + QStringLiteral("/db")));
        QCOMPARE(fileBytes(i.data + QStringLiteral("/db/backup/kd100-20261201.db")), "backup");
        QCOMPARE(i.startWarning(),
                 QStringLiteral("快递数据库已移到 ") + i.data + QStringLiteral("/db"));

        // The next start finds it there and says nothing of a move.
        i.p.form.reset();
        QVERIFY(i.p.load());
        QCOMPARE(i.p.Text1()->count(), 2);
        QVERIFY(!i.startWarning().contains(QStringLiteral("移到")));
    }

    // Onto another, nearly full disk: each backup lands whole under its name
    // or stays where it was, nothing is left half-written, and the status line
    // says which stayed.
    void backupsThatDoNotFitStayWhereTheyWere() {
        Installed i;
        i.p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1"), QStringLiteral("衣服"));
        const QByteArray share = QFile::encodeName(i.p.folder() + QStringLiteral("/share"));
        QVERIFY(QDir().mkpath(QString::fromLocal8Bit(share)));
        if (::mount("tmpfs", share.constData(), "tmpfs", 0, "size=400k") != 0)
            QSKIP("a small tmpfs cannot be mounted here (needs root)");
        const auto unmount = qScopeGuard([&] { ::umount2(share.constData(), MNT_DETACH); });
        const QString oldBackups = i.p.folder() + QStringLiteral("/db/backup/");
        QList<QByteArray> bytes;
        for (int day = 1; day <= 4; ++day) {
            bytes << QByteArray(100 << 10, char('a' + day));
            write(oldBackups + QStringLiteral("kd100-2026120%1.db").arg(day), bytes.last());
        }
        QVERIFY(i.p.load());
        QCOMPARE(rowsIn(i.book).first, 1);
        int moved = 0;
        for (int day = 1; day <= 4; ++day) {
            const QString name = QStringLiteral("kd100-2026120%1.db").arg(day);
            const QString there = i.data + QStringLiteral("/db/backup/") + name;
            const bool arrived = QFile::exists(there);
            QCOMPARE(fileBytes(arrived ? there : oldBackups + name), bytes[day - 1]);
            QCOMPARE(QFile::exists(oldBackups + name), !arrived);
            if (arrived) QCOMPARE(fileMode(there), 0600);
            moved += arrived;
        }
        QVERIFY2(moved > 0 && moved < 4, qPrintable(QString::number(moved)));
        QVERIFY(QDir(i.data + QStringLiteral("/db/backup")).entryList({"*.part"}).isEmpty());
        QVERIFY(i.startWarning().contains(QStringLiteral("；%1 个备份未能移动,仍在 %2")
                                              .arg(4 - moved)
                                              .arg(oldBackups.chopped(1))));
    }

    // A move cut short after its copy was in place: the copy is the book, and
    // the old file goes only when it holds the same rows.
    void aMoveCutShortLosesNothing() {
        for (const bool same : {true, false}) {
            Installed i;
            i.p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1"),
                          QStringLiteral("衣服"));
            QDir().mkpath(i.data + QStringLiteral("/db"));
            QVERIFY(QFile::copy(i.oldBook, i.book));
            if (!same)
                i.p.addParcel(QStringLiteral("中通快递"), QStringLiteral("ZT2"),
                              QStringLiteral("书"));
            QVERIFY(i.p.load());
            QCOMPARE(i.p.Text1()->count(), 1);
            QCOMPARE(QFile::exists(i.oldBook), !same);
            QCOMPARE(i.startWarning().contains(i.oldBook), !same);
            if (!same) QCOMPARE(rowsIn(i.oldBook).first, 2);
        }
    }

    // A damaged book is not moved: it stays for the rescue, named in the box.
    void aDamagedBookStaysWhereItWas() {
        Installed i;
        for (int n = 0; n < 300; ++n)
            i.p.addParcel(QStringLiteral("顺丰快递"), QString::number(n),
                          QStringLiteral("x").repeated(200));
        damageStore(i.oldBook);
        const QByteArray before = fileBytes(i.oldBook);
        QVERIFY(!i.p.load());
        QVERIFY(i.p.dialogs.prompts().value(0).contains(i.oldBook));
        QCOMPARE(fileBytes(i.oldBook), before);
        QVERIFY(!QFile::exists(i.book));
        QCOMPARE(i.p.shell.ended, QList<int>{1});
    }

    // A book gone while its backups are there is restored by the user, not
    // replaced with an empty one; without the seed the start fails as
    // without a book.
    void noEmptyBookReplacesALostOne() {
        Installed i;
        i.withoutOldBook();
        write(i.data + QStringLiteral("/db/backup/kd100-20261201.db"), "backup");
        QVERIFY(!i.p.load());
        QCOMPARE(
            i.p.dialogs.prompts(),
            QStringList{QStringLiteral("快递数据库不存在!\n \n数据库文件：") + i.book +
                        QStringLiteral("\n最近的备份：") + i.data +
                        QStringLiteral("/db/backup/kd100-20261201.db\n \n"
                                       "请用备份文件替换数据库文件后再启动(方法见说明文档)。")});
        QVERIFY(!QFile::exists(i.book));

        Installed bare;
        bare.withoutOldBook();
        QFile::remove(bare.p.folder() + QStringLiteral("/seed.sql"));
        QVERIFY(!bare.p.load());
        QVERIFY(bare.p.dialogs.prompts().value(0).startsWith(QStringLiteral("数据库链接出错!")));
    }

    // Not installed, with a db/ of its own: the book stays beside the program.
    void aPortableFolderKeepsItsBook() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1"), QStringLiteral("衣服"));
        p.endpoints.dataFolder = p.folder() + QStringLiteral("/share/jianzongbao");
        QVERIFY(p.load());
        QCOMPARE(p.Text1()->count(), 1);
        QVERIFY(!QFile::exists(p.endpoints.dataFolder));
    }

    void theLoginEntryQuotesTheProgram() {
        const struct {
            const char* program;
            const char* exec;
        } cases[] = {
            {"/usr/lib/jianzongbao/jianzongbao",
             R"(Exec="/usr/lib/jianzongbao/jianzongbao" --autostart)"},
            {"/home/李 雷/my \"apps\"/$x`y`\\z/jianzongbao",
             R"(Exec="/home/李 雷/my \\"apps\\"/\\$x\\`y\\`\\\\z/jianzongbao" --autostart)"}};
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("jianzongbao.desktop"));
        for (const auto& c : cases) {
            const QString entry = autostartEntry(QString::fromUtf8(c.program));
            QCOMPARE(entry.split('\n').filter(QStringLiteral("Exec=")),
                     QStringList{QString::fromUtf8(c.exec)});
            // The desktop's own validator takes it, hints and all.
            write(file, entry.toUtf8());
            QString out;
            QCOMPARE(runCommand(QStringLiteral("desktop-file-validate"), {file}, &out), 0);
            QCOMPARE(out, QString());
        }
    }

    // The option is the entry's being there: a click writes it, the next
    // removes it, and a start shows what is there.
    void theLoginOptionWritesAndRemovesTheEntry() {
        TestProgram p;
        const QString entry = autostartPath(p.endpoints.autostartFolder);
        write(entry, "[Desktop Entry]\n");
        QVERIFY(p.load());
        Form1& f = *p.form;
        QVERIFY(p.Check10()->isChecked());
        f.show();
        f.showPanel(1);
        const auto click = [&] {
            QTest::mouseClick(p.Check10(), Qt::LeftButton, {},
                              QPoint(8, p.Check10()->height() / 2));
        };
        click();
        QVERIFY(!QFile::exists(entry));
        click();
        QCOMPARE(fileBytes(entry),
                 autostartEntry(p.folder() + QStringLiteral("/jianzongbao")).toUtf8());

        // Where the entry cannot be written, the box stays off and says why.
        click();
        QFile::remove(entry);
        QDir(p.endpoints.autostartFolder).removeRecursively();
        write(p.endpoints.autostartFolder, "a file, not a folder");
        click();
        QVERIFY(!p.Check10()->isChecked());
        QVERIFY(p.status().startsWith(QStringLiteral("开机自动启动设置失败!原因：")));
    }

    // Without a tray, a start at login with the watch on is minimised; any
    // other start shows the window.
    void aStartAtLoginIsQuiet() {
        for (const bool watching : {true, false}) {
            for (const bool atLogin : {true, false}) {
                TestProgram p;
                if (watching) watchOnIn(p.storePath());
                QVERIFY(p.load());
                QCOMPARE(p.Check9()->isChecked(), watching);
                p.form->showAtStart(atLogin);
                QVERIFY(p.form->isVisible());
                QCOMPARE(p.form->isMinimized(), watching && atLogin);
            }
        }
    }
};

QTEST_MAIN(InstallTest)
#include "test_install.moc"
