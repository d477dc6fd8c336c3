#include "gateway/Gateway.h"
#include "services/Version.h"
#include "tracking/Simulation.h"

#include <QHostAddress>
#include <QHttpServerRequest>
#include <QLocale>
#include <QTimer>

namespace {
QByteArray httpDate() {
    return QLocale::c()
               .toString(QDateTime::currentDateTimeUtc(),
                         QStringLiteral("ddd, dd MMM yyyy hh:mm:ss"))
               .toLatin1() +
           " GMT";
}

QByteArray reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}
} // namespace

Gateway::Gateway(QObject* parent)
    : QAbstractHttpServer(parent), m_anchor(QDateTime::currentDateTime()), m_started(m_anchor) {
    m_version.body = OwnVersion.toUtf8();
    m_version.contentType = "text/plain;charset=UTF-8";
    m_notice.body =
        QStringLiteral("欢迎使用Quorvex件踪宝,祝您收件愉快!|http://www.quorvex.cn/").toUtf8();
    m_notice.contentType = "text/plain;charset=UTF-8";
    m_page.body = QByteArrayLiteral("<html><body>jianzongbao gateway</body></html>");
    m_page.contentType = "text/html;charset=UTF-8";
}

Gateway::~Gateway() = default;

quint16 Gateway::listenLocal(quint16 port) {
    m_port = listen(QHostAddress::LocalHost, port);
    return m_port;
}

QString Gateway::baseUrl() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

QDateTime Gateway::simulatedNow() const {
    const qint64 real = m_started.msecsTo(QDateTime::currentDateTime());
    return m_anchor.addMSecs(qint64(double(real) * m_speed));
}

void Gateway::releaseHanging() {
    for (const QPointer<QTcpSocket>& s : std::as_const(m_hanging))
        if (s) s->abort();
    m_hanging.clear();
}

void flood(QTcpSocket* socket, qint64* written) {
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                  "Transfer-Encoding: chunked\r\n\r\n9\r\n{\"data\":[\r\n");
    const QByteArray chunk = "10000\r\n" + QByteArray(0x10000, ' ') + "\r\n";
    const auto more = [socket, chunk] {
        while (socket->state() == QAbstractSocket::ConnectedState &&
               socket->bytesToWrite() < 4 * chunk.size())
            socket->write(chunk);
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [more, written](qint64 n) {
        *written += n;
        more();
    });
    more();
}

void Gateway::answer(QTcpSocket* socket, const Scripted& reply, bool head) {
    if (reply.hang) {
        m_hanging << socket;
        return;
    }
    if (reply.flood && !head) return flood(socket, &m_flooded);
    const std::optional<QByteArray> date = m_dateScripted ? m_date : httpDate();
    QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reason(reply.status) +
                     (date ? "\r\nDate: " + *date : QByteArray()) +
                     "\r\nContent-Type: " + reply.contentType +
                     (reply.location.isEmpty() ? QByteArray() : "\r\nLocation: " + reply.location) +
                     "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
                     "\r\nCache-Control: no-cache\r\n\r\n";
    const bool cut = !head && reply.cutAfter >= 0;
    if (!head) out += cut ? reply.body.left(reply.cutAfter) : reply.body;
    const auto send = [cut](QTcpSocket* s, const QByteArray& bytes) {
        s->write(bytes);
        if (cut) s->disconnectFromHost(); // after the bytes written so far
    };
    if (reply.delayMs <= 0) {
        send(socket, out);
        return;
    }
    QTimer::singleShot(reply.delayMs, this, [s = QPointer<QTcpSocket>(socket), out, send] {
        if (s && s->state() == QAbstractSocket::ConnectedState) send(s, out);
    });
}

bool Gateway::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    ++m_requests;
    const bool head = request.method() == QHttpServerRequest::Method::Head;
    const QString path = request.url().path();
    const QUrlQuery query = request.query();
    if (path == QLatin1String("/version.txt")) {
        answer(socket, m_version, head);
    } else if (path == QLatin1String("/notice.txt")) {
        answer(socket, m_notice, head);
    } else if (path == QLatin1String("/autonumber/auto")) {
        const QString number = query.queryItemValue(QStringLiteral("num"), QUrl::FullyDecoded);
        m_autoQueries << number;
        const auto scripted = m_autoScripts.constFind(number);
        answer(socket,
               scripted != m_autoScripts.constEnd() ? *scripted
                                                    : Scripted{autoNumberAnswer(number, m_anchor)},
               head);
    } else if (path == QLatin1String("/") || path.isEmpty()) {
        if (head || !query.hasQueryItem(QStringLiteral("nu"))) {
            // The time source and the connectivity probe.
            answer(socket, m_page, head);
            return true;
        }
        m_trackingQueries << query;
        const QString number = query.queryItemValue(QStringLiteral("nu"), QUrl::FullyDecoded);
        const auto scripted = m_scripts.constFind(number);
        if (scripted != m_scripts.constEnd())
            answer(socket, *scripted, head);
        else
            answer(socket,
                   Scripted{trackingAnswer(number, query.queryItemValue(QStringLiteral("com")),
                                           m_anchor, simulatedNow())},
                   head);
    } else {
        return false;
    }
    return true;
}

void Gateway::missingHandler(const QHttpServerRequest&, QTcpSocket* socket) {
    Scripted notFound{QByteArrayLiteral("<html><head><title>404 Not Found</title></head>"
                                        "<body><h1>Not Found</h1></body></html>"),
                      404};
    notFound.contentType = "text/html;charset=UTF-8";
    answer(socket, notFound, false);
}
