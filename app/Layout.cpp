// Every control of the window and of its five panels at its place. Design
// positions are in twips; 15 twips make one pixel.
#include "app/Form1.h"

#include "services/Version.h"
#include "watch/Marks.h"
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

QRect tw(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

template <class W> W* place(W* w, const QString& name, const QRect& rect) {
    w->setObjectName(name);
    w->setGeometry(rect);
    return w;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& rect) {
    return place(new QLabel(text, parent), name, rect);
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, const QRect& rect) {
    auto* b = place(new QPushButton(text, parent), name, rect);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* lineEdit(QWidget* parent, const QString& name, const QRect& rect) {
    return place(new QLineEdit(parent), name, rect);
}

QString indexed(const char* base, int index) {
    return QString::fromLatin1(base) + '_' + QString::number(index);
}

QTreeWidget* reportList(QWidget* parent, const QString& name, const QRect& rect,
                        const QStringList& headers, const QList<int>& widths) {
    auto* list = place(new QTreeWidget(parent), name, rect);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    for (int i = 0; i < widths.size(); ++i) {
        list->header()->setSectionResizeMode(i, QHeaderView::Fixed);
        list->setColumnWidth(i, widths[i]);
    }
    return list;
}

} // namespace

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
    Text1->setModel(new MarkedBook(Text1));
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

    buildAddPanel();
    buildSettingsPanel();
    buildEditPanel();
    buildSearchPanel();
    buildCourierPanel();
    buildAccountPanel();

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

// A floating panel: a framed child area with its close image.
static QFrame* panel(Form1* form, const QString& name, const QString& closeName, QLabel** close,
                     QRect rect, int closeLeft, int closeTop) {
    auto* p = place(new QFrame(form), name, rect);
    p->setFrameShape(QFrame::Box);
    p->setAutoFillBackground(true);
    p->setMouseTracking(true);
    *close = label(p, closeName, QString(), tw(closeLeft, closeTop, 315, 315));
    (*close)->setPixmap(QPixmap(QStringLiteral(":/images/close.png")));
    (*close)->setCursor(Qt::PointingHandCursor);
    p->hide();
    return p;
}

static QFrame* panel(Form1* form, int index, QLabel** close, QRect rect, int closeLeft,
                     int closeTop) {
    return panel(form, indexed("kdmenu", index), indexed("x", index), close, rect, closeLeft,
                 closeTop);
}

static QLabel* title(QWidget* parent, const QString& name, const QString& text) {
    auto* t = label(parent, name, text, QRect(12, 8, 200, 20));
    t->setProperty("panelTitle", true);
    return t;
}

void Form1::buildAddPanel() {
    QFrame* p = kdmenu[0] = panel(this, 0, &x[0], tw(0, 0, 5055, 5175), 4560, 120);
    Label13[0] = title(p, "Label13_0", QStringLiteral("添加新快递"));
    label(p, "Label_add_number", QStringLiteral("快递单号："), QRect(20, 52, 70, 20));
    Text3 = place(new QComboBox(p), "Text3", QRect(90, 48, 220, 26));
    Text3->setEditable(true);
    Text3->setInsertPolicy(QComboBox::NoInsert); // Enter presses the query button instead
    label(p, "Label_add_company", QStringLiteral("快递公司："), QRect(20, 92, 70, 20));
    Command1[12] =
        button(p, "Command1_12", QStringLiteral("请选择快递公司"), QRect(90, 88, 150, 28));
    Command2 = button(p, "Command2", QStringLiteral("刷新"), QRect(246, 88, 64, 28));
    label(p, "Label_add_goods", QStringLiteral("物品信息："), QRect(20, 132, 70, 20));
    Text2 = lineEdit(p, "Text2", QRect(90, 128, 220, 26));
    // clang-format off
    Label24 = label(p, "Label24", QStringLiteral("友情提示：自动识别快递功能偶尔会因为使用人数过多而变得不稳定，您可进行多次刷新尝试，如果仍不可用请手动选择快递公司或稍后再试，第一版本可能识别率不是特别高，后续版本我们会继续改进。"),
                    QRect(20, 170, 290, 100));
    // clang-format on
    Label24->setWordWrap(true);
    Label24->setProperty("hint", true);
    Command1[13] = button(p, "Command1_13", QStringLiteral("开始查询"), QRect(108, 290, 120, 34));
}

void Form1::buildSettingsPanel() {
    QFrame* p = kdmenu[1] = panel(this, 1, &x[1], tw(0, 0, 8535, 4695), 8040, 120);
    Label13[1] = title(p, "Label13_1", QStringLiteral("相关设置"));
    const struct {
        QCheckBox** box;
        const char* name;
        const char* text;
    } boxes[] = {{&Check3, "Check3", "快递更新是否启用语音提醒"},
                 {&Check4, "Check4", "子窗口是否支持拖动"},
                 {&Check5, "Check5", "单击子窗口自动关闭"},
                 {&Check6, "Check6", "是否启用气泡提示信息"},
                 {&Check7, "Check7", "刷新快递列表后默认查询第一个"},
                 {&Check8, "Check8", "是否启用快递公司自动识别功能"}};
    int y = 44;
    for (const auto& b : boxes) {
        *b.box = place(new QCheckBox(QString::fromUtf8(b.text), p), QString::fromLatin1(b.name),
                       QRect(24, y, 250, 24));
        y += 30;
    }

    Frame4 =
        place(new QGroupBox(QStringLiteral("定时查询功能"), p), "Frame4", QRect(292, 40, 260, 96));
    label(Frame4, "Label_timed", QStringLiteral("请设定时间："), QRect(10, 30, 80, 22));
    Combo2 = place(new QComboBox(Frame4), "Combo2", QRect(88, 28, 56, 24));
    label(Frame4, "Label_hour", QStringLiteral("时"), QRect(148, 30, 16, 22));
    Combo3 = place(new QComboBox(Frame4), "Combo3", QRect(166, 28, 56, 24));
    label(Frame4, "Label_minute", QStringLiteral("分"), QRect(226, 30, 16, 22));
    Command1[18] =
        button(Frame4, "Command1_18", QStringLiteral("开始定时"), QRect(10, 60, 100, 28));
    Command1[17] = button(Frame4, "Command1_17", QStringLiteral("循环查询"), QRect(184, 0, 70, 20));

    Frame6 =
        place(new QGroupBox(QStringLiteral("循环查询功能"), p), "Frame6", QRect(292, 40, 260, 96));
    label(Frame6, "Label_every", QStringLiteral("每隔"), QRect(10, 30, 30, 22));
    Combo4 = place(new QComboBox(Frame6), "Combo4", QRect(40, 28, 62, 24));
    label(Frame6, "Label_minutes", QStringLiteral("分钟自动进行一次查询"), QRect(106, 30, 150, 22));
    Command1[16] =
        button(Frame6, "Command1_16", QStringLiteral("开始循环"), QRect(10, 60, 100, 28));
    Command1[15] = button(Frame6, "Command1_15", QStringLiteral("定时查询"), QRect(184, 0, 70, 20));
    Frame6->hide();
    for (int i : {15, 17})
        Command1[i]->setProperty("small", true);

    Frame5 = place(new QGroupBox(QStringLiteral("是否启用邮件通知功能"), p), "Frame5",
                   QRect(292, 146, 260, 70));
    // The box's own caption stays its design default; only the box shows,
    // next to the frame caption that names it.
    Check2 =
        place(new QCheckBox(QStringLiteral("Check2"), Frame5), "Check2", QRect(10, 32, 20, 24));
    Sendmail = lineEdit(Frame5, "Sendmail", QRect(34, 32, 214, 24));
    Sendmail->setText(QStringLiteral("无"));
    Sendmail->setReadOnly(true);

    // The whole-book watch and its interval.
    Check9 = place(new QCheckBox(QStringLiteral("后台刷新全部快递"), p), "Check9",
                   QRect(24, 224, 142, 24));
    label(p, "Label_watch_every", QStringLiteral("每"), QRect(166, 226, 16, 22));
    Combo5 = place(new QComboBox(p), "Combo5", QRect(184, 224, 56, 24));
    for (int minutes : WatchIntervals)
        Combo5->addItem(QString::number(minutes));
    label(p, "Label_watch_minutes", QStringLiteral("分钟"), QRect(244, 226, 36, 22));
    Check10 =
        place(new QCheckBox(QStringLiteral("开机自动启动"), p), "Check10", QRect(24, 250, 142, 24));

    Command3 = button(p, "Command3", QStringLiteral("时间校对"), QRect(292, 228, 100, 30));
    Command6 = button(p, "Command6", QStringLiteral("查询账户"), QRect(404, 228, 100, 30));
    Command6->setToolTip(QStringLiteral("快递100企业版账户：授权码、key与收件人手机号"));
    Label22 = label(p, "Label22", QStringLiteral("定制您的专属快递邮件推广服务"),
                    QRect(24, 280, 260, 22));
    Label22->setCursor(Qt::PointingHandCursor);
    Label22->setProperty("link", true);
}

void Form1::buildEditPanel() {
    QFrame* p = kdmenu[2] = panel(this, 2, &x[2], tw(0, 0, 5295, 4095), 4800, 120);
    Label1 = title(p, "Label1", QStringLiteral("单号操作"));
    label(p, "Label_edit_number", QStringLiteral("快递单号："), QRect(24, 52, 70, 20));
    Text4 = lineEdit(p, "Text4", QRect(94, 48, 230, 26));
    label(p, "Label_edit_company", QStringLiteral("快递公司："), QRect(24, 92, 70, 20));
    Command1[8] = button(p, "Command1_8", QStringLiteral("请选择快递公司"), QRect(94, 88, 230, 28));
    label(p, "Label_edit_goods", QStringLiteral("物品信息："), QRect(24, 132, 70, 20));
    Text6 = lineEdit(p, "Text6", QRect(94, 128, 230, 26));
    Command1[9] = button(p, "Command1_9", QStringLiteral("修改"), QRect(24, 176, 92, 30));
    Command1[10] = button(p, "Command1_10", QStringLiteral("复制"), QRect(128, 176, 92, 30));
    Command1[11] = button(p, "Command1_11", QStringLiteral("删除"), QRect(232, 176, 92, 30));
    Command5 = button(p, "Command5", QStringLiteral("快递数据清空"), QRect(24, 220, 300, 30));
}

void Form1::buildSearchPanel() {
    QFrame* p = kdmenu[3] = panel(this, 3, &x[3], tw(0, 0, 4455, 4335), 3960, 120);
    Label13[2] = title(p, "Label13_2", QStringLiteral("搜索快递"));
    // Each pair is its own choice: what to search, and how.
    auto* what = place(new QGroupBox(QStringLiteral("查询内容"), p), "Frame_search_what",
                       QRect(20, 40, 257, 56));
    Option1[0] = place(new QRadioButton(QStringLiteral("使用单号查询"), what), "Option1_0",
                       QRect(10, 24, 110, 24));
    Option1[1] = place(new QRadioButton(QStringLiteral("使用物品名称查询"), what), "Option1_1",
                       QRect(122, 24, 130, 24));
    auto* how = place(new QGroupBox(QStringLiteral("查询方式"), p), "Frame_search_how",
                      QRect(20, 104, 257, 56));
    Option2[0] = place(new QRadioButton(QStringLiteral("精准查询"), how), "Option2_0",
                       QRect(10, 24, 110, 24));
    Option2[1] = place(new QRadioButton(QStringLiteral("模糊查询"), how), "Option2_1",
                       QRect(122, 24, 110, 24));
    Option1[1]->setChecked(true);
    Option2[1]->setChecked(true);
    Text7 = lineEdit(p, "Text7", QRect(20, 176, 257, 28));
    Command1[14] = button(p, "Command1_14", QStringLiteral("开始搜索"), QRect(88, 226, 120, 34));
}

void Form1::buildCourierPanel() {
    QFrame* p = kdmenu[4] = panel(this, 4, &x[4], tw(0, 0, 9015, 6615), 8640, 0);
    Label17 = label(p, "Label17", QStringLiteral("快递公司列表"), tw(360, 360, 1800, 300));
    Label17->setProperty("panelTitle", true);
    Command4 = button(p, "Command4", QStringLiteral("刷新"), tw(2280, 360, 975, 375));
    Label18 = label(p, "Label18", QStringLiteral("搜索："), tw(6120, 510, 600, 240));
    Text8 = lineEdit(p, "Text8", tw(6720, 480, 1935, 270 + 60));
    ListView2 = reportList(p, "ListView2", tw(360, 960, 8295, 4575),
                           {QStringLiteral("序号"), QStringLiteral("快递公司（ 双击选择 ）"),
                            QStringLiteral("公司电话（ 右键复制 ）")},
                           {96, 180, 200});
    Picture3 = place(new QFrame(p), "Picture3", tw(360, 5760, 8295, 495));
    Picture3->setMouseTracking(true);
    Label19 = label(Picture3, "Label19", QStringLiteral("常用："), tw(120, 120, 720, 240));
    const char* links[11] = {"顺丰快递", "申通快递", "中通", "圆通", "韵达", "全峰",
                             "天天",     "宅急送",   "汇通", "京东", "EMS"};
    const int onScreen[11] = {0, 1, 2, 10, 3, 9, 4, 5, 6, 8, 7};
    const int lefts[11] = {840, 1800, 2760, 3360, 3840, 4440, 5040, 5640, 6240, 6840, 7440};
    for (int k = 0; k < 11; ++k) {
        const int i = onScreen[k];
        Label20[i] = label(Picture3, indexed("Label20", i), QString::fromUtf8(links[i]),
                           QRect(lefts[k] / 15, 8, 56, 16));
        Label20[i]->adjustSize();
        Label20[i]->setMouseTracking(true);
        Label20[i]->setCursor(Qt::PointingHandCursor);
    }
}

void Form1::buildAccountPanel() {
    QFrame* p = kdaccount = panel(this, QStringLiteral("kdaccount"), QStringLiteral("xAccount"),
                                  &xAccount, tw(0, 0, 5535, 4350), 5040, 120);
    title(p, "Label_account_title", QStringLiteral("查询账户"));
    const struct {
        QLineEdit** box;
        const char* name;
        const char* caption;
        int y;
    } rows[] = {{&Text9, "Text9", "授权码：", 44},
                {&Text10, "Text10", "key：", 80},
                {&Text11, "Text11", "收件人手机：", 116}};
    for (const auto& r : rows) {
        label(p, QStringLiteral("Label_") + QLatin1String(r.name), QString::fromUtf8(r.caption),
              QRect(20, r.y + 4, 84, 20));
        *r.box = lineEdit(p, QString::fromLatin1(r.name), QRect(104, r.y, 240, 26));
    }
    Text9->setPlaceholderText(QStringLiteral("customer"));
    Text10->setEchoMode(QLineEdit::Password);
    Text11->setPlaceholderText(QStringLiteral("11位手机号或其后四位,可不填"));
    auto* hint = label(p, "Label_account_hint",
                       QStringLiteral("快递100企业版账户(api.kuaidi100.com 注册)：我的信息 → "
                                      "授权信息中的授权码和key。key只保存在您本人可读的配置文件"
                                      "中。顺丰、顺丰快运、中通的单号需要收件人手机号码。"),
                       QRect(20, 152, 324, 80));
    hint->setWordWrap(true);
    hint->setProperty("hint", true);
    Command7 = button(p, "Command7", QStringLiteral("保存"), QRect(124, 242, 120, 32));
}
