#include "platform/Platform.h"

#include <QEventLoop>
#include <QStringDecoder>
#include <QUrl>
#include <QUuid>

QString bodyText(const HttpReply& reply) {
    const QByteArray type = reply.contentType.toLower();
    const qsizetype at = type.indexOf("charset=");
    if (at >= 0) {
        QByteArray name = type.mid(at + 8);
        if (const qsizetype end = name.indexOf(';'); end >= 0) name.truncate(end);
        name = name.trimmed();
        if (name.startsWith('"') && name.endsWith('"') && name.size() >= 2)
            name = name.mid(1, name.size() - 2);
        if (!name.isEmpty() && name != "utf-8" && name != "utf8") {
            QStringDecoder decoder(name.constData());
            if (decoder.isValid()) {
                QString text = decoder.decode(reply.body);
                if (!decoder.hasError()) return text;
            }
        }
    }
    return QString::fromUtf8(reply.body);
}

HttpReply Http::wait(const HttpRequest& request) {
    std::optional<HttpReply> result;
    QEventLoop wait;
    send(request, &wait, [&](HttpReply reply) {
        result = std::move(reply);
        wait.quit();
    });
    if (!result) wait.exec();
    return std::move(*result);
}

HttpReply Http::get(const QString& url) {
    return wait(HttpRequest{url, {}, 0, 0});
}

std::optional<QByteArray> Http::headDate(const QString& url) {
    HttpRequest request{url, {}, 0, 0};
    request.head = true;
    const HttpReply reply = wait(request);
    if (reply.date.isEmpty()) return std::nullopt;
    return reply.date;
}

namespace {
QByteArray headerValue(const QString& text) {
    QString t = text;
    t.remove(u'\r').replace(u'\n', u' ');
    return t.toUtf8();
}

// RFC 2047: non-ASCII words travel as =?UTF-8?B?…?=, in pieces short
// enough for a header line.
QByteArray encodedWord(const QString& text) {
    const QByteArray utf8 = headerValue(text);
    bool ascii = true;
    for (char c : utf8)
        ascii = ascii && uchar(c) < 128;
    if (ascii) return utf8;
    QByteArray out;
    QString rest = QString::fromUtf8(utf8);
    while (!rest.isEmpty()) {
        qsizetype n = qMin<qsizetype>(rest.size(), 15);
        if (n < rest.size() && rest[n - 1].isHighSurrogate()) --n;
        if (!out.isEmpty()) out += "\r\n ";
        out += "=?UTF-8?B?" + rest.left(n).toUtf8().toBase64() + "?=";
        rest.remove(0, n);
    }
    return out;
}
} // namespace

QByteArray mimeMessage(const Mail& mail) {
    QByteArray m;
    m += "Date: " + mail.date.toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    m += "From: <" + headerValue(mail.from) + ">\r\n";
    m += "To: <" + headerValue(mail.to) + ">\r\n";
    m += "Subject: " + encodedWord(mail.subject) + "\r\n";
    m += "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) +
         "@jianzongbao>\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: text/html; charset=UTF-8\r\n";
    m += "Content-Transfer-Encoding: base64\r\n\r\n";
    const QByteArray body = mail.html.toUtf8().toBase64();
    for (qsizetype i = 0; i < body.size(); i += 76)
        m += body.mid(i, 76) + "\r\n";
    return m;
}

bool isLoopbackRelay(const QString& url) {
    const QString host = QUrl(url).host();
    if (host == QLatin1String("localhost") || host == QLatin1String("::1")) return true;
    // An address 127.x.y.z, written as one: "127.0.0.1.example.com" is a name.
    const QStringList parts = host.split(u'.');
    if (parts.size() != 4 || parts[0] != QLatin1String("127")) return false;
    for (const QString& part : parts) {
        bool number = false;
        if (part.toUInt(&number) > 255 || !number) return false;
    }
    return true;
}
