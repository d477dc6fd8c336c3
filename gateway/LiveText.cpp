#include "gateway/LiveText.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QUrl>

LiveAccount parseGatewayConf(const QString& text) {
    LiveAccount account;
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
        if (section == QLatin1String("account") && name == QLatin1String("customer"))
            account.customer = value;
        else if (section == QLatin1String("account") && name == QLatin1String("key"))
            account.key = value;
        else if (section == QLatin1String("phone") && !value.isEmpty())
            account.phones.insert(name, value);
    }
    return account;
}

QByteArray liveParam(const QString& com, const QString& num, const QString& phone) {
    QJsonObject param{{QStringLiteral("com"), com},
                      {QStringLiteral("num"), num},
                      {QStringLiteral("order"), QStringLiteral("desc")}};
    if (!phone.isEmpty()) param.insert(QStringLiteral("phone"), phone);
    return QJsonDocument(param).toJson(QJsonDocument::Compact);
}

QByteArray liveSign(const QByteArray& param, const QString& key, const QString& customer) {
    return QCryptographicHash::hash(param + key.toUtf8() + customer.toUtf8(),
                                    QCryptographicHash::Md5)
        .toHex()
        .toUpper();
}

QByteArray liveForm(const QString& customer, const QByteArray& param, const QByteArray& sign) {
    return "customer=" + QUrl::toPercentEncoding(customer) +
           "&param=" + QUrl::toPercentEncoding(QString::fromUtf8(param)) + "&sign=" + sign;
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

QByteArray programAnswer(std::optional<int> httpStatus, const QByteArray& body) {
    if (httpStatus != 200) return programError(3);
    const QJsonObject answer = QJsonDocument::fromJson(body).object();
    if (answer.isEmpty()) return programError(3);
    if (answer.value(QStringLiteral("result")).toBool(true) == false ||
        answer.contains(QStringLiteral("returnCode"))) {
        const QString code = answer.value(QStringLiteral("returnCode")).toVariant().toString();
        if (code == QLatin1String("500") || code == QLatin1String("408")) return programError(1);
        if (code == QLatin1String("400") || code == QLatin1String("503")) return programError(20);
        if (code == QLatin1String("601")) return programError(22);
        return programError(3);
    }
    if (answer.value(QStringLiteral("status")).toVariant().toString() != QLatin1String("200") ||
        !answer.value(QStringLiteral("data")).isArray())
        return programError(3);
    QByteArray entries;
    for (const QJsonValue& v : answer.value(QStringLiteral("data")).toArray()) {
        const QJsonObject e = v.toObject();
        if (!entries.isEmpty()) entries += ',';
        entries += "{\"time\":" + jsonText(e.value(QStringLiteral("time")).toString()) +
                   ",\"ftime\":" + jsonText(e.value(QStringLiteral("ftime")).toString()) +
                   ",\"context\":" + jsonText(e.value(QStringLiteral("context")).toString()) + '}';
    }
    return "{\"message\":\"ok\",\"errCode\":\"0\",\"data\":[" + entries + "]}";
}

QByteArray programAutoNumber(std::optional<int> httpStatus, const QByteArray& body) {
    if (httpStatus != 200 || !QJsonDocument::fromJson(body).isArray()) return "[]";
    return body;
}
