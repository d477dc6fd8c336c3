// The update e-mail's subject and HTML body, and the check of the
// notification address when the settings panel closes.
#pragma once

#include <QString>

// What the mail tells; every value is escaped before it enters the HTML.
struct MailFacts {
    QString label;   // the selector's text (the goods)
    QString number;  // tracking number
    QString company; // courier name
    QString state;   // the parcel's state: 派件中, 待取件, 已拒签 …
    QString newestTime, newestText;
    QString transit;                // "2天3小时5分"
    QString noticeText, noticeLink; // the announcement fetched at start-up
    QString sentAt;                 // local date and time of sending
};

// "您的快递【label】有最新动态 - Quorvex件踪宝"
QString mailSubject(const QString& label);
QString mailBody(const MailFacts& facts);

// The maker's addresses that the body carries (constants of ours).
namespace MakerPages {
inline const QString Home = QStringLiteral("http://www.quorvex.cn/");
inline const QString Promotion = QStringLiteral("http://www.quorvex.cn/tuiguang/");
inline const QString Service = QStringLiteral("http://www.quorvex.cn/kefu/");
inline const QString Forum = QStringLiteral("http://bbs.quorvex.cn/");
inline const QString HeaderImage = QStringLiteral("http://www.quorvex.cn/mail/head-bg.png");
inline const QString Logo = QStringLiteral("http://www.quorvex.cn/mail/logo.png");
inline const QString SmallLogo = QStringLiteral("http://www.quorvex.cn/mail/logo-small.png");
inline const QString SupportQQ = QStringLiteral("800018272");
} // namespace MakerPages

enum class AddressVerdict { Empty, NoAt, NoEnding, Ok };
// "@" anywhere, and one of com, cn, org, info, hk, me, net anywhere, in any case.
AddressVerdict checkAddress(const QString& address);
