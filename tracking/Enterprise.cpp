#include "tracking/Enterprise.h"
#include "tracking/Answer.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>

AccountFile parseAccountFile(const QString& text) {
    AccountFile file;
    QString section;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;
        const QString name = line.left(eq).trimmed(), value = line.mid(eq + 1).trimmed();
        if (section == QLatin1String("account")) {
            if (name == QLatin1String("customer")) file.account.customer = value;
            if (name == QLatin1String("key")) file.account.key = value;
            if (name == QLatin1String("phone")) file.account.phone = value;
            if (name == QLatin1String("service"))
                file.account.service = value == QLatin1String("kdniao")
                                           ? TrackingService::Kdniao
                                           : TrackingService::Kuaidi100;
        } else if (section == QLatin1String("kdniao")) {
            if (name == QLatin1String("id")) file.account.kdniaoId = value;
            if (name == QLatin1String("key")) file.account.kdniaoKey = value;
        } else if (section == QLatin1String("phone") && !value.isEmpty()) {
            file.phones.insert(name, value);
        }
    }
    return file;
}

QByteArray accountFileText(const TrackingAccount& account) {
    const auto line = [](const char* name, QString value) {
        value.remove(u'\r').remove(u'\n');
        return QByteArray(name) + " = " + value.trimmed().toUtf8() + '\n';
    };
    return "# 件踪宝: your accounts of the tracking services (readable by you alone)\n[account]\n" +
           line("service", account.service == TrackingService::Kdniao
                               ? QStringLiteral("kdniao")
                               : QStringLiteral("kuaidi100")) +
           line("customer", account.customer) + line("key", account.key) +
           line("phone", account.phone) + "[kdniao]\n" + line("id", account.kdniaoId) +
           line("key", account.kdniaoKey);
}

bool isPhoneText(const QString& text) {
    static const QRegularExpression phone(
        QStringLiteral("^(?:\\d{4}|1\\d{10}|0\\d{2,3}-?\\d{7,8}|1\\d{10}-\\d{4})$"));
    return phone.match(text).hasMatch();
}

QString phoneForService(const QString& phone) {
    const qsizetype dash = phone.indexOf(u'-');
    return phone.startsWith(u'1') && dash == 11 ? phone.mid(dash + 1) : phone;
}

bool needsPhone(const QString& com) {
    return com == QLatin1String("shunfeng") || com == QLatin1String("shunfengkuaiyun") ||
           com == QLatin1String("zhongtong");
}

QString phoneToSend(const QString& com, const QString& parcelPhone, const QString& accountPhone) {
    if (!parcelPhone.isEmpty()) return phoneForService(parcelPhone);
    return needsPhone(com) ? phoneForService(accountPhone) : QString();
}

QByteArray enterpriseParam(const QString& com, const QString& num, const QString& phone) {
    QJsonObject param{{QStringLiteral("com"), com},
                      {QStringLiteral("num"), num},
                      {QStringLiteral("order"), QStringLiteral("desc")},
                      {QStringLiteral("resultv2"), QStringLiteral("4")}};
    if (!phone.isEmpty()) param.insert(QStringLiteral("phone"), phone);
    return QJsonDocument(param).toJson(QJsonDocument::Compact);
}

QByteArray enterpriseSign(const QByteArray& param, const QString& key, const QString& customer) {
    return QCryptographicHash::hash(param + key.toUtf8() + customer.toUtf8(),
                                    QCryptographicHash::Md5)
        .toHex()
        .toUpper();
}

QByteArray enterpriseForm(const QString& customer, const QByteArray& param,
                          const QByteArray& sign) {
    return "customer=" + QUrl::toPercentEncoding(customer) +
           "&param=" + QUrl::toPercentEncoding(QString::fromUtf8(param)) + "&sign=" + sign;
}

QString enterpriseAutoNumberUrl(const QString& endpoint, const QString& number,
                                const QString& key) {
    QUrl url(endpoint);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("num"), QString::fromLatin1(QUrl::toPercentEncoding(number)));
    query.addQueryItem(QStringLiteral("key"), QString::fromLatin1(QUrl::toPercentEncoding(key)));
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

QByteArray programError(int code) {
    return "{\"message\":\"\",\"errCode\":\"" + QByteArray::number(code) + "\",\"data\":[]}";
}

namespace {
// A JSON string as the program's answers write it: every "/" as "\/".
QByteArray jsonText(const QString& text) {
    QByteArray quoted = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    quoted = quoted.mid(1, quoted.size() - 2); // the one string inside [ ]
    return quoted.replace("/", "\\/");
}
} // namespace

ServiceAnswer serviceError(int code, bool keep, const QString& failure) {
    return {programError(code), false, keep, false, failure, false};
}

// A failure the number is not asked about again for a while.
ServiceAnswer pacedFailure(const QString& failure) {
    return {programError(3), false, false, true, failure, false};
}

QString field(const QJsonObject& o, const char* name) {
    return o.value(QLatin1String(name)).toVariant().toString().trimmed();
}

std::optional<ServiceAnswer> httpFailure(std::optional<int> httpStatus) {
    if (httpStatus && *httpStatus >= 300 && *httpStatus < 400)
        return pacedFailure(QStringLiteral("查询服务要求转到其他地址,件踪宝没有跟随,请稍后再试.."));
    if (httpStatus == 429) return pacedFailure(QStringLiteral("查询服务繁忙,请稍后再试.."));
    if (httpStatus != 200) return pacedFailure();
    return std::nullopt;
}

