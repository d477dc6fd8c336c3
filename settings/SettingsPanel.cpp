#include "settings/SettingsPanel.h"

#include "platform/Platform.h"
#include "services/TimeCalibration.h"
#include "settings/Autostart.h"
#include "settings/Options.h"
#include "watch/MailText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QSignalBlocker>

namespace {
const QString LoopOff = QStringLiteral("开始循环"), LoopOn = QStringLiteral("停止循环");
const QString TimedOff = QStringLiteral("开始定时"), TimedOn = QStringLiteral("关闭定时");
} // namespace

SettingsPanel::SettingsPanel(Options& options, Polling& polling, Dialogs& dialogs, Shell& shell,
                             std::unique_ptr<TimeCalibration> calibration, Places places,
                             QWidget* parent)
    : Panel(QStringLiteral("kdmenu_1"), QStringLiteral("x_1"), tw(0, 0, 8535, 4695), 8040, 120,
            parent),
      m_options(options), m_polling(polling), m_dialogs(dialogs), m_shell(shell),
      m_calibration(std::move(calibration)), m_places(std::move(places)) {
    Label13[1] = title(QStringLiteral("Label13_1"), QStringLiteral("相关设置"));
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
        *b.box = place(new QCheckBox(QString::fromUtf8(b.text), this), QString::fromLatin1(b.name),
                       QRect(24, y, 250, 24));
        y += 30;
    }

    Frame4 = place(new QGroupBox(QStringLiteral("定时查询功能"), this), "Frame4",
                   QRect(292, 40, 260, 96));
    label(Frame4, "Label_timed", QStringLiteral("请设定时间："), QRect(10, 30, 80, 22));
    Combo2 = place(new QComboBox(Frame4), "Combo2", QRect(88, 28, 56, 24));
    label(Frame4, "Label_hour", QStringLiteral("时"), QRect(148, 30, 16, 22));
    Combo3 = place(new QComboBox(Frame4), "Combo3", QRect(166, 28, 56, 24));
    label(Frame4, "Label_minute", QStringLiteral("分"), QRect(226, 30, 16, 22));
    Command1[18] = button(Frame4, "Command1_18", TimedOff, QRect(10, 60, 100, 28));
    Command1[17] = button(Frame4, "Command1_17", QStringLiteral("循环查询"), QRect(184, 0, 70, 20));

    Frame6 = place(new QGroupBox(QStringLiteral("循环查询功能"), this), "Frame6",
                   QRect(292, 40, 260, 96));
    label(Frame6, "Label_every", QStringLiteral("每隔"), QRect(10, 30, 30, 22));
    Combo4 = place(new QComboBox(Frame6), "Combo4", QRect(40, 28, 62, 24));
    label(Frame6, "Label_minutes", QStringLiteral("分钟自动进行一次查询"), QRect(106, 30, 150, 22));
    Command1[16] = button(Frame6, "Command1_16", LoopOff, QRect(10, 60, 100, 28));
    Command1[15] = button(Frame6, "Command1_15", QStringLiteral("定时查询"), QRect(184, 0, 70, 20));
    Frame6->hide();
    for (int i : {15, 17})
        Command1[i]->setProperty("small", true);

    Frame5 = place(new QGroupBox(QStringLiteral("是否启用邮件通知功能"), this), "Frame5",
                   QRect(292, 146, 260, 70));
    // The box's own caption stays its design default; only the box shows,
    // next to the frame caption that names it.
    Check2 =
        place(new QCheckBox(QStringLiteral("Check2"), Frame5), "Check2", QRect(10, 32, 20, 24));
    Sendmail = lineEdit(Frame5, "Sendmail", QRect(34, 32, 214, 24));
    Sendmail->setText(QStringLiteral("无"));
    Sendmail->setReadOnly(true);

    // The whole-book watch and its interval.
    Check9 = place(new QCheckBox(QStringLiteral("后台刷新全部快递"), this), "Check9",
                   QRect(24, 224, 142, 24));
    label(this, "Label_watch_every", QStringLiteral("每"), QRect(166, 226, 16, 22));
    Combo5 = place(new QComboBox(this), "Combo5", QRect(184, 224, 56, 24));
    for (int minutes : WatchIntervals)
        Combo5->addItem(QString::number(minutes));
    label(this, "Label_watch_minutes", QStringLiteral("分钟"), QRect(244, 226, 36, 22));
    Check10 = place(new QCheckBox(QStringLiteral("开机自动启动"), this), "Check10",
                    QRect(24, 250, 142, 24));

    Command3 = button(this, "Command3", QStringLiteral("时间校对"), QRect(292, 228, 100, 30));
    Command6 = button(this, "Command6", QStringLiteral("查询账户"), QRect(404, 228, 100, 30));
    Command6->setToolTip(QStringLiteral("查询账户：快递鸟或快递100企业版,以及收件人手机号"));
    // Delivered parcels put away after some days (off unless turned on).
    Check11 =
        place(new QCheckBox(QStringLiteral("已签收"), this), "Check11", QRect(292, 266, 68, 24));
    Combo6 = place(new QComboBox(this), "Combo6", QRect(360, 266, 48, 24));
    for (int days : ArchiveDaysOffered)
        Combo6->addItem(QString::number(days));
    Combo6->setCurrentText(QStringLiteral("7"));
    label(this, "Label_archive_days", QStringLiteral("天后自动归档"), QRect(412, 268, 100, 22));
    Label22 = label(this, "Label22", QStringLiteral("定制您的专属快递邮件推广服务"),
                    QRect(24, 280, 260, 22));
    Label22->setCursor(Qt::PointingHandCursor);
    Label22->setProperty("link", true);
    Label22->installEventFilter(this);

    for (int i = 0; i < SwitchCount; ++i)
        connect(boxFor(Switch(i)), &QCheckBox::stateChanged, this,
                [this, i] { Check_Click(Switch(i)); });
    connect(Check9, &QCheckBox::stateChanged, this, &SettingsPanel::Check9_Click);
    connect(Check10, &QCheckBox::stateChanged, this, &SettingsPanel::Check10_Click);
    connect(Sendmail, &QLineEdit::textChanged, &m_options, &Options::setAddress);
    connect(Combo5, &QComboBox::activated, this, &SettingsPanel::Combo5_Click);
    connect(Check11, &QCheckBox::stateChanged, this, &SettingsPanel::archiveClicked);
    connect(Combo6, &QComboBox::activated, this, &SettingsPanel::archiveClicked);
    connect(Command3, &QPushButton::clicked, this, &SettingsPanel::Command3_Click);
    connect(Command6, &QPushButton::clicked, this, &SettingsPanel::accountWanted);
    connect(Command1[15], &QPushButton::clicked, this, &SettingsPanel::showTimedFrame);
    connect(Command1[16], &QPushButton::clicked, this,
            [this] { m_polling.loopButton(Combo4->currentText()); });
    connect(Command1[17], &QPushButton::clicked, this, &SettingsPanel::showLoopFrame);
    connect(Command1[18], &QPushButton::clicked, this,
            [this] { m_polling.timedButton(Combo2->currentText(), Combo3->currentText()); });
    connect(&m_options, &Options::changed, this, &SettingsPanel::showOptions);
    connect(&m_polling, &Polling::modeChanged, this, &SettingsPanel::showMode);
    // Starting at login is the entry's being there, not a stored option.
    const QSignalBlocker quiet(Check10);
    Check10->setChecked(QFileInfo::exists(autostartPath(m_places.autostartFolder)));
}

