#include "EnterpriseStandIn.h"
#include "gateway/Gateway.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTimer>
#include <QUrlQuery>

namespace {
// The documented name of a state code (the base states, and the finer codes
// of resultv2 4 the tests use).
QString stateName(int code) {
    static const QHash<int, QString> names = {{0, "在途"},
                                              {1, "揽收"},
                                              {2, "疑难"},
                                              {3, "签收"},
                                              {4, "退签"},
                                              {5, "派件"},
                                              {6, "退回"},
                                              {7, "转投"},
                                              {8, "清关"},
                                              {10, "待清关"},
                                              {11, "清关中"},
                                              {12, "已清关"},
                                              {13, "清关异常"},
                                              {14, "拒签"},
                                              {101, "已下单"},
                                              {102, "待揽收"},
                                              {103, "已揽收"},
                                              {1001, "到达派件城市"},
                                              {1002, "干线"},
                                              {1003, "转递"},
                                              {501, "投柜或驿站"},
                                              {301, "本人签收"},
                                              {302, "派件异常后签收"},
                                              {303, "代签"},
                                              {304, "投柜或站签收"},
                                              {401, "已销单"}};
    return names.value(code);
}

// A finer code's base state: 501 is 5, 1002 is 0.
int baseState(int code) {
    return code >= 1000 ? 0 : code >= 100 ? code / 100 : code;
}

QByteArray failure(const char* code, const QString& message) {
    return QJsonDocument(QJsonObject{{QStringLiteral("result"), false},
                                     {QStringLiteral("returnCode"), QLatin1String(code)},
                                     {QStringLiteral("message"), message}})
        .toJson(QJsonDocument::Compact);
}
} // namespace

EnterpriseStandIn::EnterpriseStandIn(QString customer, QString key)
    : m_customer(std::move(customer)), m_key(std::move(key)) {}

quint16 EnterpriseStandIn::listenLocal() {
    auto* server = new QTcpServer(this);
    if (!server->listen(QHostAddress::LocalHost, 0)) return 0;
    bind(server);
    m_port = server->serverPort();
    return m_port;
}

QString EnterpriseStandIn::pollUrl() const {
    return QStringLiteral("http://127.0.0.1:%1/poll/query.do").arg(m_port);
}
QString EnterpriseStandIn::autoUrl() const {
    return QStringLiteral("http://127.0.0.1:%1/autonumber/auto").arg(m_port);
}

void EnterpriseStandIn::releaseHanging() {
    for (const QPointer<QTcpSocket>& s : std::as_const(m_hanging))
        if (s) s->abort();
    m_hanging.clear();
}

QStringList EnterpriseStandIn::asked() const {
    QStringList numbers;
    for (const QJsonObject& p : m_params)
        numbers << p.value(QStringLiteral("num")).toString();
    return numbers;
}

void EnterpriseStandIn::send(QTcpSocket* socket, int status, const QByteArray& body, int delayMs,
                             const QByteArray& headers) {
    const QByteArray out = "HTTP/1.1 " + QByteArray::number(status) +
                           (status == 200 ? " OK" : " Not OK") + "\r\n" + headers +
                           "Content-Type: application/json;charset=UTF-8\r\nContent-Length: " +
                           QByteArray::number(body.size()) + "\r\n\r\n" + body;
    QTimer::singleShot(delayMs, this, [s = QPointer<QTcpSocket>(socket), out] {
        if (s) s->write(out);
    });
}

