#include "platform/Platform.h"

#include <QStringDecoder>

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
