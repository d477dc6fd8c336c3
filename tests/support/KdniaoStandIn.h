// A stand-in of 快递鸟's API on loopback, written from its public
// documentation: one address takes form posts of RequestData, EBusinessID,
// RequestType (1002 the real-time query, 2002 the number recognition),
// DataSign (Base64 of the lower-case hex MD5 of RequestData + API key) and
// DataType 2. It checks what it is sent, counts the day's calls against a
// limit, and answers as each number is scripted, traces oldest first.
#pragma once

#include <QAbstractHttpServer>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QTcpSocket>

class KdniaoStandIn : public QAbstractHttpServer {
    Q_OBJECT
public:
    struct Script {
        QList<QPair<QString, QString>> traces; // (AcceptTime, AcceptStation), oldest first
        QString state = QStringLiteral("2");   // State
        QString stateEx = {};                  // StateEx; none when empty
        QString customerName = {};             // 顺丰 and 中通: the four digits it wants
        QString shipper = {};                  // 2002: the ShipperCode it recognises
    };

    KdniaoStandIn(QString id, QString key, int dailyLimit = 500);
    quint16 listenLocal();
    QString url() const;

    void script(const QString& number, Script s) { m_scripts[number] = std::move(s); }
    // Every RequestData received with a good signature, decoded, with its
    // RequestType as "RequestType".
    const QList<QJsonObject>& requests() const { return m_requests; }
    // Every request body as sent.
    const QList<QByteArray>& raw() const { return m_raw; }
    int calls() const { return int(m_raw.size()); }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    QByteArray answer(const QJsonObject& data, const QString& type);

    QString m_id, m_key;
    int m_limit;
    int m_used = 0;
    QHash<QString, Script> m_scripts;
    QList<QJsonObject> m_requests;
    QList<QByteArray> m_raw;
    quint16 m_port = 0;
};