bool EnterpriseStandIn::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    ++m_calls;
    const QString path = request.url().path();
    if (path == QLatin1String("/autonumber/auto")) {
        m_raw << request.url().query().toUtf8();
        const QUrlQuery q(request.url());
        if (q.queryItemValue(QStringLiteral("key"), QUrl::FullyDecoded) != m_key) {
            send(socket, 200, failure("601", QStringLiteral("key过期")));
            return true;
        }
        const QString num = q.queryItemValue(QStringLiteral("num"));
        if (num.startsWith(QLatin1String("FLOOD")))
            flood(socket, &m_flooded);
        else if (num.startsWith(QLatin1String("FAIL")))
            send(socket, 500, "<html>500</html>");
        else
            send(socket, 200, "[{\"comCode\":\"yuantong\",\"lengthPre\":13,\"noCount\":1}]");
        return true;
    }
    if (path != QLatin1String("/poll/query.do") ||
        request.method() != QHttpServerRequest::Method::Post)
        return false;
    m_raw << request.body();
    const QUrlQuery form(QString::fromUtf8(request.body()).replace(u'+', u' '));
    const QString customer = form.queryItemValue(QStringLiteral("customer"), QUrl::FullyDecoded);
    const QString param = form.queryItemValue(QStringLiteral("param"), QUrl::FullyDecoded);
    const QString sign = form.queryItemValue(QStringLiteral("sign"), QUrl::FullyDecoded);
    const QByteArray expected =
        QCryptographicHash::hash((param + m_key + customer).toUtf8(), QCryptographicHash::Md5)
            .toHex()
            .toUpper();
    if (customer != m_customer || sign.toLatin1() != expected) {
        send(socket, 200, failure("503", QStringLiteral("验证签名失败")));
        return true;
    }
    const QJsonObject p = QJsonDocument::fromJson(param.toUtf8()).object();
    m_params << p;
    const QString com = p.value(QStringLiteral("com")).toString();
    const QString num = p.value(QStringLiteral("num")).toString();
    if (com.isEmpty() || num.isEmpty()) {
        send(socket, 200, failure("400", QStringLiteral("找不到对应公司")));
        return true;
    }
    Script unknown;
    unknown.behaviour = Behaviour::NoResult;
    const Script s = m_scripts.value(num, unknown);
    switch (s.behaviour) {
    case Behaviour::Hang:
        m_hanging << socket;
        return true;
    case Behaviour::Trickle: {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                      "Content-Length: 100000\r\n\r\n");
        auto* drip = new QTimer(socket);
        connect(drip, &QTimer::timeout, socket, [socket] { socket->write(" "); });
        drip->start(100);
        return true;
    }
    case Behaviour::Huge:
        send(socket, 200, "{\"message\":\"" + QByteArray(2 << 20, 'x') + "\"}");
        return true;
    case Behaviour::Flood:
        flood(socket, &m_flooded);
        return true;
    case Behaviour::Redirect:
        send(socket, 307, "{}", 0, "Location: " + s.location.toUtf8() + "\r\n");
        return true;
    case Behaviour::Close:
        socket->disconnectFromHost();
        return true;
    case Behaviour::Busy:
        send(socket, 429, "{}", 0, "Retry-After: 600\r\n");
        return true;
    case Behaviour::ServerError:
        send(socket, 500, "<html><body>500 Internal Server Error</body></html>", s.delayMs);
        return true;
    case Behaviour::OverQuota:
        send(socket, 200, failure("601", QStringLiteral("POLL:查询次数已达上限")), s.delayMs);
        return true;
    case Behaviour::NoResult:
        send(socket, 200, failure("500", QStringLiteral("查询无结果，请隔段时间再查")), s.delayMs);
        return true;
    case Behaviour::OtherNumber:
    case Behaviour::Malformed:
    case Behaviour::Duplicated:
    case Behaviour::NeedsPhone:
        if (p.value(QStringLiteral("phone")).toString() != s.phone) {
            send(socket, 200, failure("408", QStringLiteral("手机号码后四位校验失败")), s.delayMs);
            return true;
        }
        [[fallthrough]];
    case Behaviour::Moving: {
        QJsonArray data;
        const int times = s.behaviour == Behaviour::Duplicated ? 40 : 1;
        // Asked with resultv2 4, the answer and each entry carry the finer state.
        const bool finer = p.value(QStringLiteral("resultv2")).toString() == QLatin1String("4");
        const int code = s.state.toInt();
        const int state = finer ? code : baseState(code);
        for (qsizetype e = 0; e < s.entries.size(); ++e) {
            const auto& [time, context] = s.entries[e];
            const int its = e == 0 ? state : finer ? 1002 : 0;
            QJsonObject entry{{QStringLiteral("time"), time},
                              {QStringLiteral("ftime"), time},
                              {QStringLiteral("context"), context},
                              {QStringLiteral("location"), QJsonValue()},
                              {QStringLiteral("areaName"), QJsonValue()},
                              {QStringLiteral("status"), stateName(its)}};
            if (finer) entry.insert(QStringLiteral("statusCode"), QString::number(its));
            for (int i = 0; i < times; ++i)
                data.append(entry);
        }
        if (s.behaviour == Behaviour::Malformed)
            for (int i = 0; i < 100000; ++i)
                data.append(i);
        const QString nu = s.behaviour == Behaviour::OtherNumber ? num + QStringLiteral("0") : num;
        const QJsonObject answer{
            {QStringLiteral("message"), QStringLiteral("ok")},
            {QStringLiteral("nu"), nu},
            // 1 once signed for, returned ones too
            {QStringLiteral("ischeck"), baseState(code) == 3 || baseState(code) == 4
                                            ? QStringLiteral("1")
                                            : QStringLiteral("0")},
            {QStringLiteral("condition"), QStringLiteral("00")},
            {QStringLiteral("com"), com},
            {QStringLiteral("status"), QStringLiteral("200")},
            {QStringLiteral("state"), QString::number(state)},
            {QStringLiteral("data"), data}};
        send(socket, 200, QJsonDocument(answer).toJson(QJsonDocument::Compact), s.delayMs);
        return true;
    }
    }
    return true;
}

void EnterpriseStandIn::missingHandler(const QHttpServerRequest&, QTcpSocket* socket) {
    send(socket, 500, "not found");
}
