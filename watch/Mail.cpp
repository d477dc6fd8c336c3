// The update e-mail, sent off the window's thread, and the notification
// address checked and stored when the settings panel closes.
#include "app/Form1.h"
#include "platform/Endpoints.h"
#include "platform/Platform.h"
#include "services/Version.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/Reading.h"
#include "watch/MailText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTreeWidget>

void Form1::announce(const std::function<void()>& mail) {
    if (options->on(Switch::Sound)) m_platform.sound.play(m_folder + QStringLiteral("/ts.mp3"));
    if (options->on(Switch::Mail) && !options->address().isEmpty()) mail();
}

void Form1::emailgx() {
    setStatus(QStringLiteral(" 正发送最新动态邮件,请稍等.."));
    sendUpdateMail(mailFacts(cur.goods, cur.number, cur.company, *shown),
                   [this](std::optional<QString> failure) {
                       setStatus(failure ? QStringLiteral("最新信息发送失败!错误原因") + *failure
                                         : QStringLiteral("快递有最新进展，已发送至邮箱!"));
                   });
}

MailFacts Form1::mailFacts(const QString& label, const QString& number, const QString& company,
                           const Reading& read) const {
    MailFacts facts;
    facts.label = label;
    facts.number = number;
    facts.company = company;
    if (!read.entries.isEmpty()) {
        facts.state = stateText(read.state);
        facts.newestTime = read.entries.constFirst().time;
        facts.newestText = read.entries.constFirst().context;
    }
    facts.transit = transitText(read.transitSecs(m_platform.clock.now()));
    return facts;
}

// The update mail of these facts to the notification address; the
// announcement and the sending time are added here.
void Form1::sendUpdateMail(MailFacts facts, std::function<void(std::optional<QString>)> done) {
    facts.noticeText = notice->text;
    facts.noticeLink = notice->link;
    const QDateTime now = m_platform.clock.now();
    facts.sentAt = QLocale::c().toString(now, QStringLiteral("yyyy-M-d H:mm:ss"));
    Mail mail{m_endpoints->smtpUser, options->address(), mailSubject(facts.label), mailBody(facts),
              now};
    m_platform.mailer.send({m_endpoints->smtpUrl, m_endpoints->smtpUser, m_endpoints->smtpPassword,
                            isLoopbackRelay(m_endpoints->smtpUrl)},
                           mail, this, std::move(done));
}

bool Form1::saveAddress() {
    if (Check2->isChecked()) {
        switch (checkAddress(Sendmail->text())) {
        case AddressVerdict::Empty:
            setStatus(QStringLiteral("请输入您的E-mail地址.."));
            Sendmail->setFocus();
            return false;
        case AddressVerdict::NoAt:
            setStatus(QStringLiteral("您的E-mail地址输入错误!请您检查!"));
            Sendmail->setFocus();
            return false;
        case AddressVerdict::NoEnding:
            setStatus(QStringLiteral("您的E-mail地址输入错误!请您检查!"));
            Check2->setChecked(false); // stores "否" and locks the box
            return false;
        case AddressVerdict::Ok:
            break;
        }
    }
    if (!m_store->setAddress(Check2->isChecked() ? Sendmail->text() : QString())) {
        setStatus(QStringLiteral("邮箱保存失败!快递数据库暂时无法写入,请稍后再试.."));
        return false;
    }
    setStatus(QStringLiteral("设置完毕.."));
    return true;
}
