// Every control of the window at its place (the panels build their own).
#include "app/Form1.h"
#include "platform/Controls.h"
#include "services/Version.h"
#include "watch/Marks.h"

#include <QComboBox>
#include <QIcon>
#include <QMovie>
#include <QPainter>

namespace {
// A round dot in the mark's colour: red moved, orange out for delivery or
// waiting to be picked up, green signed for, blue in transit, purple needing
// attention (a problem, a refusal, a return), grey closed.
QIcon dot(BookMark mark) {
    static const QColor colours[] = {
        Qt::transparent,      QColor(220, 40, 40),  QColor(240, 150, 0),  QColor(40, 160, 70),
        QColor(47, 109, 181), QColor(150, 60, 180), QColor(150, 150, 150)};
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colours[int(mark)]);
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return QIcon(pixmap);
}
} // namespace

// The marks as the selector draws them.
static QVariant markDecoration(BookMark mark) {
    static const QIcon icons[] = {dot(BookMark::None),       dot(BookMark::Moved),
                                  dot(BookMark::Delivering), dot(BookMark::Signed),
                                  dot(BookMark::InTransit),  dot(BookMark::Attention),
                                  dot(BookMark::Closed)};
    return icons[int(mark)];
}

void Form1::buildWindow() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("件踪宝 ") + OwnVersion + QStringLiteral(" - Vorlen全新版"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(763, 537);
    setMouseTracking(true);

    Label26 = label(this, "Label26", QStringLiteral("件踪宝"), tw(240, 140, 720, 180));
    Label26->setStyleSheet(QStringLiteral("color: white;"));
    aicAlphaImage1 = label(this, "aicAlphaImage1", QString(), tw(240, 600, 4530, 1140));
    aicAlphaImage1->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));

    const int order[7] = {1, 3, 4, 5, 2, 6, 7};
    const char* tips[8] = {nullptr,
                           "编辑当前快递单号，快捷键：F5",
                           "清空快递列表，请谨慎操作，快捷键：F6",
                           "添加新快递，快捷键：F4",
                           "搜索当前数据库中的快递，快捷键：F7",
                           "刷新当前快递列表，快捷键：F8",
                           "打开快递列表，快捷键：F12",
                           "将当前快递数据导出到计算机中，快捷键：F10"};
    for (int k = 0; k < 7; ++k) {
        const int i = order[k];
        Image2[i] =
            label(this, indexed("Image2", i), QString(), tw(4560 + 960 * k, 1800, 795, 1185));
        Image2[i]->setPixmap(QPixmap(QStringLiteral(":/images/toolbar%1.png").arg(i)));
        Image2[i]->setToolTip(QString::fromUtf8(tips[i]));
        Image2[i]->setCursor(Qt::PointingHandCursor);
    }

    Label16[1] = label(this, "Label16_1", QStringLiteral("设置"), tw(8760, 150, 360, 180));
    Label16[1]->setToolTip(QStringLiteral("对程序进行相关设置，快捷键F9"));
    Label16[0] = label(this, "Label16_0", QStringLiteral("官方网站"), tw(9360, 150, 720, 180));
    Label2[1] = label(this, "Label2_1", QStringLiteral("-"), tw(10200, 0, 615, 495));
    Label2[1]->setToolTip(QStringLiteral("最小化"));
    Label2[2] = label(this, "Label2_2", QStringLiteral("x"), tw(10800, 60, 615, 495));
    for (QLabel* l : {Label16[0], Label16[1], Label2[1], Label2[2]}) {
        l->setMouseTracking(true);
        l->setCursor(Qt::PointingHandCursor);
        l->setStyleSheet(QStringLiteral("color: rgb(192, 192, 192);"));
    }
    for (QLabel* l : {Label2[1], Label2[2]}) {
        l->setAlignment(Qt::AlignCenter);
        QFont f = l->font();
        f.setPointSize(16);
        l->setFont(f);
    }

    Text1 = place(new QComboBox(this), "Text1", tw(240, 2160, 3975, 540));
    // A light model keeps filling a book of 100,000 parcels quick, and a
    // selector of fixed size need not measure every entry when first shown.
    auto* book = new MarkedBook(Text1);
    book->decoration = markDecoration;
    book->goodsOf = [this](qint64 id) {
        const Read<QString> goods = m_store ? m_store->goodsOf(id) : Read<QString>{QString()};
        return goods.failed() ? QString() : *goods;
    };
    Text1->setModel(book);
    Text1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Text1->setEnabled(false);
    Text1->setMaxVisibleItems(16);

    const char* cells[8] = {"快件状态", "更新状态", "未查询",   "未查询",
                            "运送时间", "未查询",   "快递公司", "未查询"};
    const int cellX[4] = {424, 480, 580, 636}, cellW[4] = {56, 100, 56, 101};
    const int slot[8][2] = {{0, 0}, {2, 0}, {1, 0}, {3, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}};
    for (int i = 0; i < 8; ++i) {
        const int col = slot[i][0], row = slot[i][1];
        Label12[i] = label(this, indexed("Label12", i), QString::fromUtf8(cells[i]),
                           QRect(cellX[col], 55 + 18 * row, cellW[col], 17));
        Label12[i]->setStyleSheet(QStringLiteral("color: white;"));
    }
    Label12[4]->setToolTip(QStringLiteral("从快递接单时间算起"));

    Picture7 = label(this, "Picture7", QString(), tw(120, 3120, 11055, 4335));
    Picture7->setAutoFillBackground(true);
    Picture7->setStyleSheet(QStringLiteral("background: white;"));
    ListView1 = reportList(this, "ListView1", tw(360, 3360, 10815, 3855),
                           {QStringLiteral("Num"), QStringLiteral("时间"),
                            QStringLiteral("物流进度 ( 双击列表可复制单条物流进度 )")},
                           {60, 140, 500});

    Label11[0] = label(this, "Label11_0", QStringLiteral("查询提示："), tw(120, 7650, 900, 240));
    Label11[2] =
        label(this, "Label11_2", QStringLiteral("程序检测更新中..."), tw(2040, 7650, 4560, 240));
    Label11[3] = label(this, "Label11_3", QStringLiteral("版本号"), tw(6720, 7650, 900, 240));
    Label11[4] = label(this, "Label11_4", QStringLiteral("Quorvex出品"), tw(7680, 7650, 1620, 240));
    Label11[4]->setCursor(Qt::PointingHandCursor);
    Label11[5] = label(this, "Label11_5", QStringLiteral("Time"), tw(9360, 7650, 2055, 240));

    // Above the list, in the white box: when the service gave the answer shown.
    Label27 = label(this, "Label27", QString(), QRect(24, 209, 721, 15));
    Label27->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label27->setProperty("hint", true);
    Label28 = label(this, "Label28", QStringLiteral("演示"), QRect(66, 7, 34, 17));
    Label28->setAlignment(Qt::AlignCenter);
    Label28->setStyleSheet(
        QStringLiteral("color: white; background: rgb(230, 120, 20); border-radius: 3px;"));
    Label28->setToolTip(QStringLiteral("演示模式：快递进度为模拟数据"));
    Label28->hide();

    AniGIF1 = label(this, "AniGIF1", QString(), QRect(288, 150, 24, 24));
    m_busy = new QMovie(QStringLiteral(":/images/busy.gif"), QByteArray(), this);
    AniGIF1->setMovie(m_busy);
    AniGIF1->hide();

    Picture5 = label(this, "Picture5", QString(), QRect(0, 0, 763, 537));
    Picture5->setAutoFillBackground(true);
    Label23 = label(Picture5, "Label23", QString(), QRect(40, 40, 683, 457));
    Label23->setWordWrap(true);
    Label23->setAlignment(Qt::AlignCenter);
    QFont big = Label23->font();
    big.setPointSize(36);
    Label23->setFont(big);
    Picture5->hide();
}
