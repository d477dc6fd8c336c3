// The progress list's mouse actions, the balloon tip, the locked column
// widths of both lists, and re-fetching a parcel.
#include "TestProgram.h"
#include "app/Balloon.h"

#include <QClipboard>
#include <QHeaderView>
#include <QSignalSpy>

namespace {
const QString Number = QStringLiteral("12345678");

QByteArray entries(int count, const QString& newest = QStringLiteral("已签收")) {
    return journey(count, newest, QStringLiteral("第%1站"), QStringLiteral("2014-05"),
                   QStringLiteral("10:20:30"));
}

QPoint rowCentre(QTreeWidget* list, int row) {
    return list->visualItemRect(list->topLevelItem(row)).center();
}

QList<QWidget*> balloons() {
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("Balloon")) found << w;
    return found;
}

QList<int> widths(const QTreeWidget* list) {
    QList<int> w;
    for (int i = 0; i < list->columnCount(); ++i)
        w << list->columnWidth(i);
    return w;
}
} // namespace

class ProgressTest : public QObject {
    Q_OBJECT
private slots:
    void oneBalloonWithTitleAndBody() {
        QWidget parent;
        parent.resize(200, 100);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        {
            Class1 tip;
            tip.ParentControl(&parent);
            tip.ToolTipTitle(QStringLiteral("物流跟踪信息"));
            tip.ToolTipText(QStringLiteral("第一行\r\n第二行"));
            tip.Create();
            tip.Create();
            QCOMPARE(balloons().size(), 1);
            const QList<QLabel*> labels = tip.balloon()->findChildren<QLabel*>();
            QCOMPARE(labels.size(), 2);
            QCOMPARE(labels[0]->text(), QStringLiteral("物流跟踪信息"));
            QVERIFY(labels[0]->font().bold());
            QCOMPARE(labels[1]->text(), QStringLiteral("第一行\r\n第二行"));
            QCOMPARE(labels[1]->textFormat(), Qt::PlainText);
            QVERIFY(labels[1]->sizeHint().height() > labels[0]->sizeHint().height()); // two lines
            // A new text reaches the balloon that is there.
            QWidget* before = tip.balloon();
            tip.ToolTipText(QStringLiteral("新的"));
            QCOMPARE(tip.balloon(), before);
            QCOMPARE(labels[1]->text(), QStringLiteral("新的"));
            // Shown while the mouse rests on the control, gone when it leaves.
            QEvent enter(QEvent::Enter);
            QCoreApplication::sendEvent(&parent, &enter);
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(&parent, &leave);
            QVERIFY(!tip.balloon()->isVisible());
        }
        QVERIFY(balloons().isEmpty());
    }

