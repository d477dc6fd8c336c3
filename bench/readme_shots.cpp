// The README's pictures, taken from today's program: the real window on an X
// display, driven as a user would, against the enterprise API's stand-in (the
// demo in demo mode), on a fixed clock. Boxes are real message boxes, shot
// while they wait.
//
//   xvfb-run -a -s "-screen 0 1024x768x24" readme_shots OUT_DIR    (make readme-shots)
#include "EnterpriseStandIn.h"
#include "KdniaoStandIn.h"
#include "SmtpServer.h"
#include "TestProgram.h"
#include "watch/MailText.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QJsonArray>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBrowser>
#include <QTranslator>

namespace {
QString out;
const QDateTime Now(QDate(2026, 12, 9), QTime(15, 42, 10));

void settle(int ms = 300) {
    QTest::qWait(ms);
    QApplication::processEvents();
}

// The screen within this rectangle (the window's, or the whole screen).
void shoot(const QString& name, const QRect& area = QRect()) {
    settle();
    QScreen* screen = QApplication::primaryScreen();
    const QRect r = area.isNull() ? screen->geometry() : area;
    screen->grabWindow(0, r.x(), r.y(), r.width(), r.height())
        .save(out + '/' + name + QStringLiteral(".png"));
    std::printf("%s.png\n", qPrintable(name));
}

// Real message boxes, shown without blocking, shot when a name waits for one.
class ShotDialogs : public FakeDialogs {
public:
    QString nextShot;
    int MsgBox(const QString& prompt, int buttons, const QString& title) override {
        const int answer = FakeDialogs::MsgBox(prompt, buttons, title);
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(title);
        box.setText(prompt);
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons((buttons & 7) == Mb::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                          : QMessageBox::Ok);
        box.show();
        if (!nextShot.isEmpty()) shoot(std::exchange(nextShot, QString()));
        return answer;
    }
};

// A program of its own folder asking the stand-in, its boxes real ones.
struct Program {
    EnterpriseStandIn api{QStringLiteral("DEMO"), QStringLiteral("SECRET")};
    TestProgram p;
    ShotDialogs dialogs;
    explicit Program(bool account = true) {
        api.listenLocal();
        p.endpoints = Endpoints::defaults();
        p.endpoints.poll = api.pollUrl();
        p.endpoints.autoEnterprise = api.autoUrl();
        p.endpoints.configFolder = p.folder() + QStringLiteral("/config");
        p.endpoints.autostartFolder = p.folder() + QStringLiteral("/autostart");
        if (account) p.endpoints.account = {QStringLiteral("DEMO"), QStringLiteral("SECRET"), {}};
        p.clock.fixed = Now;
        QFile::copy(QStringLiteral(JZB_SOURCE_DIR "/resources/skinh.she"),
                    p.folder() + QStringLiteral("/skinh.she"));
        p.platform = std::make_unique<Platform>(
            Platform{dialogs, *p.http, p.mailer, p.sound, p.shell, p.clock});
    }
    QRect window() const { return p.form->frameGeometry(); }
    void start() {
        p.start();
        p.form->move(QApplication::primaryScreen()->geometry().center() - p.form->rect().center());
        p.form->Timer5_Timer();
    }
    // What the service answers for a number: its way, newest first, every
    // few hours before now, and its state.
    void answer(const QString& number, const QString& state, const QStringList& way) {
        EnterpriseStandIn::Script s;
        const QDateTime newest = p.clock.now().addSecs(-3600);
        for (int i = 0; i < way.size(); ++i)
            s.entries.append({newest.addSecs(-3600 * 5 * i - 97 * i)
                                  .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                              way[i]});
        s.state = state;
        api.script(number, s);
    }
    void parcel(const QString& company, const QString& number, const QString& goods,
                const QString& state, const QStringList& way, const QString& num = "0") {
        answer(number, state, way);
        p.addParcel(company, number, goods, num);
    }
    void choose(int index) {
        p.choose(index);
        p.waitForQueryEnd();
        p.form->Timer5_Timer();
    }
};

const QStringList Tea = {
    QStringLiteral("【北京市朝阳区望京营业部】快递员 李师傅 正在派件"),
    QStringLiteral("快件已到达【北京市朝阳区望京营业部】"),
    QStringLiteral("快件已从【北京转运中心】发出,下一站【北京市朝阳区望京营业部】"),
    QStringLiteral("快件已到达【北京转运中心】"),
    QStringLiteral("快件已从【杭州转运中心】发出,下一站【北京转运中心】"),
    QStringLiteral("快件已到达【杭州转运中心】"),
    QStringLiteral("【杭州市西湖区】中通快递 已揽收")};

void book(Program& g) {
    g.parcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1428476301234"),
             QStringLiteral("爸爸衣服"), QStringLiteral("501"),
             {QStringLiteral("快件已放入【深圳市南山区科技园】丰巢快递柜,请凭取件码取件"),
              QStringLiteral("【深圳市南山区】快递员 张师傅 正在派件"),
              QStringLiteral("快件已到达【深圳南山集散中心】"),
              QStringLiteral("【广州市】顺丰速运 已收取快件")},
             QStringLiteral("4"));
    g.parcel(QStringLiteral("中通快递"), QStringLiteral("433987651231"),
             QStringLiteral("妈妈的茶叶"), QStringLiteral("5"), Tea, QStringLiteral("6"));
    g.parcel(QStringLiteral("圆通速递"), QStringLiteral("YT9812345678381"), QStringLiteral("键盘"),
             QStringLiteral("301"),
             {QStringLiteral("快件已签收,签收人是:本人,感谢使用圆通速递"),
              QStringLiteral("【上海市浦东新区】快递员 王师傅 正在派件"),
              QStringLiteral("快件已到达【上海浦东转运中心】"),
              QStringLiteral("【苏州市】圆通速递 已揽收")},
             QStringLiteral("4"));
    g.parcel(QStringLiteral("韵达快递"), QStringLiteral("4312345678902"),
             QStringLiteral("儿童绘本"), QStringLiteral("1002"),
             {QStringLiteral("快件已从【武汉分拨中心】发出,下一站【长沙分拨中心】"),
              QStringLiteral("快件已到达【武汉分拨中心】"),
              QStringLiteral("【武汉市】韵达快递 已揽收")},
             QStringLiteral("3"));
    g.parcel(QStringLiteral("申通快递"), QStringLiteral("773098765432"), QStringLiteral("旧手机壳"),
             QStringLiteral("14"),
             {QStringLiteral("您的快件已被收件人拒签,原因:商品与描述不符,快件将退回寄件人"),
              QStringLiteral("【成都市武侯区】快递员 刘师傅 正在派件"),
              QStringLiteral("快件已到达【成都转运中心】"),
              QStringLiteral("【重庆市】申通快递 已揽收")},
             QStringLiteral("3"));
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    // As the program starts: its font, and Qt's own texts in Chinese.
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    QTranslator qtChinese;
    if (qtChinese.load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);
    out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    {
        // Without an account nothing is sent, and the first choice says so.
        Program g(false);
        g.p.addParcel(QStringLiteral("圆通速递"), QStringLiteral("YT9812345678381"),
                      QStringLiteral("键盘"));
        g.start();
        g.dialogs.nextShot = QStringLiteral("no-account");
        g.choose(0);
    }
    {
        // The first start with an empty book; adding a parcel, the courier detected.
        Program g;
        g.start();
        shoot(QStringLiteral("start"), g.window());
        QApplication::clipboard()->setText(QStringLiteral("YT9876543210123"));
        g.p.press(Qt::Key_F4);
        settle();
        g.p.Text2()->setText(QStringLiteral("新买的书"));
        shoot(QStringLiteral("add"), g.window());
        g.api.script(QStringLiteral("YT9876543210123"),
                     {EnterpriseStandIn::Behaviour::Moving,
                      {{Now.addSecs(-7200).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                        QStringLiteral("快件已从【杭州转运中心】发出,下一站【上海转运中心】")},
                       {Now.addSecs(-40000).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                        QStringLiteral("【杭州市】圆通速递 已揽收")}},
                      {},
                      0});
        QTest::mouseClick(g.p.Command1(13), Qt::LeftButton);
        g.p.waitForQueryEnd();
        shoot(QStringLiteral("live"), g.window());
    }
    {
        // A real query through 快递鸟's stand-in: its traces newest first, its state.
        KdniaoStandIn kdniao(QStringLiteral("1370021"), QStringLiteral("KDN-KEY"));
        kdniao.listenLocal();
        Program g(false);
        g.p.endpoints.kdniao = kdniao.url();
        g.p.endpoints.account = {{},
                                 {},
                                 QStringLiteral("13800001111"),
                                 TrackingService::Kdniao,
                                 QStringLiteral("1370021"),
                                 QStringLiteral("KDN-KEY")};
        g.p.endpoints.service = TrackingService::Kdniao;
        const auto at = [](int hours) {
            return Now.addSecs(-3600 * hours).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        };
        kdniao.script(QStringLiteral("75312345678901"),
                      {{{at(50), QStringLiteral("【义乌市】中通快递 已揽收")},
                        {at(40), QStringLiteral("快件已到达【义乌转运中心】")},
                        {at(20), QStringLiteral("快件已从【北京转运中心】发出,下一站【望京】")},
                        {at(3), QStringLiteral("快递员 王师傅 正在派件")},
                        {at(1), QStringLiteral("您的快件已放入【望京西园驿站】,请凭取件码取件")}},
                       QStringLiteral("2"),
                       QStringLiteral("211"),
                       QStringLiteral("1111")});
        g.p.addParcel(QStringLiteral("中通快递"), QStringLiteral("75312345678901"),
                      QStringLiteral("台灯"));
        g.start();
        g.choose(0);
        shoot(QStringLiteral("kdniao"), g.window());
    }
    {
        Program g;
        book(g);
        SmtpServer smtp;
        g.p.endpoints.smtpUrl = smtp.url();
        g.p.endpoints.smtpUser = QStringLiteral("notice@quorvex.cn");
        g.p.endpoints.smtpPassword = QStringLiteral("s3cret");
        g.start();
        g.choose(1);
        shoot(QStringLiteral("screenshot"), g.window());
        g.choose(4);
        shoot(QStringLiteral("states"), g.window());
        g.choose(1);

        // An entry in a balloon, then enlarged over the window.
        g.p.Check6()->setChecked(true);
        QTreeWidget* list = g.p.ListView1();
        const QRect row = list->visualItemRect(list->topLevelItem(2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        QCursor::setPos(list->viewport()->mapToGlobal(row.center() + QPoint(40, 10)));
        settle(1500);
        shoot(QStringLiteral("balloon"), g.window());
        QCursor::setPos(0, 0);
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, row.center());
        shoot(QStringLiteral("overlay"), g.window());
        QTest::mouseClick(g.p.Picture5(), Qt::LeftButton);

        g.p.press(Qt::Key_F12);
        shoot(QStringLiteral("couriers"), g.window());
        g.p.press(Qt::Key_Escape);

        // 批量添加: lines copied from an order page, previewed.
        g.p.press(Qt::Key_B, Qt::ControlModifier);
        g.p.control<QPlainTextEdit>(QStringLiteral("TextBatch"))
            ->setPlainText(QStringLiteral("YT9812345678001\t圆通速递\t台灯\n"
                                          "SF1428476309999,顺丰快递,\"书, 两本\"\n"
                                          "75312345678902 中通快递 茶叶\n"
                                          "JD0098765432101 耳机\n"
                                          "订单号12345 待发货\n"
                                          "YT9812345678001 圆通速递\n"));
        QTest::mouseClick(g.p.control<QPushButton>(QStringLiteral("CommandBatch_1")),
                          Qt::LeftButton);
        shoot(QStringLiteral("batch"), g.window());
        g.p.form->hideAllPanels();

        // The settings: 开机自动启动 and 已签收 7 天后自动归档 on; the account panel over them.
        g.p.Check10()->setChecked(true);
        g.p.Check11()->setChecked(true);
        g.p.press(Qt::Key_F9);
        shoot(QStringLiteral("autostart"), g.window());
        QTest::mouseClick(g.p.Command6(), Qt::LeftButton);
        g.p.Text9()->setText(QStringLiteral("DEMO"));
        g.p.Text10()->setText(QStringLiteral("SECRET"));
        g.p.Text11()->setText(QStringLiteral("5678"));
        QTest::mouseClick(g.p.Command7(), Qt::LeftButton);
        QTest::mouseClick(g.p.Command6(), Qt::LeftButton); // again: the key saved, masked
        // 快递鸟 chosen, its ID typed (not saved: this book goes on with 快递100).
        QTest::mouseClick(g.p.Option3(1), Qt::LeftButton, {}, QPoint(8, 13));
        g.p.Text9()->setText(QStringLiteral("1370021"));
        g.p.Text10()->setText(QStringLiteral("56da2cf8-c8a2-44b2"));
        shoot(QStringLiteral("account"), g.window());
        g.p.form->hideAllPanels();

        // A loop query half an hour on finds a new entry: 有更新, and the mail.
        g.p.Check2()->setChecked(true);
        g.p.Sendmail()->setText(QStringLiteral("me@qq.com"));
        g.p.Combo4()->setCurrentIndex(29);
        QTest::mouseClick(g.p.Command1(16), Qt::LeftButton);
        g.p.clock.fixed = Now.addSecs(31 * 60);
        g.answer(QStringLiteral("433987651231"), QStringLiteral("501"),
                 QStringList{QStringLiteral("快件已放入【望京西园三区】菜鸟驿站,请凭取件码取件")} +
                     Tea);
        for (int i = 0; i < 30; ++i)
            g.p.polling()->Timer6_Timer();
        if (!QTest::qWaitFor([&] { return smtp.mails().size() == 1; }, 15000))
            qWarning("the mail did not arrive");
        settle(500);
        g.p.form->Timer5_Timer();
        shoot(QStringLiteral("loop"), g.window());
        QTest::mouseClick(g.p.Command1(16), Qt::LeftButton);

        // The mail as a mail program shows it.
        const QJsonObject mail = smtp.mails().value(0);
        QTextBrowser reader;
        reader.setWindowFlags(Qt::FramelessWindowHint);
        reader.resize(760, 560);
        reader.setHtml(QStringLiteral("<p>发件人: &lt;%1&gt;<br>收件人: &lt;%2&gt;<br>主题: "
                                      "<b>%3</b></p><hr>")
                           .arg(mail["mail_from"].toString(),
                                mail["rcpt_tos"].toArray().at(0).toString(),
                                mail["subject"].toString().toHtmlEscaped()) +
                       mail["html"].toString());
        reader.move(QApplication::primaryScreen()->geometry().center() - reader.rect().center());
        reader.show();
        shoot(QStringLiteral("mail"), reader.frameGeometry());
        reader.hide();

        // The whole-book watch marks the parcels; one moved since last looked.
        g.p.Check9()->setChecked(true);
        g.answer(QStringLiteral("4312345678902"), QStringLiteral("1002"),
                 {QStringLiteral("快件已到达【长沙分拨中心】"),
                  QStringLiteral("快件已从【武汉分拨中心】发出,下一站【长沙分拨中心】"),
                  QStringLiteral("快件已到达【武汉分拨中心】"),
                  QStringLiteral("【武汉市】韵达快递 已揽收")});
        for (int i = 0; i < 5; ++i) {
            g.p.clock.fixed = Now.addSecs(3600 * (3 + i));
            g.p.watch()->tick();
            if (!QTest::qWaitFor([&] { return !g.p.watch()->asking(); }, 3000))
                qWarning("the watch did not answer");
        }
        g.p.press(Qt::Key_F8);
        settle();
        g.p.Text1()->showPopup();
        shoot(QStringLiteral("watch"), g.window());
        g.p.Text1()->hidePopup();
    }
    {
        // The demo: its parcels simulated by the program, and the window says so.
        TestProgram p;
        p.endpoints = Endpoints::defaults();
        p.endpoints.demo = true; // the demo's parcels move with the real clock
        QFile::copy(QStringLiteral(JZB_SOURCE_DIR "/resources/skinh.she"),
                    p.folder() + QStringLiteral("/skinh.she"));
        QFile demo(QStringLiteral(JZB_SOURCE_DIR "/db/demo.sql"));
        demo.open(QIODevice::ReadOnly);
        Store::runScript(p.storePath(), QString::fromUtf8(demo.readAll()), nullptr);
        p.start();
        p.form->move(QApplication::primaryScreen()->geometry().center() - p.form->rect().center());
        p.choose(1);
        p.waitForQueryEnd();
        p.form->Timer5_Timer();
        shoot(QStringLiteral("demo"), p.form->frameGeometry());
    }
    return 0;
}
