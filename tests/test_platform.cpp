// The real alert sound: playing the shipped file, or a missing one, neither
// blocks nor ends the program (on a machine without a sound card it is silent).
#include "TestProgram.h"

#include <QElapsedTimer>

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void soundPlaysWithoutWaiting() {
        RealSound sound;
        QElapsedTimer t;
        t.start();
        sound.play(QStringLiteral(JZB_SOURCE_DIR "/resources/ts.mp3"));
        sound.play(QStringLiteral("/nonexistent/ts.mp3"));
        QVERIFY(t.elapsed() < 2000);
        QTest::qWait(300);
    }
};

QTEST_MAIN(PlatformTest)
#include "test_platform.moc"
