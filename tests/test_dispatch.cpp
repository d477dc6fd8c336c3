// The function keys and the toolbar: the same actions, with the differences
// between the two (the toolbar shows one panel, F4 pastes, some keys have no
// image, keys work during a query), and the panels' default buttons.
#include "TestProgram.h"

#include <QClipboard>

namespace {
QList<int> visiblePanels(const TestProgram& p) {
    QList<int> open;
    for (int i = 0; i < 5; ++i)
        if (p.kdmenu(i)->isVisible()) open << i;
    return open;
}

// Records the keys a control receives.
class KeySpy : public QObject {
public:
    QList<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) keys << static_cast<QKeyEvent*>(e)->key();
        return false;
    }
};
} // namespace

class DispatchTest : public QObject {
    Q_OBJECT
private slots:
    void f4PastesTheClipboardAndDetects_data() {
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("F4") << Qt::KeyboardModifiers();
        QTest::newRow("Shift+F4") << Qt::KeyboardModifiers(Qt::ShiftModifier);
    }
    void f4PastesTheClipboardAndDetects() {
        QFETCH(Qt::KeyboardModifiers, modifiers);
        TestProgram p;
        p.start();
        p.Check8()->setChecked(true);
        p.Text2()->setText(QStringLiteral("旧的"));
        QApplication::clipboard()->setText(QStringLiteral("SF1234567890123"));
        p.press(Qt::Key_F4, modifiers);
        QVERIFY(p.kdmenu(0)->isVisible());
        QCOMPARE(p.Text3()->currentText(), QStringLiteral("SF1234567890123"));
        QVERIFY(p.Text2()->text().isEmpty());
        QTRY_COMPARE(p.gateway.autoNumberQueries(), QStringList{QStringLiteral("SF1234567890123")});
        QTRY_COMPARE(p.Command1(12)->text(), QStringLiteral("顺丰快递"));

        // The toolbar image opens the same panel, fresh and without the paste.
        QTest::mouseClick(p.Image2(3), Qt::LeftButton);
        QVERIFY(p.kdmenu(0)->isVisible());
        QVERIFY(p.Text3()->currentText().isEmpty());
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("请选择快递公司"));
        QCOMPARE(p.gateway.autoNumberQueries().size(), 1);
    }

    void keysKeepPanelsTheToolbarShowsOne() {
        TestProgram p;
        p.start();
        p.press(Qt::Key_F4);
        p.press(Qt::Key_F7);
        QCOMPARE(visiblePanels(p), (QList<int>{0, 3}));
        p.press(Qt::Key_F12);
        QCOMPARE(visiblePanels(p), (QList<int>{0, 3, 4}));
        p.press(Qt::Key_F9); // settings: the one key that hides the others
        QCOMPARE(visiblePanels(p), QList<int>{1});
        p.press(Qt::Key_Escape);
        QVERIFY(visiblePanels(p).isEmpty());

        QTest::mouseClick(p.Image2(3), Qt::LeftButton);
        QTest::mouseClick(p.Image2(4), Qt::LeftButton);
        QCOMPARE(visiblePanels(p), QList<int>{3});
        QTest::mouseClick(p.Image2(6), Qt::LeftButton);
        QCOMPARE(visiblePanels(p), QList<int>{4});
        QCOMPARE(p.ListView2()->headerItem()->text(1), QStringLiteral("快递公司"));
        QTest::mouseClick(p.Image2(1), Qt::LeftButton); // nothing chosen: no edit panel
        QVERIFY(visiblePanels(p).isEmpty());
        QCOMPARE(p.status(), QStringLiteral("请先选择快递.."));
        // A right click is no click.
        QTest::mouseClick(p.Image2(4), Qt::RightButton);
        QVERIFY(visiblePanels(p).isEmpty());
    }

    // The window sees the key first; the control with the focus still gets it.
    void theFocusedControlStillGetsTheKey() {
        TestProgram p;
        p.start();
        p.press(Qt::Key_F7);
        QCOMPARE(QApplication::focusWidget(), p.Text7());
        KeySpy spy;
        p.Text7()->installEventFilter(&spy);
        p.press(Qt::Key_F12);
        QVERIFY(p.kdmenu(4)->isVisible());
        QCOMPARE(spy.keys, QList<int>{Qt::Key_F12});
        QCOMPARE(p.ListView2()->topLevelItemCount(), 43); // opened once, not once per parent
    }

    // A box takes the focus: the key, passed on to the parents of where it
    // started once the boxes are closed, is not a second key.
    void aKeyIsActedOnOnceWhateverTheBoxesDid_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("boxes");
        QTest::newRow("F6, 是 否") << int(Qt::Key_F6) << QList<int>{Mb::Yes, Mb::No} << 2;
        QTest::newRow("F6, 是 是") << int(Qt::Key_F6) << QList<int>{Mb::Yes, Mb::Yes} << 2;
        QTest::newRow("F11") << int(Qt::Key_F11) << QList<int>{Mb::Yes} << 1;
        QTest::newRow("F10") << int(Qt::Key_F10) << QList<int>{} << 1;
        QTest::newRow("F8, first queried") << int(Qt::Key_F8) << QList<int>{} << 2;
    }
    void aKeyIsActedOnOnceWhateverTheBoxesDid() {
        QFETCH(int, key);
        QFETCH(QList<int>, answers);
        QFETCH(int, boxes);
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("751234560000"),
                    QStringLiteral("衣服"));
        p.start();
        p.Check7()->setChecked(true); // F8 queries the first parcel: unknown, a box
        p.press(Qt::Key_F4);
        QCOMPARE(QApplication::focusWidget(), p.Text3());
        p.dialogs.answers = answers;
        p.dialogs.whileShown = [] {
            if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
        };
        p.press(key);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.dialogs.shown.size(), boxes);
    }

    void refreshAnEmptyBook() {
        TestProgram p;
        p.start();
        p.Check7()->setChecked(true);
        p.press(Qt::Key_F8);
        QCOMPARE(p.status(), QStringLiteral("快递列表已刷新.."));
        QVERIFY(p.gateway.trackingQueries().isEmpty());
        QVERIFY(p.Text1()->isEnabled());
    }

    void refreshAndReset() {
        TestProgram p;
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("11111111"), QStringLiteral("茶叶"));
        p.start();
        Form1& f = *p.form;
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        QVERIFY(p.ListView1()->topLevelItemCount() > 0);
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("22222222"), QStringLiteral("鞋子"));
        const qsizetype queries = p.gateway.trackingQueries().size();
        QTest::mouseClick(p.Image2(5), Qt::LeftButton);
        QCOMPARE(p.Text1()->count(), 2);
        QCOMPARE(p.Text1()->currentIndex(), -1);
        QCOMPARE(p.ListView1()->topLevelItemCount(), 0);
        QCOMPARE(p.status(), QStringLiteral("快递列表已刷新.."));
        QCOMPARE(p.gateway.trackingQueries().size(), queries);

        p.Check7()->setChecked(true);
        p.press(Qt::Key_F8);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(p.gateway.trackingQueries().size(), queries + 1);
        QCOMPARE(f.session().current().number, QStringLiteral("11111111"));

        p.press(Qt::Key_F4);
        p.press(Qt::Key_F11); // unscripted question: No
        QCOMPARE(p.dialogs.prompts(), QStringList{QStringLiteral("确定要执行初始化吗?")});
        QCOMPARE(p.dialogs.shown[0].buttons, Mb::YesNo + Mb::Information);
        QVERIFY(p.kdmenu(0)->isVisible());
        p.dialogs.answers = {Mb::Yes};
        p.press(Qt::Key_F11);
        QVERIFY(!p.kdmenu(0)->isVisible());
        QCOMPARE(p.status(), QStringLiteral("程序初始化完毕.."));
    }

    // During a query the toolbar is locked; the keys are not, and F11 is the way out.
    void keysWorkDuringAQuery() {
        TestProgram p;
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("11111111"), QStringLiteral("茶叶"));
        Scripted hang;
        hang.hang = true;
        p.gateway.script(QStringLiteral("11111111"), hang);
        p.start();
        QList<int> byToolbar, byKey;
        bool resetWhileWaiting = false;
        QTimer::singleShot(100, [&] {
            QTest::mouseClick(p.Image2(4), Qt::LeftButton);
            byToolbar = visiblePanels(p);
            p.press(Qt::Key_F7);
            byKey = visiblePanels(p);
            p.dialogs.answers = {Mb::Yes};
            p.press(Qt::Key_F11);
            resetWhileWaiting = p.Text1()->isEnabled();
            p.gateway.script(QStringLiteral("11111111"), {QByteArray()});
            p.gateway.releaseHanging();
        });
        p.choose(0);
        QVERIFY(byToolbar.isEmpty());
        QCOMPARE(byKey, QList<int>{3});
        QVERIFY(resetWhileWaiting);
    }

    // Enter presses the default button of the panel it is typed in.
    void enterPressesThePanelsDefault() {
        TestProgram p;
        p.addParcel(QStringLiteral("中通快递"), QStringLiteral("11111111"), QStringLiteral("茶叶"));
        p.start();
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        p.press(Qt::Key_F5);
        p.Text6()->setFocus();
        p.Text4()->clear();
        p.press(Qt::Key_Return);
        QCOMPARE(p.dialogs.prompts(), QStringList{QStringLiteral("请输入单号!")});
        // A button with the focus is not overruled.
        p.Command1(10)->setFocus();
        p.press(Qt::Key_Enter);
        QCOMPARE(p.dialogs.shown.size(), 1);
        // Outside the panels Enter is an ordinary key.
        p.ListView1()->setFocus();
        p.press(Qt::Key_Return);
        QCOMPARE(p.dialogs.shown.size(), 1);
    }
};

QTEST_MAIN(DispatchTest)
#include "test_dispatch.moc"
