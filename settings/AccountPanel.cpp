#include "settings/AccountPanel.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace {
const QString KeySaved = QStringLiteral("已保存(不显示),输入新的key可替换");
}

AccountPanel::AccountPanel(const Accounts& accounts, QWidget* parent)
    : Panel(QStringLiteral("kdaccount"), QStringLiteral("xAccount"), tw(0, 0, 5535, 4980), 5040,
            120, parent),
      m_accounts(accounts) {
    title(QStringLiteral("Label_account_title"), QStringLiteral("查询账户"));
    label(this, "Label_service", QStringLiteral("查询服务："), QRect(20, 48, 84, 20));
    auto* services = new QButtonGroup(this);
    const char* names[] = {"快递100企业版", "快递鸟"};
    for (int i = 0; i < 2; ++i) {
        Option3[i] = place(new QRadioButton(QString::fromUtf8(names[i]), this),
                           indexed("Option3", i), QRect(104 + i * 130, 44, 126, 26));
        services->addButton(Option3[i], i);
    }
    Option3[0]->setChecked(true);
    connect(services, &QButtonGroup::idClicked, this, [this] { showService(); });
    const struct {
        QLabel** caption;
        QLineEdit** box;
        const char* name;
        int y;
    } rows[] = {{&Label_Text9, &Text9, "Text9", 80},
                {&Label_Text10, &Text10, "Text10", 116},
                {nullptr, &Text11, "Text11", 152}};
    for (const auto& r : rows) {
        QLabel* caption = label(this, QStringLiteral("Label_") + QLatin1String(r.name), {},
                                QRect(20, r.y + 4, 84, 20));
        if (r.caption) *r.caption = caption;
        *r.box = lineEdit(this, QString::fromLatin1(r.name), QRect(104, r.y, 240, 26));
    }
    findChild<QLabel*>(QStringLiteral("Label_Text11"))->setText(QStringLiteral("收件人手机："));
    Text10->setEchoMode(QLineEdit::Password);
    Text11->setPlaceholderText(QStringLiteral("11位手机号或其后四位,可不填"));
    hint = label(this, "Label_account_hint", {}, QRect(20, 186, 324, 90));
    hint->setWordWrap(true);
    hint->setProperty("hint", true);
    Command7 = button(this, "Command7", QStringLiteral("保存"), QRect(124, 284, 120, 32));
    connect(Command7, &QPushButton::clicked, this, &AccountPanel::saveAccount);
    showService();
}

TrackingService AccountPanel::chosen() const {
    return Option3[1]->isChecked() ? TrackingService::Kdniao : TrackingService::Kuaidi100;
}

void AccountPanel::showService() {
    const bool kdniao = chosen() == TrackingService::Kdniao;
    Label_Text9->setText(kdniao ? QStringLiteral("用户ID：") : QStringLiteral("授权码："));
    Label_Text10->setText(kdniao ? QStringLiteral("API key：") : QStringLiteral("key："));
    Text9->setPlaceholderText(kdniao ? QStringLiteral("EBusinessID") : QStringLiteral("customer"));
    Text9->setText(kdniao ? m_stored.kdniaoId : m_stored.customer);
    Text10->clear();
    Text10->setPlaceholderText((kdniao ? m_stored.kdniaoKey : m_stored.key).isEmpty()
                                   ? (kdniao ? QStringLiteral("API key") : QStringLiteral("key"))
                                   : KeySaved);
    hint->setText(
        kdniao ? QStringLiteral("快递鸟(www.kdniao.com 免费注册并实名认证)：用户中心 → 我的API"
                                "中的用户ID和API key,即时查询每日500次。顺丰、中通的单号需要收件人"
                                "或寄件人手机号码的后四位。")
               : QStringLiteral("快递100企业版账户(api.kuaidi100.com 注册)：我的信息 → "
                                "授权信息中的授权码和key。key只保存在您本人可读的配置文件"
                                "中。顺丰、顺丰快运、中通的单号需要收件人手机号码。"));
}

void AccountPanel::openAccountPanel() {
    m_stored = m_accounts.stored();
    Option3[m_stored.service == TrackingService::Kdniao ? 1 : 0]->setChecked(true);
    showService();
    Text11->setText(m_stored.phone);
    Text9->setFocus();
}

void AccountPanel::saveAccount() {
    TrackingAccount typed;
    typed.service = chosen();
    (typed.service == TrackingService::Kdniao ? typed.kdniaoId : typed.customer) = Text9->text();
    (typed.service == TrackingService::Kdniao ? typed.kdniaoKey : typed.key) = Text10->text();
    typed.phone = Text11->text();
    const Accounts::Saved done = m_accounts.save(typed);
    if (done.inUse) {
        Text10->clear();
        m_stored = m_accounts.stored();
        setVisible(false);
        emit saved(*done.inUse);
    }
    emit status(done.said);
}