const QString MalformedAnswer = QStringLiteral("查询服务返回的结果格式有误,已忽略,请稍后再试..");
const QString OtherNumberAnswer =
    QStringLiteral("查询服务返回的不是该快递单号的结果,已忽略,请稍后再试..");

std::optional<QByteArray> programEntries(const QJsonArray& data, const EntryKeys& keys) {
    if (data.size() > MaxEntries) return std::nullopt;
    QList<QByteArray> entries;
    QSet<QPair<QString, QString>> seen;
    for (const QJsonValue& v : data) {
        const QJsonObject e = v.toObject();
        const QJsonValue time = e.value(QLatin1String(keys.time)),
                         context = e.value(QLatin1String(keys.text));
        if (!v.isObject() || !time.isString() || !context.isString()) return std::nullopt;
        const QString t = shownText(time.toString()).trimmed(),
                      f = keys.betterTime
                              ? shownText(e.value(QLatin1String(keys.betterTime)).toString())
                                    .trimmed()
                              : QString(),
                      c = shownText(context.toString()).trimmed();
        if (t.isEmpty() || c.isEmpty()) return std::nullopt;
        const QString when = f.isEmpty() ? t : f;
        if (seen.contains({when, c})) continue; // given twice: counted once
        seen.insert({when, c});
        entries << "{\"time\":" + jsonText(when) + ",\"context\":" + jsonText(c) + '}';
    }
    if (keys.oldestFirst) std::reverse(entries.begin(), entries.end());
    return entries.join(',');
}

ServiceAnswer progressAnswer(const QByteArray& entries, const QByteArray& stateKey) {
    return {"{\"message\":\"ok\",\"errCode\":\"0\"" + stateKey + ",\"data\":[" + entries + "]}",
            false,
            true,
            false,
            {},
            false};
}

ServiceAnswer readEnterpriseAnswer(std::optional<int> httpStatus, const QByteArray& body,
                                   const QString& com, const QString& number) {
    if (auto failed = httpFailure(httpStatus)) return *failed;
    const QJsonObject answer = QJsonDocument::fromJson(body).object();
    if (answer.isEmpty()) return pacedFailure();
    if (answer.value(QStringLiteral("result")).toBool(true) == false ||
        answer.contains(QStringLiteral("returnCode"))) {
        const QString code = field(answer, "returnCode");
        const QString message = field(answer, "message");
        if (code == QLatin1String("408") ||
            (code != QLatin1String("500") && (message.contains(QStringLiteral("手机")) ||
                                              message.contains(QStringLiteral("电话")))))
            return {programError(1), true, false, false, {}, false};
        if (code == QLatin1String("500")) return serviceError(1, true);
        if (code == QLatin1String("503")) {
            ServiceAnswer refused = serviceError(
                20, false,
                QStringLiteral(
                    "快递100拒绝了查询账户的签名:授权码或key不正确,请按F9在\"查询账户\"中检查.."));
            refused.accountRefused = true;
            return refused;
        }
        if (code == QLatin1String("400"))
            return serviceError(20, false,
                                QStringLiteral("快递100拒绝了这次查询:请检查所选的快递公司是否正确,"
                                               "以及查询账户是否已开通实时查询并已充值.."));
        if (code == QLatin1String("601"))
            return serviceError(22, false,
                                QStringLiteral("快递100查询账户的查询次数已用完或key已过期,"
                                               "请到快递100充值后再查询.."));
        return pacedFailure(QStringLiteral("快递100暂时无法查询,请稍后再试.."));
    }
    if (field(answer, "status") != QLatin1String("200") ||
        !answer.value(QStringLiteral("data")).isArray())
        return pacedFailure(MalformedAnswer);
    // The answer is about this number and this courier, or it is not taken.
    const QString nu = field(answer, "nu"), itsCom = field(answer, "com");
    if ((!nu.isEmpty() && nu.compare(number.trimmed(), Qt::CaseInsensitive) != 0) ||
        (!itsCom.isEmpty() && itsCom.compare(com, Qt::CaseInsensitive) != 0))
        return pacedFailure(OtherNumberAnswer);
    // ftime is the service's normalised time; time the courier's own text.
    const std::optional<QByteArray> entries = programEntries(
        answer.value(QStringLiteral("data")).toArray(), {"time", "context", "ftime", false});
    if (!entries) return pacedFailure(MalformedAnswer);
    // The service's own state, when it gives one that is a number.
    bool isNumber = false;
    const int state = field(answer, "state").toInt(&isNumber);
    return progressAnswer(*entries, isNumber ? ",\"state\":\"" + QByteArray::number(state) + '"'
                                             : QByteArray());
}

QByteArray programAutoNumber(std::optional<int> httpStatus, const QByteArray& body) {
    const QJsonDocument answer = QJsonDocument::fromJson(body);
    if (httpStatus == 200 && answer.isArray()) return body;
    // The service speaks, but not a list: it refuses the account (the query
    // is for paying accounts only); else it is busy or out of reach.
    if (httpStatus == 200 && answer.isObject()) return AutoNumberRefused;
    return "503";
}
