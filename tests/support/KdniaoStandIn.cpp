#include "KdniaoStandIn.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QUrlQuery>

namespace {
QByteArray json(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QJsonObject refused(const QString& reason) {
    return {{QStringLiteral("Success"), false}, {QStringLiteral("Reason"), reason}};
}
} // namespace

KdniaoStandIn::KdniaoStandIn(QString id, QString key, int dailyLimit)
    : m_id(std::move(id)), m_key(std::move(key)), m_limit(dailyLimit) {}

quint16 KdniaoStandIn::listenLocal() {
    auto* server = new QTcpServer(this);
    if (!server->listen(QHostAddress::LocalHost, 0)) return 0;
    bind(server);
    m_port = server->serverPort();
    return m_port;
}

QString KdniaoStandIn::url() const {
    return QStringLiteral("http://127.0.0.1:%1/Ebusiness/EbusinessOrderHandle.aspx").arg(m_port);
}

bool KdniaoStandIn::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    if (request.url().path() != QLatin1String("/Ebusiness/EbusinessOrderHandle.aspx") ||
        request.method() != QHttpServerRequest::Method::Post)
        return false;
    m_raw << request.body();
    const QUrlQuery form(QString::fromUtf8(request.body()).replace(u'+', u' '));
    const auto value = [&](const char* name) {
        return form.queryItemValue(QLatin1String(name), QUrl::FullyDecoded);
    };
    const QString data = value("RequestData"), type = value("RequestType");
    const QByteArray sign =
        QCryptographicHash::hash((data + m_key).toUtf8(), QCryptographicHash::Md5)
            .toHex()
            .toBase64();
    QByteArray body;
    if (value("EBusinessID") != m_id || value("DataSign").toLatin1() != sign ||
        value("DataType") != QLatin1String("2")) {
        body = json(refused(QStringLiteral("数据签名验证失败,请检查EBusinessID和ApiKey")));
    } else if (++m_used > m_limit) {
        body = json(refused(QStringLiteral("今日调用次数已超过上限")));
    } else {
        QJsonObject asked = QJsonDocument::fromJson(data.toUtf8()).object();
        asked.insert(QStringLiteral("RequestType"), type);
        m_requests << asked;
        body = answer(asked, type);
    }
    const QByteArray out = "HTTP/1.1 200 OK\r\nContent-Type: application/json;charset=UTF-8\r\n"
                           "Content-Length: " +
                           QByteArray::number(body.size()) + "\r\n\r\n" + body;
    socket->write(out);
    return true;
}

QByteArray KdniaoStandIn::answer(const QJsonObject& data, const QString& type) {
    const QString number = data.value(QStringLiteral("LogisticCode")).toString();
    const auto script = m_scripts.constFind(number);
    if (type == QLatin1String("2002")) {
        QJsonArray shippers;
        if (script != m_scripts.cend() && !script->shipper.isEmpty())
            shippers.append(QJsonObject{{QStringLiteral("ShipperCode"), script->shipper},
                                        {QStringLiteral("ShipperName"), QStringLiteral("快递")}});
        return json({{QStringLiteral("EBusinessID"), m_id},
                     {QStringLiteral("Success"), true},
                     {QStringLiteral("LogisticCode"), number},
                     {QStringLiteral("Shippers"), shippers}});
    }
    if (type != QLatin1String("1002")) return json(refused(QStringLiteral("RequestType错误")));
    const QString shipper = data.value(QStringLiteral("ShipperCode")).toString();
    QJsonObject a{{QStringLiteral("EBusinessID"), m_id},
                  {QStringLiteral("ShipperCode"), shipper},
                  {QStringLiteral("LogisticCode"), number}};
    if (script == m_scripts.cend()) {
        a.insert(QStringLiteral("Success"), true);
        a.insert(QStringLiteral("State"), QStringLiteral("0"));
        a.insert(QStringLiteral("Reason"), QStringLiteral("暂无轨迹信息"));
        a.insert(QStringLiteral("Traces"), QJsonArray());
        return json(a);
    }
    // 顺丰 and 中通 answer only with the last four digits of a phone.
    if ((shipper == QLatin1String("SF") || shipper == QLatin1String("ZTO")) &&
        data.value(QStringLiteral("CustomerName")).toString() != script->customerName)
        return json(refused(QStringLiteral("顺丰、中通需要提供正确的CustomerName(手机号后四位)")));
    QJsonArray traces;
    for (const auto& [time, station] : script->traces)
        traces.append(QJsonObject{{QStringLiteral("AcceptTime"), time},
                                  {QStringLiteral("AcceptStation"), station},
                                  {QStringLiteral("Location"), QStringLiteral("北京市")}});
    a.insert(QStringLiteral("Success"), true);
    a.insert(QStringLiteral("State"), script->state);
    if (!script->stateEx.isEmpty()) a.insert(QStringLiteral("StateEx"), script->stateEx);
    a.insert(QStringLiteral("Traces"), traces);
    return json(a);
}

void KdniaoStandIn::missingHandler(const QHttpServerRequest&, QTcpSocket* socket) {
    socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
}