void SettingsPanel::fillTimeLists() {
    for (int h = 0; h <= 23; ++h)
        Combo2->addItem(QString::number(h));
    for (int m = 0; m <= 59; ++m)
        Combo3->addItem(QString::number(m));
    for (int n = 1; n <= 360; ++n)
        Combo4->addItem(QString::number(n));
    Combo2->setCurrentIndex(0);
    Combo3->setCurrentIndex(0);
    Combo4->setCurrentIndex(-1);
}

void SettingsPanel::accountUsable(bool usable, const QString& why) {
    Command6->setEnabled(usable);
    if (!usable) Command6->setToolTip(why);
}

SettingsPanel::~SettingsPanel() = default;

QCheckBox* SettingsPanel::boxFor(Switch s) const {
    QCheckBox* const boxes[SwitchCount] = {Check2, Check3, Check4, Check5, Check6, Check7, Check8};
    return boxes[static_cast<int>(s)];
}

void SettingsPanel::showOptions() {
    for (int i = 0; i < SwitchCount; ++i) {
        const Switch s = static_cast<Switch>(i);
        QCheckBox* box = boxFor(s);
        const QSignalBlocker quiet(box);
        box->setChecked(m_options.on(s));
    }
    Sendmail->setReadOnly(!m_options.on(Switch::Mail)); // as its toggle leaves it
    if (m_options.addressKnown() && Sendmail->text() != m_options.address())
        Sendmail->setText(m_options.address());
    const QSignalBlocker quietWatch(Check9);
    Check9->setChecked(m_options.watching());
    const QSignalBlocker quietInterval(Combo5);
    Combo5->setCurrentText(QString::number(m_options.watchMinutes()));
    const QSignalBlocker quietArchive(Check11), quietDays(Combo6);
    Check11->setChecked(m_options.archiveDays() > 0);
    if (m_options.archiveDays() > 0)
        Combo6->setCurrentText(QString::number(m_options.archiveDays()));
}

