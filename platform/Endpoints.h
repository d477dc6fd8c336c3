// Every address the program talks to, and how it tracks parcels. Defaults
// live in Endpoints.cpp and name no address the project does not control,
// apart from the tracking service that the user's own account is for; the
// environment can override them (see the README).
#pragma once

#include <QString>
#include <functional>
#include <optional>

// The tracking services a user can have an account of.
enum class TrackingService {
    Kuaidi100, // 快递100企业版: 授权码 (customer) and key
    Kdniao     // 快递鸟: 用户ID (EBusinessID) and API key
};

// The user's accounts of the tracking services, and which one is in use.
struct TrackingAccount {
    QString customer, key; // 快递100's 授权码 and key
    QString phone;         // the receiver's phone, or its last four digits; may be empty
    TrackingService service = TrackingService::Kuaidi100;
    QString kdniaoId = {}, kdniaoKey = {}; // 快递鸟's 用户ID and API key
    // The account of the service in use can ask.
    bool complete() const {
        return service == TrackingService::Kdniao ? !kdniaoId.isEmpty() && !kdniaoKey.isEmpty()
                                                  : !customer.isEmpty() && !key.isEmpty();
    }
};

struct Endpoints {
    QString tracking;        // a gateway's tracking query, at its root path "/"; empty: none
    QString autoNumber;      // that gateway's auto-number service, ".../autonumber/auto"
    QString poll;            // the tracking service's real-time query (enterprise API)
    QString autoEnterprise;  // the tracking service's auto-number service
    QString kdniao;          // 快递鸟's API address (即时查询 and 单号识别 alike)
    QString versionFile;     // the version file; empty: no version check, no announcement
    QString noticeFile;      // the announcement file
    QString timeSource;      // HEAD for the Date header
    QString probePage;       // connectivity test before the time calibration
    QString smtpUrl;         // smtp://host:port; empty: no relay configured
    QString smtpUser;        // the relay account: the sender mailbox and the login
    QString smtpPassword;    // empty: no login
    QString site;            // the web site links; empty: the installed help page
    QString promotion;       // the promotion link; empty: the help page's part on mail
    QString configFolder;    // the user's own folder: the tracking account
    QString dataFolder;      // the user's data folder for the book; empty: the program folder
    QString autostartFolder; // where the login start entry goes ($XDG_CONFIG_HOME/autostart)
    // JZB_CUSTOMER, JZB_KEY, JZB_PHONE, JZB_KDNIAO_ID, JZB_KDNIAO_KEY: win over the account
    // file, and so does JZB_PROVIDER (kuaidi100 or kdniao), the service in use.
    TrackingAccount account;
    std::optional<TrackingService> service;
    bool demo = false;      // the demo: its parcels are simulated, and the window says so
    double demoSpeed = 1.0; // how much faster the demo's parcels move than real time

    static Endpoints defaults();
    // Applies JZB_GATEWAY, then the [smtp] url, user and password of the
    // mail.conf file when there is one, then each single override, read
    // through getenv (a function so tests can feed their own environment).
    static Endpoints fromEnvironment(const std::function<QString(const char*)>& getenv,
                                     const QString& mailConf = QString());
    // All services at one base URL, the way the tests' gateway serves them.
    static Endpoints atGateway(const QString& base);
    // True when a gateway answers tracking queries instead of the service.
    bool viaGateway() const { return !tracking.isEmpty(); }
};
