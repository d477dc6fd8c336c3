// Started at login with the whole-book watch on, the program waits in a real
// tray (a tray host on the test's X display) and its icon brings the window.
#include "TestProgram.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTest>

class TrayTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    }

    void aStartAtLoginWaitsInTheTray() {
        TestProgram p;
        watchOnIn(p.storePath());
        QVERIFY(p.load());
        p.form->showAtStart(true);
        auto* tray = p.form->findChild<QSystemTrayIcon*>();
        QVERIFY(tray && tray->isVisible());
        // The icon the tray host embedded, clicked as a user clicks it.
        QWidget* icon = nullptr;
        QTRY_VERIFY((icon = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->inherits("QSystemTrayIconSys") && w->isVisible()) return w;
            return static_cast<QWidget*>(nullptr);
        }()));
        QVERIFY(!p.form->isVisible());
        QTest::mouseClick(icon, Qt::LeftButton);
        QTRY_VERIFY(p.form->isVisible());
        QVERIFY(!p.form->isMinimized());
    }
};

QTEST_MAIN(TrayTest)
#include "test_tray.moc"