    void columnWidthsStayAsDesigned() {
        TestProgram p;
        p.start();
        p.press(Qt::Key_F12);
        for (QTreeWidget* list : {p.ListView1(), p.ListView2()}) {
            const QList<int> designed = widths(list);
            QHeaderView* header = list->header();
            QWidget* hv = header->viewport();
            const int divider = header->sectionViewportPosition(0) + header->sectionSize(0) - 1;
            const QPoint at(divider, header->height() / 2);
            QTest::mousePress(hv, Qt::LeftButton, {}, at);
            QTest::mouseMove(hv, at + QPoint(60, 0));
            QTest::mouseRelease(hv, Qt::LeftButton, {}, at + QPoint(60, 0));
            QCOMPARE(widths(list), designed);
            QTest::mouseDClick(hv, Qt::LeftButton, {}, at);
            QCOMPARE(widths(list), designed);
            emit header->sectionHandleDoubleClicked(1); // however it arrives
            QCOMPARE(widths(list), designed);
            QSignalSpy clicked(header, &QHeaderView::sectionClicked);
            QTest::mouseClick(
                hv, Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(1) + 20, header->height() / 2));
            QCOMPARE(clicked.size(), 1);
            QCOMPARE(clicked[0][0].toInt(), 1);
        }
    }

    void clickDoubleClickAndRightPress() {
        TestProgram p;
        p.addParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"));
        p.gateway.script(Number, {entries(3)});
        p.start();
        Form1& f = *p.form;
        // An empty list: every action says so.
        QWidget* vp = p.ListView1()->viewport();
        p.Check6()->setChecked(true);
        QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(p.status(), QStringLiteral("当前没有物流信息"));
        p.Label11(2)->setText(QString());
        QTest::mouseDClick(vp, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(p.status(), QStringLiteral("当前没有物流信息"));
        p.Label11(2)->setText(QString());
        QTest::mousePress(vp, Qt::RightButton, {}, QPoint(20, 20));
        QCOMPARE(p.status(), QStringLiteral("当前没有物流信息"));
        QVERIFY(!p.Picture5()->isVisible());

        p.choose(0);
        QVERIFY(p.waitForQueryEnd());
        // A click with 气泡提示 on: the balloon with the entry's two lines.
        QTest::mouseClick(vp, Qt::LeftButton, {}, rowCentre(p.ListView1(), 0));
        QVERIFY(p.tip() && p.tip()->balloon());
        const QList<QLabel*> labels = p.tip()->balloon()->findChildren<QLabel*>();
        QCOMPARE(labels[0]->text(), QStringLiteral("物流跟踪信息"));
        QCOMPARE(labels[1]->text(), QStringLiteral("时间:2014-05-03 10:20:30\r\n物流进度:已签收"));
        QTest::mouseClick(vp, Qt::LeftButton, {}, rowCentre(p.ListView1(), 1));
        QCOMPARE(balloons().size(), 1);
        // With it off: no new balloon, the status line untouched.
        p.Check6()->setChecked(false);
        QWidget* last = p.tip()->balloon();
        p.Label11(2)->setText(QStringLiteral("x"));
        QTest::mouseClick(vp, Qt::LeftButton, {}, rowCentre(p.ListView1(), 2));
        QCOMPARE(p.tip()->balloon(), last);
        QCOMPARE(p.status(), QStringLiteral("x"));

        // Double-click: the entry on the clipboard, exactly.
        QTest::mouseDClick(vp, Qt::LeftButton, {}, rowCentre(p.ListView1(), 0));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("2014-05-03 10:20:30 已签收"));
        QCOMPARE(p.status(), QStringLiteral("单条物流进度已复制.."));

        // A left press opens nothing; a right press shows the entry over the window.
        QTest::mousePress(vp, Qt::LeftButton, {}, rowCentre(p.ListView1(), 1));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, rowCentre(p.ListView1(), 1));
        QVERIFY(!p.Picture5()->isVisible());
        QTest::mousePress(vp, Qt::RightButton, {}, rowCentre(p.ListView1(), 1));
        QVERIFY(p.Picture5()->isVisible());
        QCOMPARE(p.Picture5()->geometry(), f.rect());
        QCOMPARE(p.Label23()->text(), QStringLiteral("2014-05-02 10:20:30 第2站"));
        QCOMPARE(p.Label23()->font().pointSize(), 36);
        // Closed by a click on its text, and by one beside it.
        QTest::mouseClick(p.Label23(), Qt::LeftButton);
        QVERIFY(!p.Picture5()->isVisible());
        QTest::mousePress(vp, Qt::RightButton, {}, rowCentre(p.ListView1(), 0));
        QVERIFY(p.Picture5()->isVisible());
        QTest::mouseClick(p.Picture5(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!p.Picture5()->isVisible());
    }

    void refetch() {
        TestProgram p;
        const qint64 id =
            p.startOnParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"),
                            entries(3, QStringLiteral("派件中")));
        QVERIFY(id);
        QCOMPARE(p.parcel(id).num, QStringLiteral("3"));
        p.press(Qt::Key_F5);
        p.Text6()->setText(QStringLiteral("没有保存的名字"));
        QTest::mouseClick(p.Command5(), Qt::LeftButton); // No
        QCOMPARE(p.dialogs.prompts(),
                 QStringList{QStringLiteral("此操作将清空快递数据,并重新进行获取,是否继续?")});
        QCOMPARE(p.parcel(id).num, QStringLiteral("3"));
        QVERIFY(p.kdmenu(2)->isVisible());

        // Yes: 0 in the store until the answer is in, then all three are new.
        Scripted slow{entries(3, QStringLiteral("派件中"))};
        slow.delayMs = 300;
        p.gateway.script(Number, slow);
        QString storedWhileWaiting;
        QTimer::singleShot(150, [&] { storedWhileWaiting = p.parcel(id).num; });
        p.dialogs.answers = {Mb::Yes};
        QTest::mouseClick(p.Command5(), Qt::LeftButton);
        QVERIFY(p.waitForQueryEnd());
        QCOMPARE(storedWhileWaiting, QStringLiteral("0"));
        QCOMPARE(p.dialogs.prompts().constLast(), QStringLiteral("初始化成功!"));
        QVERIFY(QTest::qWaitFor([&] { return p.parcel(id).num == QStringLiteral("3"); }, 3000));
        QCOMPARE(p.Label12(3)->text(), QStringLiteral("有更新"));
        QCOMPARE(p.Text1()->itemText(0), QStringLiteral("衣服")); // the stored goods, not the edit
        QVERIFY(!p.kdmenu(2)->isVisible());
    }

    void refetchOfAVanishedParcel() {
        TestProgram p;
        const qint64 id =
            p.startOnParcel(QStringLiteral("顺丰快递"), Number, QStringLiteral("衣服"), entries(2));
        QVERIFY(id);
        p.press(Qt::Key_F5);
        p.removeParcel(id);
        const qsizetype queries = p.gateway.trackingQueries().size();
        p.dialogs.answers = {Mb::Yes};
        QTest::mouseClick(p.Command5(), Qt::LeftButton);
        QCOMPARE(p.dialogs.shown.size(), 1); // no message
        QCOMPARE(p.gateway.trackingQueries().size(), queries);
        QVERIFY(p.kdmenu(2)->isVisible());
    }
};

QTEST_MAIN(ProgressTest)
#include "test_progress.moc"
