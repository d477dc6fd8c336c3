// The tests' stand-in for the online services, on loopback: the tracking
// query (root path), the auto-number service, the version and announcement
// files, and a Date header on every answer and on HEAD. Parcels are
// simulated; tests can script the answer for any number. It carries no
// account of any service.
#pragma once

#include <QAbstractHttpServer>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTcpSocket>
#include <QUrlQuery>
#include <functional>
#include <optional>

struct Scripted {
    QByteArray body;
    int status = 200;
    int delayMs = 0;   // answer this much later
    bool hang = false; // never answer
    int cutAfter = -1; // send only this many bytes of the body, then drop the connection
    QByteArray contentType = "application/json;charset=UTF-8";
    bool flood = false;       // a chunked body as fast as the connection takes it, never ending
    QByteArray location = {}; // not empty: a redirect there (with the status given)
};

// Writes a chunked answer that never ends into the socket as fast as it takes
// it, adding every byte the socket took to *written, until it closes.
void flood(QTcpSocket* socket, qint64* written);

class Gateway : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit Gateway(QObject* parent = nullptr);
    ~Gateway() override;

    // Listens on 127.0.0.1; port 0 picks a free one. Returns the port, 0 on failure.
    quint16 listenLocal(quint16 port = 0);
    QString baseUrl() const;

    void script(const QString& number, const Scripted& answer) { m_scripts[number] = answer; }
    // The auto-number service's answer for a number.
    void scriptAutoNumber(const QString& number, const Scripted& answer) {
        m_autoScripts[number] = answer;
    }
    // What the auto-number service was asked, in order.
    const QStringList& autoNumberQueries() const { return m_autoQueries; }
    void setVersion(const Scripted& answer) { m_version = answer; }
    // The page at "/" (the connectivity probe and the time source).
    void setPage(const Scripted& answer) { m_page = answer; }
    // The Date header of every answer from now on: this text, or none at all
    // (nothing); by default the real time.
    void setDateHeader(std::optional<QByteArray> date) {
        m_dateScripted = true;
        m_date = std::move(date);
    }
    void setNotice(const Scripted& answer) { m_notice = answer; }
    // Simulated time runs speed times faster than real time from the start.
    void setSpeed(double speed) { m_speed = speed; }
    void setAnchor(const QDateTime& anchor) { m_anchor = anchor; }
    QDateTime simulatedNow() const;

    // What arrived: each tracking query's decoded keys, in order.
    const QList<QUrlQuery>& trackingQueries() const { return m_trackingQueries; }
    int requestCount() const { return m_requests; }
    // The bytes every flood so far got into its connection.
    qint64 flooded() const { return m_flooded; }
    // Drops the connections of answers that hang, so waiting clients return.
    void releaseHanging();

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    void answer(QTcpSocket* socket, const Scripted& reply, bool head);

    QHash<QString, Scripted> m_scripts, m_autoScripts;
    QStringList m_autoQueries;
    Scripted m_version, m_notice, m_page;
    std::optional<QByteArray> m_date;
    bool m_dateScripted = false;
    QList<QUrlQuery> m_trackingQueries;
    QList<QPointer<QTcpSocket>> m_hanging;
    QDateTime m_anchor, m_started;
    double m_speed = 1.0;
    quint16 m_port = 0;
    int m_requests = 0;
    qint64 m_flooded = 0;
};
