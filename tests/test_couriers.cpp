// The courier directory (browsing, searching, quick links, picking, the
// telephone copy) and the courier auto-detection of the add panel.
#include "TestProgram.h"
#include "tracking/Simulation.h"

#include <QClipboard>
#include <QHeaderView>

namespace {
QStringList names(const QTreeWidget* list) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(1);
    return out;
}

// Double-clicks the row with this company name, as a user picks a courier.
void pick(TestProgram& p, const QString& name) {
    QTreeWidget* list = p.ListView2();
    const QList<QTreeWidgetItem*> rows = list->findItems(name, Qt::MatchExactly, 1);
    QVERIFY2(!rows.isEmpty(), qPrintable(name));
    const QPoint at = list->visualItemRect(rows[0]).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

Scripted body(const QByteArray& text) {
    return Scripted{text};
}
} // namespace

class CouriersTest : public QObject {
    Q_OBJECT
private slots:
    void browsingSearchingAndQuickLinks() {
        TestProgram p;
        p.start();
        QCOMPARE(p.ListView2()->topLevelItemCount(), 0); // filled only when opened
        p.press(Qt::Key_F12);
        QVERIFY(p.kdmenu(4)->isVisible());
        QCOMPARE(p.ListView2()->headerItem()->text(1), QStringLiteral("快递公司"));
        QCOMPARE(p.ListView2()->topLevelItemCount(), 43);
        QCOMPARE(p.ListView2()->topLevelItem(0)->text(0), QStringLiteral("1"));
        QCOMPARE(p.ListView2()->topLevelItem(0)->text(1), QStringLiteral("顺丰快递"));
        QCOMPARE(p.ListView2()->topLevelItem(0)->text(2), QStringLiteral("95338"));

        p.Text8()->insert(QStringLiteral("快运")); // as the input method commits it
        QCOMPARE(names(p.ListView2()), (QStringList{"汇通快运", "佳吉快运", "中铁快运", "百世快运",
                                                    "韵达快运", "中通快运", "顺丰快运"}));
        p.Text8()->setText(QStringLiteral("   "));
        QCOMPARE(p.ListView2()->topLevelItemCount(), 43); // blanks only: every company
        // Quotes and wildcards are searched for as typed.
        for (const char* odd : {"'", "%", "_", "EMS'"}) {
            p.Text8()->setText(QString::fromUtf8(odd));
            QCOMPARE(p.ListView2()->topLevelItemCount(), 0);
            QVERIFY(p.dialogs.shown.isEmpty());
        }
        p.Text8()->setText(QStringLiteral("x"));
        QTest::keyClick(p.Text8(), Qt::Key_Backspace);
        QCOMPARE(p.ListView2()->topLevelItemCount(), 43);

        p.Text8()->setText(QStringLiteral("德邦"));
        QTest::mouseClick(p.Label20(10), Qt::LeftButton);
        QCOMPARE(names(p.ListView2()), (QStringList{"EMS", "EMS国际"}));
        QCOMPARE(p.Text8()->text(), QStringLiteral("德邦")); // the search box keeps its text
        QTest::mouseClick(p.Label20(2), Qt::LeftButton);
        QCOMPARE(names(p.ListView2()), (QStringList{"中通快递", "中通快运"}));
        QTest::mouseClick(p.Command4(), Qt::LeftButton);
        QCOMPARE(p.ListView2()->topLevelItemCount(), 43);
    }

