#include "watch/MailText.h"

namespace {
// Escaped for element text and for attributes in either kind of quotes.
QString html(const QString& text) {
    return text.toHtmlEscaped().replace(u'\'', QStringLiteral("&#39;"));
}
} // namespace

QString mailSubject(const QString& label) {
    return QStringLiteral("您的快递【") + label + QStringLiteral("】有最新动态 - Quorvex件踪宝");
}

QString mailBody(const MailFacts& f) {
    using namespace MakerPages;
    const QString link =
        QStringLiteral("<a href='%1' target='_blank' "
                       "style='color:#fff;font-size:12px;text-decoration:none;'>%2</a>");
    QString b;
    b += QStringLiteral(
             "<table cellspacing='1' border='1' bgcolor='#FFFFFF' align='center' width='700' "
             "style='border-color:#ccc;width:700px;font-size:20px;color:black'><tbody><tr><td><div "
             "style='width:670px;margin:0 auto;background-image:url(") +
         HeaderImage +
         QStringLiteral(
             ");border-bottom:1px solid #e7e7e7;margin-bottom:20px;padding:13px 15px 0;'>");
    b += QStringLiteral(
        "<table cellspacing='0' cellpadding='0' border='0' width='670px' height='54' "
        "style='font:12px Tahoma, Arial, 微软雅黑;'><tbody><tr><td width='240' "
        "valign='top'>");
    b += QStringLiteral("<a href='%1' target='_blank'><img src='%2' height='41' border='0' "
                        "alt='Quorvex'></a>")
             .arg(Home, Logo);
    b += QStringLiteral("</td><td align='right' width='430' valign='bottom' "
                        "style='color:#fff;padding-bottom:7px;'>");
    b += link.arg(Promotion, QStringLiteral("推广服务 ")) + QStringLiteral(" | ") +
         link.arg(Service, QStringLiteral("客服中心 ")) + QStringLiteral(" | ") +
         link.arg(Forum, QStringLiteral("官方论坛"));
    b += QStringLiteral(
        "</td></tr></tbody></table></div><div style='width:600px;margin:0 "
        "auto;color:#5a5a5a;background:#ffffff;padding:0 50px;margin-bottom:25px;'><div "
        "style='line-height:1.5;font-size:13px;margin-bottom:10px;color:#000;font-family: "
        "微软雅黑;'>");
    b += QStringLiteral(
        "<strong style='display:block;margin-bottom:5px;'></strong><p "
        "style='line-height:25px;margin:0;border-bottom: 1px dashed #ccc;'>您的快递<font "
        "color='blue' style='font-weight:bold;'>【");
    b += html(f.label) + QStringLiteral("】（") + html(f.number);
    b += QStringLiteral(
        "）</font>有了最新动态：</p><p style='line-height:25px;margin:0;border-bottom: "
        "1px dashed #ccc;color:red;margin-top:15px;font-weight:bold;'>");
    b += html(f.state) + QStringLiteral("：") + html(f.newestTime) + ' ' + html(f.newestText);
    b += QStringLiteral("</p><p style='line-height:25px;margin:0;border-bottom: 1px dashed "
                        "#ccc;margin-top:10px;'>当前您的快递约已派送：<font "
                        "style='font-weight:bold;color:red;'>");
    b += html(f.transit);
    b += QStringLiteral("</font>（时间以<font style='font-weight:bold;color:blue;'>");
    b += html(f.company);
    b += QStringLiteral(
        "</font>公司接单起计算）</p><p style='line-height:25px;margin:0;border-bottom: 1px dashed "
        "#ccc;margin-top:10px'>感谢您使用Quorvex件踪宝,欢迎您继续支持Quorvex其他产品!</p><p "
        "style='line-height:25px;margin:0;border-bottom: 1px dashed #ccc;margin-top:15px;'><b><a "
        "href='");
    b += html(f.noticeLink);
    b += QStringLiteral(
        "' target='_blank' style='text-decoration: none;color:black;margin-top:10px'>");
    b += html(f.noticeText);
    b += QStringLiteral(
        "</a></b></p><p style='line-height:25px;margin:0;margin-top:30px;margin-right:"
        "auto'>Quorvex技术工作室</p>");
    b += QStringLiteral(
             "<p style='float:right;height:85px;width:50px;margin-top:-20px;background:url(") +
         SmallLogo + QStringLiteral(") no-repeat;'></p><p style='line-height:25px;margin:0;'>") +
         Home + QStringLiteral("</p><p style='line-height:25px;margin:0;'>");
    b += html(f.sentAt);
    b += QStringLiteral(
        "</p></div></div><div style='width:600px;margin:0 "
        "auto;background:#f9f9f9;border-top:1px solid #ececec;padding:20px 50px 30px;'>");
    b += QStringLiteral(
             "<table cellspacing='0' cellpadding='0' border='0' width='600px' height='55' "
             "style='font-size:12px;color:#919191;'><tbody><tr><td width='460'><p "
             "style='line-height:20px;margin:0 0 "
             "5px'>本邮件由Quorvex件踪宝系统自动发出，请勿回复。</p><p "
             "style='line-height:20px;margin:0 0 "
             "5px'>如果您遇到问题或需要定制推广服务，请在右上方反馈或咨询客服QQ:") +
         SupportQQ +
         QStringLiteral(
             "</p></td><td align='right' width='140' "
             "valign='bottom'></td></tr></tbody></table></div></td></tr></tbody></table>");
    return b;
}

AddressVerdict checkAddress(const QString& address) {
    if (address.isEmpty()) return AddressVerdict::Empty;
    if (!address.contains(u'@')) return AddressVerdict::NoAt;
    for (const char* word : {"com", "cn", "org", "info", "hk", "me", "net"})
        if (address.contains(QLatin1String(word), Qt::CaseInsensitive)) return AddressVerdict::Ok;
    return AddressVerdict::NoEnding;
}
