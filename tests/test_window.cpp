// The window's own behaviour: frame, labels, links, and the panels with
// centring, dragging and click-to-close.
#include "TestProgram.h"
#include "app/Backdrop.h"

#include <QColorSpace>
#include <QMouseEvent>
#include <QPainter>

namespace {
void mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
           Qt::MouseButtons buttons) {
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void layoutAndFrame() {
        TestProgram p;
        p.start();
        Form1& f = *p.form;
        QCOMPARE(f.size(), QSize(763, 537));
        QVERIFY(f.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(f.windowTitle(), QStringLiteral("件踪宝 V5.2 - Vorlen全新版"));
        QCOMPARE(p.Picture7()->geometry().left(), 3);
        QCOMPARE(p.Picture7()->width(), 757);
        // The toolbar from left to right: images 1, 3, 4, 5, 2, 6, 7.
        const int order[7] = {1, 3, 4, 5, 2, 6, 7};
        for (int k = 0; k < 7; ++k)
            QCOMPARE(p.Image2(order[k])->geometry(), QRect(304 + 64 * k, 120, 53, 79));
        QCOMPARE(p.Image2(2)->toolTip(), QStringLiteral("清空快递列表，请谨慎操作，快捷键：F6"));
        QCOMPARE(p.ListView1()->headerItem()->text(2),
                 QStringLiteral("物流进度 ( 双击列表可复制单条物流进度 )"));
        QCOMPARE(p.ListView1()->columnWidth(1), 140);
        const QStringList captions = {"快件状态", "更新状态", "未查询",   "未查询",
                                      "运送时间", "未查询",   "快递公司", "未查询"};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(p.Label12(i)->text(), captions[i]);
        // Every panel control is there under its own name.
        for (const char* name :
             {"Command1_13", "Text3", "Check8", "Combo4", "Command1_16", "Frame6", "Sendmail",
              "Command5", "Option2_1", "Text7", "ListView2", "Label20_10", "x_4"})
            QVERIFY2(p.control<QWidget>(QString::fromLatin1(name)), name);
        QCOMPARE(p.Label20(10)->geometry().left(), 3360 / 15);
        QCOMPARE(p.kdmenu(4)->size(), QSize(601, 441));
    }

    void windowLabels() {
        TestProgram p;
        p.start();
        Form1& f = *p.form;
        QTest::mouseMove(p.Label2(2));
        QVERIFY(p.Label2(2)->styleSheet().contains("255, 255, 255"));
        QVERIFY(p.Label2(1)->styleSheet().contains("192, 192, 192"));
        QTest::mouseMove(p.Label16(0));
        QVERIFY(p.Label16(0)->styleSheet().contains("255, 255, 255"));
        mouse(&f, QEvent::MouseMove, QPoint(200, 520), Qt::NoButton, Qt::NoButton);
        QVERIFY(p.Label16(0)->styleSheet().contains("192, 192, 192"));

        QTest::mouseClick(p.Label16(0), Qt::LeftButton);
        QTest::mouseClick(p.Label11(4), Qt::LeftButton);
        QCOMPARE(p.shell.opened, QStringList({p.endpoints.site, p.endpoints.site}));

        f.showPanel(0);
        p.kdmenu(3)->show();
        QTest::mouseClick(p.Label16(1), Qt::LeftButton);
        QVERIFY(p.kdmenu(1)->isVisible());
        QVERIFY(!p.kdmenu(0)->isVisible() && !p.kdmenu(3)->isVisible());
        QCOMPARE(p.kdmenu(1)->pos(), QPoint(763 / 2 - 569 / 2, 537 / 2 - 313 / 2));

        QTest::mouseClick(p.Label2(2), Qt::LeftButton);
        QCOMPARE(p.shell.ended, QList<int>{0});
        // The ended program gave its lock back: the next start is not refused.
        Form1 next(*p.platform, p.endpoints, p.folder());
        QVERIFY(next.Form_Load());
    }

    // Opened in any order, the panels stack as they were built, all under
    // the enlarged-entry overlay.
    void panelsStackAsBuiltWhateverTheOrderOpened() {
        TestProgram p;
        p.start();
        for (int i : {3, 0, 4, 1})
            p.form->showPanel(i);
        emit p.session().accountWanted(); // 查询账户
        const QObjectList order = p.form->children();
        QList<qsizetype> at;
        for (QWidget* w :
             QList<QWidget*>{p.kdmenu(0), p.kdmenu(1), p.kdmenu(3), p.kdmenu(4), p.Picture5()})
            at << order.indexOf(w);
        QVERIFY(std::is_sorted(at.begin(), at.end()) && at.first() >= 0);
        QCOMPARE(order.last(), p.kdaccount()); // raised when opened, as before
    }

    void closeImagesHideTheirPanel() {
        TestProgram p;
        p.start();
        for (int i = 0; i < 5; ++i) {
            p.form->showPanel(i);
            QTest::mouseClick(p.x(i), Qt::LeftButton);
            QVERIFY(!p.kdmenu(i)->isVisible());
        }
    }

    void clickToCloseOnlyOnTheBackground() {
        TestProgram p;
        p.start();
        Form1& f = *p.form;
        p.Check4()->setChecked(false);
        p.Check5()->setChecked(true);
        f.showPanel(3);
        QTest::mouseClick(p.Option1(0), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(p.kdmenu(3)->isVisible());
        QVERIFY(p.Option1(0)->isChecked());
        QTest::mouseClick(p.Label13(2),
                          Qt::LeftButton); // the title is part of the panel's controls
        QVERIFY(p.kdmenu(3)->isVisible());
        QTest::mouseClick(p.kdmenu(3), Qt::LeftButton, {}, QPoint(5, p.kdmenu(3)->height() - 5));
        QVERIFY(!p.kdmenu(3)->isVisible());
    }

    void draggedPanelIsCentredAgain() {
        TestProgram p;
        p.start();
        Form1& f = *p.form;
        p.Check4()->setChecked(true);
        p.Check5()->setChecked(false);
        f.showPanel(2);
        QFrame* panel = p.kdmenu(2);
        const QPoint centred = panel->pos();
        const QPoint grab(6, panel->height() - 6);
        mouse(panel, QEvent::MouseButtonPress, grab, Qt::RightButton, Qt::RightButton);
        mouse(panel, QEvent::MouseMove, grab + QPoint(-40, 25), Qt::NoButton, Qt::RightButton);
        mouse(panel, QEvent::MouseButtonRelease, grab + QPoint(-40, 25), Qt::RightButton,
              Qt::NoButton);
        QCOMPARE(panel->pos(), centred + QPoint(-40, 25));
        QVERIFY(panel->isVisible());
        f.showPanel(2);
        QCOMPARE(panel->pos(), centred);

        // With both options, the panel follows the mouse and goes on release.
        p.Check5()->setChecked(true);
        mouse(panel, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        mouse(panel, QEvent::MouseMove, grab + QPoint(10, 10), Qt::NoButton, Qt::LeftButton);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->pos(), centred + QPoint(10, 10));
        mouse(panel, QEvent::MouseButtonRelease, grab + QPoint(10, 10), Qt::LeftButton,
              Qt::NoButton);
        QVERIFY(!panel->isVisible());
    }

    void quickLinkColours() {
        TestProgram p;
        p.start();
        Form1& f = *p.form;
        f.showPanel(4);
        QTest::mouseMove(p.Label20(10));
        QVERIFY(p.Label20(10)->styleSheet().contains("166, 0, 169"));
        mouse(p.Picture3(), QEvent::MouseMove, QPoint(2, 2), Qt::NoButton, Qt::NoButton);
        QVERIFY(p.Label20(10)->styleSheet().isEmpty());
    }

    void skinIsOptional() {
        TestProgram p;
        QFile::copy(QStringLiteral(JZB_SOURCE_DIR "/resources/skinh.she"),
                    p.folder() + QStringLiteral("/skinh.she"));
        QVERIFY(p.load());
        QVERIFY(p.form->styleSheet().contains(QStringLiteral("QPushButton")));
        TestProgram bare;
        QVERIFY(bare.load());
        QVERIFY(bare.form->styleSheet().isEmpty());
    }

    // Drawn from its column and its band, the background is its image pixel
    // for pixel, and the window shows it so.
    void theBackgroundIsItsImagePixelForPixel() {
        TestProgram p;
        QVERIFY(p.load());
        const QImage image =
            QImage(QStringLiteral(":/images/background.png")).convertToFormat(QImage::Format_RGB32);
        const Backdrop backdrop(image);
        QCOMPARE(backdrop.bandHeight(), 45); // the rows of the title box, no more
        QImage drawn = image.copy();         // its colour space too
        drawn.fill(Qt::magenta);
        QPainter painter(&drawn);
        backdrop.draw(painter);
        painter.end();
        QCOMPARE(drawn, image);
        // The window's own corner, where no control stands, under its frame.
        QImage shown =
            p.form->grab(QRect(1, 300, 2, 200)).toImage().convertToFormat(image.format());
        shown.setColorSpace(image.colorSpace());
        QCOMPARE(shown, image.copy(1, 300, 2, 200));
    }
};

QTEST_MAIN(WindowTest)
#include "test_window.moc"
