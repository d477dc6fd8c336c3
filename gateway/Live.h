// The live mode: answers the program's tracking and auto-number requests by
// asking the tracking service's enterprise API and translating (LiveText.h).
// Answers are kept per number for a few minutes, since the service bills per
// query and limits the rate, and concurrent requests for one number share one
// upstream call. The key goes only into the signature and the auto-number
// request; it never appears in a log line or an answer.
#pragma once

#include "gateway/LiveText.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <functional>

struct LiveEndpoints {
    QString poll = QStringLiteral("https://poll.kuaidi100.com/poll/query.do");
    QString autoNumber = QStringLiteral("https://www.kuaidi100.com/autonumber/auto");
};

class LiveService : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const QByteArray& answer)>;

    LiveService(LiveAccount account, LiveEndpoints endpoints = {}, QObject* parent = nullptr);

    // How long an answer is reused, and how long the service is waited for
    // (shorter than the program's own ten-second watchdog).
    int cacheMs = 5 * 60 * 1000;
    int upstreamTimeoutMs = 8000;

    void track(const QString& com, const QString& number, Done done);
    void autoNumber(const QString& number, Done done);
    int upstreamCalls() const { return m_calls; }

private:
    struct Cached {
        qint64 at = 0;
        QByteArray answer;
    };
    bool served(const QString& key, Done& done);
    void finish(const QString& key, const QByteArray& answer, bool keep);

    LiveAccount m_account;
    LiveEndpoints m_endpoints;
    QNetworkAccessManager m_net;
    QElapsedTimer m_clock;
    QHash<QString, Cached> m_cache;
    QHash<QString, QList<Done>> m_waiting; // calls under way, with everyone waiting for them
    int m_calls = 0;
};
