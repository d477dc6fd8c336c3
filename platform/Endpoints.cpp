#include "platform/Endpoints.h"
#include "platform/SecretFile.h"

#include <QSettings>

Endpoints Endpoints::defaults() {
    Endpoints e;
    e.poll = QStringLiteral("https://poll.kuaidi100.com/poll/query.do");
    e.autoEnterprise = QStringLiteral("https://www.kuaidi100.com/autonumber/auto");
    e.kdniao = QStringLiteral("https://api.kdniao.com/Ebusiness/EbusinessOrderHandle.aspx");
    // Asked only when the user presses 时间校对.
    e.timeSource = QStringLiteral("http://www.baidu.com/");
    e.probePage = QStringLiteral("http://www.baidu.com/");
    // No relay, no version file and no site of ours until someone names one.
    return e;
}

Endpoints Endpoints::atGateway(const QString& base) {
    QString b = base;
    while (b.endsWith('/'))
        b.chop(1);
    Endpoints e = defaults();
    e.tracking = b + "/";
    e.autoNumber = b + "/autonumber/auto";
    e.versionFile = b + "/version.txt";
    e.noticeFile = b + "/notice.txt";
    e.timeSource = b + "/";
    e.probePage = b + "/";
    return e;
}

Endpoints Endpoints::fromEnvironment(const std::function<QString(const char*)>& getenv,
                                     const QString& mailConf) {
    Endpoints e = defaults();
    if (const QString g = getenv("JZB_GATEWAY"); !g.isEmpty()) e = atGateway(g);
    // Only a small regular file is handed on to be read.
    if (!mailConf.isEmpty() && readConfigFile(mailConf)) {
        const QSettings conf(mailConf, QSettings::IniFormat);
        const auto take = [&](const char* key, QString& field) {
            const QString v = conf.value(QStringLiteral("smtp/") + QLatin1String(key)).toString();
            if (!v.isEmpty()) field = v;
        };
        take("url", e.smtpUrl);
        take("user", e.smtpUser);
        take("password", e.smtpPassword);
    }
    const struct {
        const char* name;
        QString Endpoints::*field;
    } singles[] = {
        {"JZB_TRACKING_URL", &Endpoints::tracking}, {"JZB_AUTONUMBER_URL", &Endpoints::autoNumber},
        {"JZB_POLL_URL", &Endpoints::poll},         {"JZB_AUTO_URL", &Endpoints::autoEnterprise},
        {"JZB_KDNIAO_URL", &Endpoints::kdniao},     {"JZB_VERSION_URL", &Endpoints::versionFile},
        {"JZB_NOTICE_URL", &Endpoints::noticeFile}, {"JZB_TIME_URL", &Endpoints::timeSource},
        {"JZB_PROBE_URL", &Endpoints::probePage},   {"JZB_SMTP_URL", &Endpoints::smtpUrl},
        {"JZB_SMTP_USER", &Endpoints::smtpUser},    {"JZB_SMTP_PASSWORD", &Endpoints::smtpPassword},
        {"JZB_SITE_URL", &Endpoints::site},
    };
    for (const auto& s : singles)
        if (const QString v = getenv(s.name); !v.isEmpty()) e.*(s.field) = v;
    e.account = {getenv("JZB_CUSTOMER").trimmed(),  getenv("JZB_KEY").trimmed(),
                 getenv("JZB_PHONE").trimmed(),     TrackingService::Kuaidi100,
                 getenv("JZB_KDNIAO_ID").trimmed(), getenv("JZB_KDNIAO_KEY").trimmed()};
    const QString provider = getenv("JZB_PROVIDER").trimmed().toLower();
    if (provider == QLatin1String("kuaidi100")) e.service = TrackingService::Kuaidi100;
    if (provider == QLatin1String("kdniao")) e.service = TrackingService::Kdniao;
    e.demo = getenv("JZB_DEMO") == QLatin1String("1");
    if (const double speed = getenv("JZB_SPEED").toDouble(); speed > 0) e.demoSpeed = speed;
    return e;
}
