// The Debian package as a user gets it: packed from this build, its files
// checked by the desktop's own validators, unpacked into a temporary root and
// started from there with a home of its own against the service stand-in.
#include "EnterpriseStandIn.h"
#include "TestProgram.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class PackageTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_deb, m_root;

private slots:
    void initTestCase() {
        QString out;
        QCOMPARE(runCommand("cpack",
                            {"-G", "DEB", "--config", JZB_BUILD_DIR "/CPackConfig.cmake", "-B",
                             m_dir.path()},
                            &out, m_dir.path()),
                 0);
        QString arch;
        QCOMPARE(runCommand("dpkg", {"--print-architecture"}, &arch), 0);
        m_deb = m_dir.filePath(QStringLiteral("jianzongbao_%1_%2.deb")
                                   .arg(QStringLiteral(JZB_VERSION), arch.trimmed()));
        QVERIFY2(QFileInfo::exists(m_deb), qPrintable(out));
        m_root = m_dir.filePath(QStringLiteral("root"));
        QCOMPARE(runCommand("dpkg", {"-x", m_deb, m_root}), 0);
    }

    void thePackageHoldsTheProgramAndItsMenuEntry() {
        QStringList files = {
            QStringLiteral("usr/share/applications/jianzongbao.desktop"),
            QStringLiteral("usr/share/metainfo/com.quorvex.jianzongbao.metainfo.xml"),
            QStringLiteral("usr/share/icons/hicolor/scalable/apps/jianzongbao.svg")};
        for (const char* size : {"48x48", "64x64", "128x128", "256x256"})
            files << QStringLiteral("usr/share/icons/hicolor/%1/apps/jianzongbao.png")
                         .arg(QLatin1String(size));
        for (const char* f :
             {"jianzongbao", "jianzongbao-sound.so", "jianzongbao-mail.so", "jianzongbao-http.so",
              "skinh.she", "ts.mp3", "help.html", "seed.sql", "installed"})
            files << QStringLiteral("usr/lib/jianzongbao/") + QLatin1String(f);
        for (const QString& f : files)
            QVERIFY2(QFileInfo(m_root + '/' + f).isFile(), qPrintable(f));
        const QFileInfo command(m_root + QStringLiteral("/usr/bin/jianzongbao"));
        QVERIFY(command.isSymLink());
        QCOMPARE(command.symLinkTarget(),
                 m_root + QStringLiteral("/usr/lib/jianzongbao/jianzongbao"));

        QString out;
        QCOMPARE(runCommand("desktop-file-validate", {m_root + '/' + files[0]}, &out), 0);
        QCOMPARE(out, QString()); // not even a hint
        QCOMPARE(
            runCommand("appstreamcli", {"validate", "--no-net", m_root + '/' + files[1]}, &out), 0);

        // The linked libraries come from the binaries; what is loaded at run
        // time is named as well.
        QCOMPARE(runCommand("dpkg-deb", {"-f", m_deb, "Depends"}, &out), 0);
        for (const char* needed : {"libqt6widgets6", "libcurl4", "libqt6multimedia6",
                                   "libqt6sql6-sqlite", "ca-certificates", "fonts-wqy-microhei"})
            QVERIFY2(out.contains(QLatin1String(needed)), qPrintable(out));
    }

    // Started from the unpacked root as the menu starts it: the book appears in
    // the user's data folder, and the whole-book watch asks the service.
    void theUnpackedProgramTracksFromTheUsersFolders() {
        QTemporaryDir home;
        EnterpriseStandIn service(QStringLiteral("CUST"), QStringLiteral("KEY"));
        QVERIFY(service.listenLocal());
        service.script(QStringLiteral("YT1234567890"),
                       {EnterpriseStandIn::Behaviour::Moving,
                        {{QStringLiteral("2026-12-08 09:12:00"), QStringLiteral("已揽收")}},
                        QString(),
                        0});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "JZB_GATEWAY", "DISPLAY"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("JZB_CUSTOMER"), QStringLiteral("CUST"));
        env.insert(QStringLiteral("JZB_KEY"), QStringLiteral("KEY"));
        env.insert(QStringLiteral("JZB_POLL_URL"), service.pollUrl());
        env.insert(QStringLiteral("JZB_AUTO_URL"), service.autoUrl());
        const QString book = home.path() + QStringLiteral("/.local/share/jianzongbao/db/kd100.db");
        const auto start = [&](QProcess& program) {
            program.setProcessEnvironment(env);
            program.setProcessChannelMode(QProcess::ForwardedChannels);
            program.start(m_root + QStringLiteral("/usr/bin/jianzongbao"), {});
            QVERIFY(program.waitForStarted());
        };
        {
            QProcess program;
            start(program);
            // The day's backup is made once the new book has opened and passed its check.
            QTRY_VERIFY_WITH_TIMEOUT(
                !QDir(QFileInfo(book).path() + QStringLiteral("/backup")).isEmpty(QDir::Files),
                30000);
            program.terminate();
            QVERIFY(program.waitForFinished());
        }
        QCOMPARE(int(QFileInfo(book).permissions() & 0x0077), 0); // no group, no others
        QVERIFY(Store::runScript(book,
                                 QStringLiteral("INSERT INTO kd100 (company, number, goods, num) "
                                                "VALUES ('圆通速递', 'YT1234567890', '书', 0);\n"),
                                 nullptr));
        watchOnIn(book);
        QProcess program;
        start(program);
        QTRY_COMPARE_WITH_TIMEOUT(service.asked(), QStringList{QStringLiteral("YT1234567890")},
                                  30000);
        Store kept(QStringLiteral("kept"));
        QCOMPARE(kept.open(book), OpenResult::Ok);
        QTRY_VERIFY_WITH_TIMEOUT(
            kept.keptAnswer(QStringLiteral("yuantong"), QStringLiteral("YT1234567890"))
                ->has_value(),
            10000);
        // Ended as a logout ends it, the program closes its book and its lock.
        program.terminate();
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(book + QStringLiteral(".lock")));
        QVERIFY(!QFileInfo::exists(m_root + QStringLiteral("/usr/lib/jianzongbao/db")));
    }
};

QTEST_MAIN(PackageTest)
#include "test_package.moc"
