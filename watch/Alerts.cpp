#include "watch/Alerts.h"

#include "platform/Endpoints.h"
#include "platform/Platform.h"
#include "services/Version.h"
#include "settings/Options.h"
#include "tracking/Reading.h"

#include <QLocale>

Alerts::Alerts(Platform& platform, const Endpoints& endpoints, const Options& options,
               const Announcement& notice, QString soundFile, QObject* parent)
    : QObject(parent), m_platform(platform), m_endpoints(endpoints), m_options(options),
      m_notice(notice), m_soundFile(std::move(soundFile)) {}

void Alerts::announce(const std::function<void()>& mail) {
    if (m_options.on(Switch::Sound)) m_platform.sound.play(m_soundFile);
    if (m_options.on(Switch::Mail) && !m_options.address().isEmpty()) mail();
}

MailFacts Alerts::facts(const QString& label, const QString& number, const QString& company,
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

void Alerts::sendUpdateMail(MailFacts facts, std::function<void(std::optional<QString>)> done) {
    facts.noticeText = m_notice.text;
    facts.noticeLink = m_notice.link;
    const QDateTime now = m_platform.clock.now();
    facts.sentAt = QLocale::c().toString(now, QStringLiteral("yyyy-M-d H:mm:ss"));
    Mail mail{m_endpoints.smtpUser, m_options.address(), mailSubject(facts.label), mailBody(facts),
              now};
    m_platform.mailer.send({m_endpoints.smtpUrl, m_endpoints.smtpUser, m_endpoints.smtpPassword,
                            isLoopbackRelay(m_endpoints.smtpUrl)},
                           mail, this, std::move(done));
}
