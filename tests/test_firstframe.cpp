// The window's first frame comes before the rest of the start: the book's
// reading, the store's check, the day's backup and the forgetting of old
// answers run after it, and still run, and still say what failed, when the
// window is shown minimised, not shown, or never painted.
#include "TestProgram.h"

#include <QComboBox>
#include <QFile>
#include <QPaintEvent>
#include <QTest>

namespace {
const QDateTime Today(QDate(2026, 12, 8), QTime(9, 0));

// What the start had done when the window was first painted.
class FirstFrame : public QObject {
public:
    FirstFrame(TestProgram& p, const QString& backup) : m_p(p), m_backup(backup) {
        p.form->installEventFilter(this);
    }
    bool seen = false;
    int entries = -1;      // in the selector
    bool backedUp = false; // today's backup there
    QByteArray store;      // the store's bytes

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen && watched == m_p.form.get() && event->type() == QEvent::Paint) {
            seen = true;
            entries = m_p.Text1()->count();
            backedUp = QFile::exists(m_backup);
            store = fileBytes(m_p.storePath());
        }
        return false;
    }

private:
    TestProgram& m_p;
    QString m_backup;
};

QString todaysBackup(const TestProgram& p) {
    return p.folder() + QStringLiteral("/db/backup/kd100-20261208.db");
}
} // namespace

class FirstFrameTest : public QObject {
    Q_OBJECT
private slots:
    // Shown, the window paints its first frame with the selector still empty
    // and nothing of the book read, written or copied; then the rest follows.
    void theRestFollowsTheFirstFrame() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"), QStringLiteral("衣服"));
        p.clock.fixed = Today;
        const QByteArray stored = fileBytes(p.storePath());
        p.form = std::make_unique<Form1>(*p.platform, p.endpoints, p.folder());
        QVERIFY(p.form->Form_Load());
        FirstFrame frame(p, todaysBackup(p));
        p.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
        QTRY_VERIFY(frame.seen);
        QCOMPARE(frame.entries, 0);
        QVERIFY(!frame.backedUp);
        QCOMPARE(frame.store, stored);
        QTRY_VERIFY(QFile::exists(todaysBackup(p)));
        QCOMPARE(p.Text1()->count(), 1);
    }

    // Without a tracking gateway the service's answers older than a day are
    // forgotten, after the store's check: nothing is written before it.
    void oldAnswersAreForgottenAfterTheCheck() {
        TestProgram p;
        p.endpoints.tracking.clear(); // the tracking service itself is asked
        p.clock.fixed = Today;
        {
            Store s(QStringLiteral("answers"));
            QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
            QVERIFY(s.keepAnswer(QStringLiteral("shunfeng"), QStringLiteral("1"),
                                 {QStringLiteral("old"), QStringLiteral("2026-12-06 09:00:00")}));
            QVERIFY(s.keepAnswer(QStringLiteral("shunfeng"), QStringLiteral("2"),
                                 {QStringLiteral("new"), QStringLiteral("2026-12-08 08:00:00")}));
        }
        const QByteArray stored = fileBytes(p.storePath());
        p.form = std::make_unique<Form1>(*p.platform, p.endpoints, p.folder());
        QVERIFY(p.form->Form_Load());
        QCOMPARE(fileBytes(p.storePath()), stored);
        QTRY_VERIFY(QFile::exists(todaysBackup(p)));
        Store s(QStringLiteral("answers-after"));
        QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
        QVERIFY(!*s.keptAnswer(QStringLiteral("shunfeng"), QStringLiteral("1")));
        QCOMPARE((*s.keptAnswer(QStringLiteral("shunfeng"), QStringLiteral("2")))->body,
                 QStringLiteral("new"));
    }

    // A window started minimised paints nothing now: the rest does not wait.
    void aMinimisedWindowDoesNotHoldTheRestBack() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"), QStringLiteral("衣服"));
        p.clock.fixed = Today;
        p.form = std::make_unique<Form1>(*p.platform, p.endpoints, p.folder());
        QVERIFY(p.form->Form_Load());
        p.form->showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(QFile::exists(todaysBackup(p)));
        QCOMPARE(p.Text1()->count(), 1);
    }

    // A shown window whose frame never comes: the rest runs before the
    // one-second start tasks, which count the book it read.
    void aFrameThatNeverComesIsNotWaitedFor() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("1"), QStringLiteral("衣服"));
        p.clock.fixed = Today;
        p.form = std::make_unique<Form1>(*p.platform, p.endpoints, p.folder());
        QVERIFY(p.form->Form_Load());
        p.form->setUpdatesEnabled(false); // shown, never painted
        FirstFrame frame(p, todaysBackup(p));
        p.form->show();
        QVERIFY(p.form->isVisible());
        int countAtStartTasks = -1;
        QObject::connect(p.Timer3(), &QTimer::timeout, p.form.get(),
                         [&] { countAtStartTasks = p.Text1()->count(); });
        QTRY_VERIFY(countAtStartTasks >= 0);
        QVERIFY(!frame.seen);
        QCOMPARE(countAtStartTasks, 1);
        QVERIFY(QFile::exists(todaysBackup(p)));
        QCOMPARE(p.status(), loadSummary(1));
    }

    // A backup that cannot be made after the frame is still said on the
    // status line once the start is done.
    void aBackupThatFailsAfterTheFrameIsSaid() {
        TestProgram p;
        p.clock.fixed = Today;
        QFile blocker(p.folder() + QStringLiteral("/db/backup")); // a file where the folder goes
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        p.form = std::make_unique<Form1>(*p.platform, p.endpoints, p.folder());
        QVERIFY(p.form->Form_Load());
        p.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
        QTRY_VERIFY(p.status().startsWith(QStringLiteral("今日的快递数据备份未能完成")));
        QVERIFY(p.shell.ended.isEmpty());
    }

    // A damaged book met by the check after the frame still ends the
    // program with its box, the file as it was.
    void aDamagedBookAfterTheFrameEndsTheProgram() {
        TestProgram p;
        for (int i = 0; i < 300; ++i)
            p.addParcel(QStringLiteral("顺丰快递"), QString::number(100000000 + i),
                        QStringLiteral("货物").repeated(20) + QString::number(i));
        damageStore(p.storePath());
        const QByteArray damaged = fileBytes(p.storePath());
        p.clock.fixed = Today;
        p.form = std::make_unique<Form1>(*p.platform, p.endpoints, p.folder());
        QVERIFY(p.form->Form_Load());
        p.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
        QTRY_COMPARE(p.shell.ended, QList<int>{1});
        QCOMPARE(p.dialogs.shown.size(), 1);
        QVERIFY(p.dialogs.shown[0].prompt.startsWith(QStringLiteral("快递数据库已损坏!")));
        QCOMPARE(fileBytes(p.storePath()), damaged);
        QVERIFY(!QFile::exists(todaysBackup(p)));
        QCOMPARE(p.Text1()->count(), 0); // the damaged book was not read for the selector
    }
};

QTEST_MAIN(FirstFrameTest)
#include "test_firstframe.moc"
