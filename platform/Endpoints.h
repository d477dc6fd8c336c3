// Every address the program talks to. Defaults live in Endpoints.cpp; the
// environment can override them (see the README).
#pragma once

#include <QString>
#include <functional>

struct Endpoints {
    QString tracking;     // tracking gateway; the query goes at its root path "/"
    QString autoNumber;   // auto-number service, ".../autonumber/auto"
    QString versionFile;  // the maker's version file
    QString noticeFile;   // the maker's announcement file
    QString timeSource;   // HEAD for the Date header
    QString probePage;    // connectivity test before the time calibration
    QString smtpUrl;      // smtp://host:port; empty: no relay configured
    QString smtpUser;     // the sender mailbox, also the login
    QString smtpPassword; // empty: no login
    QString site;         // the maker's web site
    QString promotion;    // the maker's promotion page

    static Endpoints defaults();
    // Applies JZB_GATEWAY, then the [smtp] url, user and password of the
    // mail.conf file when there is one, then each single override, read
    // through getenv (a function so tests can feed their own environment).
    static Endpoints fromEnvironment(const std::function<QString(const char*)>& getenv,
                                     const QString& mailConf = QString());
    // All services at one base URL, the way the local gateway serves them.
    static Endpoints atGateway(const QString& base);
};
