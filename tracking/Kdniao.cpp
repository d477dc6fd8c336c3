#include "tracking/Kdniao.h"
#include "tracking/Answer.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

QByteArray kdniaoTrackData(const QString& shipper, const QString& number,
                           const QString& customerName) {
    QJsonObject data{{QStringLiteral("ShipperCode"), shipper},
                     {QStringLiteral("LogisticCode"), number}};
    if (!customerName.isEmpty()) data.insert(QStringLiteral("CustomerName"), customerName);
    return QJsonDocument(data).toJson(QJsonDocument::Compact);
}

QByteArray kdniaoDetectData(const QString& number) {
    return QJsonDocument(QJsonObject{{QStringLiteral("LogisticCode"), number}})
        .toJson(QJsonDocument::Compact);
}

QByteArray kdniaoSign(const QByteArray& requestData, const QString& apiKey) {
    return QCryptographicHash::hash(requestData + apiKey.toUtf8(), QCryptographicHash::Md5)
        .toHex()
        .toBase64();
}

QByteArray kdniaoForm(const QString& id, const char* requestType, const QByteArray& requestData,
                      const QString& apiKey) {
    return "RequestData=" + QUrl::toPercentEncoding(QString::fromUtf8(requestData)) +
           "&EBusinessID=" + QUrl::toPercentEncoding(id) + "&RequestType=" + requestType +
           "&DataSign=" +
           QUrl::toPercentEncoding(QString::fromLatin1(kdniaoSign(requestData, apiKey))) +
           "&DataType=2";
}

QString kdniaoCustomerName(const QString& com, const QString& parcelPhone,
                           const QString& accountPhone) {
    QString digits = phoneToSend(com, parcelPhone, accountPhone);
    digits.remove(u'-');
    return digits.right(4);
}

namespace {
bool mentions(const QString& text, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (text.contains(QString::fromUtf8(w), Qt::CaseInsensitive)) return true;
    return false;
}

// A refusal of the ID or the key.
bool accountWords(const QString& reason) {
    return mentions(reason, {"签名", "DataSign", "EBusinessID", "用户ID", "商户", "ApiKey",
                             "AppKey", "未注册", "不存在的用户"});
}
} // namespace

ServiceAnswer readKdniaoAnswer(std::optional<int> httpStatus, const QByteArray& body,
                               const QString& shipper, const QString& number) {
    if (auto failed = httpFailure(httpStatus)) return *failed;
    const QJsonObject answer = QJsonDocument::fromJson(body).object();
    if (answer.isEmpty() || !answer.value(QStringLiteral("Success")).isBool())
        return pacedFailure(MalformedAnswer);
    const QString reason = shownText(field(answer, "Reason")).left(80);
    if (!answer.value(QStringLiteral("Success")).toBool()) {
        if (mentions(reason, {"CustomerName", "手机", "电话"}))
            return {programError(1), true, false, false, {}, false};
        if (accountWords(reason)) {
            ServiceAnswer refused =
                serviceError(20, false,
                             QStringLiteral("快递鸟拒绝了查询账户:用户ID或API "
                                            "key不正确,请按F9在\"查询账户\"中检查.."));
            refused.accountRefused = true;
            return refused;
        }
        // The day's calls used up: said of the calls, or of a limit of the day.
        if (mentions(reason, {"次数", "调用量", "访问量"}) ||
            (mentions(reason, {"上限"}) && mentions(reason, {"今日", "每日", "当日", "日调用"}))) {
            ServiceAnswer limit = serviceError(
                22, false, QStringLiteral("快递鸟今日的查询次数已用完,明日0点后恢复查询.."));
            limit.dayLimit = true;
            return limit;
        }
        if (mentions(reason, {"套餐", "开通", "权限", "认证"}))
            return serviceError(20, false,
                                QStringLiteral("快递鸟账户尚未开通即时查询:请登录快递鸟完成实名认证"
                                               "并开通即时查询后再查询.."));
        if (mentions(reason, {"暂无轨迹", "没有物流轨迹", "无轨迹"})) return serviceError(1, true);
        return pacedFailure(
            reason.isEmpty() ? QStringLiteral("快递鸟暂时无法查询,请稍后再试..")
                             : QStringLiteral("快递鸟暂时无法查询(%1),请稍后再试..").arg(reason));
    }
    // The answer is about this number and this courier, or it is not taken.
    const QString nu = field(answer, "LogisticCode"), itsShipper = field(answer, "ShipperCode");
    if ((!nu.isEmpty() && nu.compare(number.trimmed(), Qt::CaseInsensitive) != 0) ||
        (!itsShipper.isEmpty() && itsShipper.compare(shipper, Qt::CaseInsensitive) != 0))
        return pacedFailure(OtherNumberAnswer);
    const QJsonValue traces = answer.value(QStringLiteral("Traces"));
    if (!traces.isArray() && !traces.isNull() && !traces.isUndefined())
        return pacedFailure(MalformedAnswer);
    const std::optional<QByteArray> entries =
        programEntries(traces.toArray(), {"AcceptTime", "AcceptStation", nullptr, true});
    if (!entries) return pacedFailure(MalformedAnswer);
    bool isState = false, isEx = false;
    const int state = field(answer, "State").toInt(&isState),
              ex = field(answer, "StateEx").toInt(&isEx);
    // State 0: no trace of the number yet, as the 快递100 answer "查询无结果".
    if (entries->isEmpty() && (!isState || state == 0)) return serviceError(1, true);
    const std::optional<int> code = isEx && kdniaoState(ex) ? std::optional(ex)
                                    : isState               ? std::optional(state)
                                                            : std::nullopt;
    return progressAnswer(*entries, code ? ",\"kdniaoState\":\"" + QByteArray::number(*code) + '"'
                                         : QByteArray());
}

QByteArray programKdniaoDetection(std::optional<int> httpStatus, const QByteArray& body,
                                  const std::function<QString(const QString&)>& directoryCode) {
    const QJsonObject answer = QJsonDocument::fromJson(body).object();
    if (httpStatus != 200 || !answer.value(QStringLiteral("Success")).isBool()) return "503";
    if (!answer.value(QStringLiteral("Success")).toBool())
        return accountWords(field(answer, "Reason")) ? QByteArray(AutoNumberRefused) : "503";
    QJsonArray list;
    for (const QJsonValue& s : answer.value(QStringLiteral("Shippers")).toArray()) {
        const QString code = field(s.toObject(), "ShipperCode");
        if (!code.isEmpty())
            list.append(QJsonObject{{QStringLiteral("comCode"), directoryCode(code)}});
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact);
}
