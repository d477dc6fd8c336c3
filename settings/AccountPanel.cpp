#include "settings/AccountPanel.h"

namespace {
const QString KeySaved = QStringLiteral("已保存(不显示),输入新的key可替换");
}

AccountPanel::AccountPanel(const Accounts& accounts, QWidget* parent)
    : Panel(QStringLiteral("kdaccount"), QStringLiteral("xAccount"), tw(0, 0, 5535, 4350), 5040,
            120, parent),
      m_accounts(accounts) {
    title(QStringLiteral("Label_account_title"), QStringLiteral("查询账户"));
    const struct {
        QLineEdit** box;
        const char* name;
        const char* caption;
        int y;
    } rows[] = {{&Text9, "Text9", "授权码：", 44},
                {&Text10, "Text10", "key：", 80},
                {&Text11, "Text11", "收件人手机：", 116}};
    for (const auto& r : rows) {
        label(this, QStringLiteral("Label_") + QLatin1String(r.name), QString::fromUtf8(r.caption),
              QRect(20, r.y + 4, 84, 20));
        *r.box = lineEdit(this, QString::fromLatin1(r.name), QRect(104, r.y, 240, 26));
    }
    Text9->setPlaceholderText(QStringLiteral("customer"));
    Text10->setEchoMode(QLineEdit::Password);
    Text11->setPlaceholderText(QStringLiteral("11位手机号或其后四位,可不填"));
    auto* hint = label(this, "Label_account_hint",
                       QStringLiteral("快递100企业版账户(api.kuaidi100.com 注册)：我的信息 → "
                                      "授权信息中的授权码和key。key只保存在您本人可读的配置文件"
                                      "中。顺丰、顺丰快运、中通的单号需要收件人手机号码。"),
                       QRect(20, 152, 324, 80));
    hint->setWordWrap(true);
    hint->setProperty("hint", true);
    Command7 = button(this, "Command7", QStringLiteral("保存"), QRect(124, 242, 120, 32));
    connect(Command7, &QPushButton::clicked, this, &AccountPanel::saveAccount);
}

void AccountPanel::openAccountPanel() {
    const TrackingAccount stored = m_accounts.stored();
    Text9->setText(stored.customer);
    Text10->clear();
    Text10->setPlaceholderText(stored.key.isEmpty() ? QStringLiteral("key") : KeySaved);
    Text11->setText(stored.phone);
    Text9->setFocus();
}

void AccountPanel::saveAccount() {
    const Accounts::Saved done = m_accounts.save({Text9->text(), Text10->text(), Text11->text()});
    if (done.inUse) {
        Text10->clear();
        setVisible(false);
        emit saved(*done.inUse);
    }
    emit status(done.said);
}
