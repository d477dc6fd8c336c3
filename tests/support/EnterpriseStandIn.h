// A stand-in of the tracking service's enterprise API on loopback, written
// from its public documentation: the real-time query (POST, form fields
// customer, param and sign = upper-case MD5 of param + key + customer) and
// the auto-number service (num and key). It checks what it is sent and
// answers as each number is scripted.
#pragma once

#include <QAbstractHttpServer>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTcpSocket>

class EnterpriseStandIn : public QAbstractHttpServer {
    Q_OBJECT
public:
    // Trickle: an answer that arrives one byte every 100 ms; Huge: one of
    // 2 MB; Flood: a chunked one that never ends, as fast as it is taken.
    // The hostile ones: OtherNumber answers about another number, Malformed
    // holds a list of 100,000 non-objects, Duplicated each entry 40 times,
    // Redirect sends the client to location, Close drops the connection
    // unanswered, Busy is 429 with Retry-After: 600.
    enum class Behaviour {
        Moving,
        NoResult,
        OverQuota,
        ServerError,
        Hang,
        NeedsPhone,
        Trickle,
        Huge,
        Flood,
        OtherNumber,
        Malformed,
        Duplicated,
        Redirect,
        Close,
        Busy
    };
    struct Script {
        Behaviour behaviour = Behaviour::Moving;
        QList<QPair<QString, QString>> entries; // (time, context), newest first
        QString phone;                          // NeedsPhone: the phone it wants
        int delayMs = 0;
        QString location = {}; // Redirect: where to
        // The parcel's state as the service gives it asked with resultv2 4
        // (the finer code, 501 or 304 …); asked without, its base state (5, 3 …).
        QString state = QStringLiteral("0");
    };

    EnterpriseStandIn(QString customer, QString key);
    quint16 listenLocal();
    QString pollUrl() const;
    QString autoUrl() const;

    void script(const QString& number, Script s) { m_scripts[number] = std::move(s); }
    int calls() const { return m_calls; }
    // The bytes every flood so far got into its connection.
    qint64 flooded() const { return m_flooded; }
    // Every param the real-time query received, decoded.
    const QList<QJsonObject>& params() const { return m_params; }
    // Every request body and query string, as sent.
    const QList<QByteArray>& raw() const { return m_raw; }
    void releaseHanging();
    // Every number the real-time query was asked about, in order.
    QStringList asked() const;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    void send(QTcpSocket* socket, int status, const QByteArray& body, int delayMs = 0,
              const QByteArray& headers = {});

    QString m_customer, m_key;
    QHash<QString, Script> m_scripts;
    QList<QJsonObject> m_params;
    QList<QByteArray> m_raw;
    QList<QPointer<QTcpSocket>> m_hanging;
    quint16 m_port = 0;
    int m_calls = 0;
    qint64 m_flooded = 0;
};