void SettingsPanel::archiveClicked() {
    if (const auto refused =
            m_options.setArchiveDays(Check11->isChecked() ? Combo6->currentText().toInt() : 0))
        emit status(*refused);
}

void SettingsPanel::Check_Click(Switch which) {
    if (const auto refused = m_options.set(which, boxFor(which)->isChecked()))
        emit status(*refused);
}

void SettingsPanel::Check9_Click() {
    if (const auto refused = m_options.setWatching(Check9->isChecked())) emit status(*refused);
}

void SettingsPanel::Combo5_Click() {
    if (const auto refused = m_options.setWatchMinutes(watchInterval(Combo5->currentText())))
        emit status(*refused);
}

void SettingsPanel::Check10_Click() {
    const bool on = Check10->isChecked();
    const std::optional<QString> failure =
        setAutostart(m_places.autostartFolder, m_places.program, on);
    if (!failure) return;
    const QSignalBlocker quiet(Check10);
    Check10->setChecked(!on);
    emit status(QStringLiteral("开机自动启动设置失败!原因：") + *failure);
}

void SettingsPanel::Command3_Click() {
    Command3->setEnabled(false);
    m_calibration->run();
    Command3->setEnabled(true);
}

bool SettingsPanel::saveAddress() {
    if (Check2->isChecked()) {
        switch (checkAddress(Sendmail->text())) {
        case AddressVerdict::Empty:
            emit status(QStringLiteral("请输入您的E-mail地址.."));
            Sendmail->setFocus();
            return false;
        case AddressVerdict::NoAt:
            emit status(QStringLiteral("您的E-mail地址输入错误!请您检查!"));
            Sendmail->setFocus();
            return false;
        case AddressVerdict::NoEnding:
            emit status(QStringLiteral("您的E-mail地址输入错误!请您检查!"));
            Check2->setChecked(false); // stores "否" and locks the box
            return false;
        case AddressVerdict::Ok:
            break;
        }
    }
    if (const auto refused =
            m_options.storeAddress(Check2->isChecked() ? Sendmail->text() : QString())) {
        emit status(*refused);
        return false;
    }
    emit status(QStringLiteral("设置完毕.."));
    return true;
}

void SettingsPanel::showTimedFrame() {
    if (!m_polling.leaveLoop()) return;
    Frame4->setVisible(true);
    Frame4->move(Frame6->pos());
    Frame6->setVisible(false);
}

void SettingsPanel::showLoopFrame() {
    if (!m_polling.leaveTimed()) return;
    Frame6->setVisible(true);
    Frame6->move(Frame4->pos());
    Frame4->setVisible(false);
}

// The start buttons say the mode; a function's own lists stay fixed while it runs.
void SettingsPanel::showMode(Polling::Mode mode) {
    Command1[16]->setText(mode == Polling::Mode::Loop ? LoopOn : LoopOff);
    Command1[18]->setText(mode == Polling::Mode::Timed ? TimedOn : TimedOff);
    Combo4->setEnabled(mode != Polling::Mode::Loop);
    Combo2->setEnabled(mode != Polling::Mode::Timed);
    Combo3->setEnabled(mode != Polling::Mode::Timed);
}

bool SettingsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label22 && event->type() == QEvent::MouseButtonPress) {
        m_shell.openUrl(m_places.promotion);
        return true;
    }
    return false;
}
