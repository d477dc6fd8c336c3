// The real alert sound and the modules sound and mail load from: playing the
// shipped file, or a missing one, neither blocks nor ends the program (on a
// machine without a sound card it is silent); a module that is missing turns
// into a reported failure, never a crash or a silent success.
#include "TestProgram.h"
#include "platform/Modules.h"
#include "platform/RealSound.h"

#include <QElapsedTimer>
#include <QTcpServer>

namespace {
// A loopback port nobody listens on.
quint16 refusedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

Mail someMail() {
    return {QStringLiteral("jzb@example.com"), QStringLiteral("user@example.com"),
            QStringLiteral("件踪宝"), QStringLiteral("<p>x</p>"), QDateTime::currentDateTime()};
}

// Sends through the mailer and waits for its verdict; `now` tells whether the
// verdict came back before send returned.
std::optional<QString> sendAndWait(Mailer& mailer, const MailServer& server, bool* now) {
    QObject context;
    bool returned = false, called = false;
    std::optional<QString> failure;
    mailer.send(server, someMail(), &context, [&](std::optional<QString> f) {
        called = true;
        *now = !returned;
        failure = std::move(f);
    });
    returned = true;
    [&] { QTRY_VERIFY_WITH_TIMEOUT(called, 20000); }();
    return failure;
}
} // namespace

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void soundPlaysWithoutWaiting() {
        RealSound sound;
        ModuleSound fromModule(QStringLiteral(JZB_BUILD_DIR));
        ModuleSound missing(QStringLiteral("/nonexistent"));
        QElapsedTimer t;
        t.start();
        for (Sound* s : {static_cast<Sound*>(&sound), static_cast<Sound*>(&fromModule),
                         static_cast<Sound*>(&missing)}) {
            s->play(QStringLiteral(JZB_SOURCE_DIR "/resources/ts.mp3"));
            s->play(QStringLiteral("/nonexistent/ts.mp3"));
        }
        QVERIFY(t.elapsed() < 2000);
        QTest::qWait(300);
    }

    void theMailModuleSendsAndAMissingOneFails() {
        const MailServer refused{QStringLiteral("smtp://127.0.0.1:%1").arg(refusedPort()), {}, {}};
        bool now = true;
        ModuleMailer mailer{QStringLiteral(JZB_BUILD_DIR)};
        const std::optional<QString> sent = sendAndWait(mailer, refused, &now);
        QVERIFY(sent); // the module ran the send: the refused connection is its failure
        QVERIFY2(!sent->contains(QStringLiteral("组件")), qPrintable(*sent));
        QVERIFY(!now);

        ModuleMailer missing{QStringLiteral("/nonexistent")};
        const std::optional<QString> failed = sendAndWait(missing, refused, &now);
        QVERIFY(failed);
        QVERIFY2(failed->startsWith(QStringLiteral("邮件组件无法载入(")), qPrintable(*failed));
        QVERIFY2(failed->contains(QStringLiteral("jianzongbao-mail.so")), qPrintable(*failed));
        QVERIFY(!now); // reported later, like every send

        // A window gone before the verdict hears nothing.
        bool called = false;
        {
            QObject context;
            missing.send(refused, someMail(), &context, [&](auto) { called = true; });
        }
        QTest::qWait(50);
        QVERIFY(!called);
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"
