#include "platform/Endpoints.h"

#include <QFileInfo>
#include <QSettings>

Endpoints Endpoints::defaults() {
    Endpoints e;
    e.tracking = QStringLiteral("http://api.kuaidi100.com/");
    e.autoNumber = QStringLiteral("http://www.kuaidi100.com/autonumber/auto");
    e.versionFile = QStringLiteral("http://www.quorvex.cn/jianzongbao/version.txt");
    e.noticeFile = QStringLiteral("http://www.quorvex.cn/jianzongbao/notice.txt");
    e.timeSource = QStringLiteral("http://www.baidu.com/");
    e.probePage = QStringLiteral("http://www.baidu.com/");
    // No relay until the user names one (mail.conf or JZB_SMTP_URL).
    e.smtpUser = QStringLiteral("notice@quorvex.cn");
    e.site = QStringLiteral("http://www.quorvex.cn/");
    e.promotion = QStringLiteral("http://www.quorvex.cn/tuiguang/");
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
    if (!mailConf.isEmpty() && QFileInfo::exists(mailConf)) {
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
        {"JZB_TRACKING_URL", &Endpoints::tracking},
        {"JZB_AUTONUMBER_URL", &Endpoints::autoNumber},
        {"JZB_VERSION_URL", &Endpoints::versionFile},
        {"JZB_NOTICE_URL", &Endpoints::noticeFile},
        {"JZB_TIME_URL", &Endpoints::timeSource},
        {"JZB_PROBE_URL", &Endpoints::probePage},
        {"JZB_SMTP_URL", &Endpoints::smtpUrl},
        {"JZB_SMTP_USER", &Endpoints::smtpUser},
        {"JZB_SMTP_PASSWORD", &Endpoints::smtpPassword},
        {"JZB_SITE_URL", &Endpoints::site},
    };
    for (const auto& s : singles)
        if (const QString v = getenv(s.name); !v.isEmpty()) e.*(s.field) = v;
    return e;
}