    // The right button puts the row's telephone on the clipboard.
    void telephoneCopy() {
        TestProgram p;
        p.start();
        p.press(Qt::Key_F12);
        QTest::mouseClick(p.Label20(2), Qt::LeftButton);
        QApplication::clipboard()->setText(QStringLiteral("before"));
        const QPoint row = p.ListView2()->visualItemRect(p.ListView2()->topLevelItem(0)).center();
        QTest::mousePress(p.ListView2()->viewport(), Qt::LeftButton, {}, row);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
        QTest::mousePress(p.ListView2()->viewport(), Qt::RightButton, {}, row);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("95311"));
        QCOMPARE(p.status(), QStringLiteral("中通快递公司电话已复制.."));
        // Below the last row nothing is under the mouse: the selected row counts.
        p.ListView2()->setCurrentItem(p.ListView2()->topLevelItem(1));
        QTest::mousePress(p.ListView2()->viewport(), Qt::RightButton, {},
                          QPoint(10, p.ListView2()->viewport()->height() - 5));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("4000-270-270"));
    }

    // A double click fills whichever parcel panel is visible (the add panel
    // first) and always takes the courier's code.
    void pickingDecidedByTheVisiblePanel() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("12345678"), QStringLiteral("衣服"));
        p.start();
        Form1& f = *p.form;
        // Into the add panel, opened from its company button.
        p.press(Qt::Key_F4);
        QTest::mouseClick(p.Command1(12), Qt::LeftButton);
        QCOMPARE(p.ListView2()->headerItem()->text(1), QStringLiteral("快递公司（双击选择）"));
        QVERIFY(p.kdmenu(0)->isVisible() && p.kdmenu(4)->isVisible());
        pick(p, QStringLiteral("圆通速递"));
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("圆通速递"));
        QCOMPARE(f.session().current().code, QStringLiteral("yuantong"));
        QVERIFY(!p.kdmenu(4)->isVisible());

        // Into the edit panel: opening from it hides the add, settings and search panels.
        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        p.press(Qt::Key_F4);
        p.press(Qt::Key_F9);
        p.press(Qt::Key_F5);
        p.press(Qt::Key_F7);
        p.kdmenu(0)->setVisible(true);
        QTest::mouseClick(p.Command1(8), Qt::LeftButton);
        for (int i : {0, 1, 3})
            QVERIFY(!p.kdmenu(i)->isVisible());
        QVERIFY(p.kdmenu(2)->isVisible());
        pick(p, QStringLiteral("韵达快递"));
        QCOMPARE(p.Command1(8)->text(), QStringLiteral("韵达快递"));
        QCOMPARE(f.session().current().code, QStringLiteral("yunda"));

        // Both visible: the add panel wins.
        p.press(Qt::Key_F5);
        p.press(Qt::Key_F4);
        p.press(Qt::Key_F12);
        pick(p, QStringLiteral("EMS"));
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("EMS"));
        QCOMPARE(p.Command1(8)->text(), QStringLiteral("顺丰快递"));

        // Neither: only the code, and the directory stays open.
        p.press(Qt::Key_Escape);
        p.press(Qt::Key_F12);
        pick(p, QStringLiteral("德邦物流"));
        QCOMPARE(f.session().current().code, QStringLiteral("debangwuliu"));
        QVERIFY(p.kdmenu(4)->isVisible());
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("EMS"));
    }

    void detectionWhileTyping() {
        TestProgram p;
        p.start();
        p.Check8()->setChecked(true);
        p.press(Qt::Key_F4);
        QLineEdit* box = p.Text3()->lineEdit();
        QTest::keyClicks(box, QStringLiteral("773012345"));
        QVERIFY(p.gateway.autoNumberQueries().isEmpty()); // nine: no request
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("请选择快递公司"));
        QTest::keyClicks(box, QStringLiteral("6"));
        QVERIFY(p.gateway.autoNumberQueries().isEmpty()); // asked once typing pauses
        QTRY_COMPARE(p.gateway.autoNumberQueries(), QStringList{QStringLiteral("7730123456")});
        const auto expected =
            simulateParcel(QStringLiteral("7730123456"), QDateTime::currentDateTime());
        QVERIFY(expected.has_value());
        Store s(QStringLiteral("names"));
        QCOMPARE(s.open(p.storePath()), OpenResult::Ok);
        QCOMPARE(p.Command1(12)->text(), s.courierByShibie(expected->courierCode)->value().name);
        QTest::keyClicks(box, QStringLiteral("1"));
        QTRY_COMPARE(p.gateway.autoNumberQueries().size(), 2); // a new number asks again
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::qWait(800);
        QCOMPARE(p.gateway.autoNumberQueries().size(), 2); // one asked before: not again

        // Letters and digits are a number; anything else empties the box.
        p.Text3()->setCurrentText(QString());
        QTest::keyClicks(box, QStringLiteral("SF1234567890123"));
        QCOMPARE(p.Text3()->currentText(), QStringLiteral("SF1234567890123"));
        QTRY_COMPARE(p.Command1(12)->text(), QStringLiteral("顺丰快递"));
        QTest::keyClicks(box, QStringLiteral("-"));
        QCOMPARE(p.Text3()->currentText(), QString());

        // Without 自动识别 typing never asks; the refresh button still does.
        p.Check8()->setChecked(false);
        const qsizetype asked = p.gateway.autoNumberQueries().size();
        QTest::keyClicks(box, QStringLiteral("EA123456789CN"));
        QCOMPARE(p.gateway.autoNumberQueries().size(), asked);
        QTest::mouseClick(p.Command2(), Qt::LeftButton);
        QCOMPARE(p.gateway.autoNumberQueries().constLast(), QStringLiteral("EA123456789CN"));
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("EMS"));
        p.Text3()->setCurrentText(QStringLiteral("123456789"));
        p.Command1(12)->setText(QStringLiteral("请选择快递公司"));
        QTest::mouseClick(p.Command2(), Qt::LeftButton); // fewer than ten: nothing at all
        QCOMPARE(p.gateway.autoNumberQueries().size(), asked + 1);
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("请选择快递公司"));
    }

    void detectionCaptions_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("caption");
        QTest::newRow("found") << QByteArray("[{\"comCode\":\"zhongtong\",\"lengthPre\":12}]")
                               << QStringLiteral("中通快递");
        QTest::newRow("only the first code")
            << QByteArray("[{\"comCode\":\"ems\"},{\"comCode\":\"shunfeng\"}]")
            << QStringLiteral("EMS");
        QTest::newRow("not in the directory") << QByteArray("[{\"comCode\":\"nosuch\"}]")
                                              << QStringLiteral("未找到对应快递,请手动选择");
        QTest::newRow("empty code")
            << QByteArray("[{\"comCode\":\"\"}]") << QStringLiteral("未找到对应快递,请手动选择");
        QTest::newRow("no key") << QByteArray("[]")
                                << QStringLiteral("检测出错,请查询您的单号是否正确");
        QTest::newRow("busy") << QByteArray("<html>503 Service Temporarily Unavailable</html>")
                              << QStringLiteral("检测出错,请手动选择或多次刷新");
        QTest::newRow("503 inside a real answer")
            << QByteArray("[{\"comCode\":\"yunda\",\"noPre\":\"5031\"}]")
            << QStringLiteral("韵达快递");
        QTest::newRow("empty answer") << QByteArray() << QStringLiteral("正在检测快递");
        QTest::newRow("a quote in the code") << QByteArray("[{\"comCode\":\"x' OR '1'='1\"}]")
                                             << QStringLiteral("未找到对应快递,请手动选择");
    }
    void detectionCaptions() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, caption);
        TestProgram p;
        p.gateway.scriptAutoNumber(QStringLiteral("5031234567"), body(answer));
        p.start();
        p.Check8()->setChecked(false); // ten characters: the refresh button asks
        p.press(Qt::Key_F4);
        p.Text3()->setCurrentText(QStringLiteral("5031234567"));
        QTest::mouseClick(p.Command2(), Qt::LeftButton);
        QCOMPARE(p.Command1(12)->text(), caption);
    }

    // The number reaches the service as typed, and a slow answer for a
    // shorter number never overwrites the newer one's.
    void aSlowDetectionIsOvertaken() {
        TestProgram p;
        Scripted slow = body("[{\"comCode\":\"shunfeng\"}]");
        slow.delayMs = 400;
        p.gateway.scriptAutoNumber(QStringLiteral("1234567890"), slow);
        p.gateway.scriptAutoNumber(QStringLiteral("12345678901"),
                                   body("[{\"comCode\":\"yunda\"}]"));
        p.start();
        p.Check8()->setChecked(true);
        p.press(Qt::Key_F4);
        QTest::keyClicks(p.Text3()->lineEdit(), QStringLiteral("1234567890"));
        // Typed on while the slow answer is on its way.
        QVERIFY(QTest::qWaitFor([&] { return p.gateway.autoNumberQueries().size() == 1; }, 2000));
        QTest::keyClicks(p.Text3()->lineEdit(), QStringLiteral("1"));
        QVERIFY(QTest::qWaitFor([&] { return p.gateway.autoNumberQueries().size() == 2; }, 2000));
        QTest::qWait(500);
        QCOMPARE(p.Text3()->currentText(), QStringLiteral("12345678901"));
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("韵达快递"));
    }

    // An answer that arrives after a newer detection of the same number, or
    // for a number the box no longer holds, writes nothing.
    void aStaleDetectionIsDropped() {
        TestProgram p;
        Scripted slow = body("[{\"comCode\":\"shunfeng\"}]");
        slow.delayMs = 400;
        p.gateway.scriptAutoNumber(QStringLiteral("1234567890"), slow);
        p.start();
        p.Check8()->setChecked(false);
        p.press(Qt::Key_F4);
        p.Text3()->setCurrentText(QStringLiteral("1234567890"));
        QTimer::singleShot(100, [&] {
            p.gateway.scriptAutoNumber(QStringLiteral("1234567890"),
                                       body("[{\"comCode\":\"yunda\"}]"));
            QTest::mouseClick(p.Command2(), Qt::LeftButton); // asked again, answered at once
        });
        QTest::mouseClick(p.Command2(), Qt::LeftButton);
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("韵达快递"));

        // The box lost a character while the service answered: no caption for the old text.
        p.gateway.scriptAutoNumber(QStringLiteral("1234567890"), slow);
        QTimer::singleShot(100, [&] { QTest::keyClick(p.Text3()->lineEdit(), Qt::Key_Backspace); });
        QTest::mouseClick(p.Command2(), Qt::LeftButton);
        QCOMPARE(p.Text3()->currentText(), QStringLiteral("123456789"));
        QCOMPARE(p.Command1(12)->text(), QStringLiteral("正在检测快递"));
    }

    void theNumberIsEncoded() {
        TestProgram p;
        p.start();
        p.press(Qt::Key_F4);
        // The manual path has no filter: whatever the box holds arrives intact.
        const QString odd = QStringLiteral("12&x=1 #34567");
        {
            const QSignalBlocker quiet(p.Text3());
            p.Text3()->setCurrentText(odd);
        }
        QTest::mouseClick(p.Command2(), Qt::LeftButton);
        QCOMPARE(p.gateway.autoNumberQueries(), QStringList{odd});
    }
};

QTEST_MAIN(CouriersTest)
#include "test_couriers.moc"
