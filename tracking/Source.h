// Where tracking answers come from. One seam serves the window's query (which
// waits for it with the window processing events) and the whole-book watch;
// its sources are the tracking service's enterprise API with the user's own
// account, the demo's simulation (only in demo mode), and a plain GET of a
// configured address (a gateway: the tests' stand-in, or anyone who runs one).
#pragma once

#include "platform/Platform.h"
#include "tracking/Enterprise.h"
#include "tracking/Reading.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class Store;

struct TrackRequest {
    QString com, number;
    QString phone; // the parcel's own phone, when it has one
};

class TrackingSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // False while nothing can be asked (no account): callers send nothing.
    virtual bool ready() const { return true; }
    virtual bool simulates() const { return false; }
    // Starts a request; done runs later on this object's thread, never before
    // the call returns. Calling the returned function gives the request up:
    // done then never runs.
    virtual std::function<void()> track(const TrackRequest& request,
                                        std::function<void(TrackReply)> done) = 0;
    // The auto-number answer for a number (a JSON list; empty when none came).
    virtual std::function<void()> autoNumber(const QString& number,
                                             std::function<void(QString)> done) = 0;
    // What the add panel says when the service refuses the account's detection.
    virtual QString detectionRefused() const;
    // The question when the service refused the account.
    virtual QString accountRefused() const;
};

// Waits for a request's answer while the window keeps processing its events
// (clicks, timers, even another query, which then finishes first).
template <class R>
R waitFor(const std::function<std::function<void()>(std::function<void(R)>)>& start) {
    std::optional<R> result;
    QEventLoop wait;
    start([&](R r) {
        result = std::move(r);
        wait.quit();
    });
    if (!result) wait.exec();
    return std::move(*result);
}

// A plain GET of the configured gateway's addresses (the query at its root
// path, the auto-number service below it).
class GatewaySource : public TrackingSource {
public:
    GatewaySource(Http& http, QString tracking, QString autoNumber, QObject* parent = nullptr);
    std::function<void()> track(const TrackRequest& request,
                                std::function<void(TrackReply)> done) override;
    std::function<void()> autoNumber(const QString& number,
                                     std::function<void(QString)> done) override;

private:
    Http& m_http;
    QString m_tracking, m_autoNumber;
};

// The demo's parcels, simulated in the program: a number's progress follows
// from the number and from the time since the start, speed times faster.
class DemoSource : public TrackingSource {
public:
    explicit DemoSource(double speed = 1.0, QObject* parent = nullptr);
    bool simulates() const override { return true; }
    std::function<void()> track(const TrackRequest& request,
                                std::function<void(TrackReply)> done) override;
    std::function<void()> autoNumber(const QString& number,
                                     std::function<void(QString)> done) override;

private:
    QDateTime now() const;
    QDateTime m_anchor;
    QElapsedTimer m_clock;
    double m_speed;
};

// A tracking service asked with the user's own account. A number
// is asked at most once per half hour: within that time its kept answer (in
// the store, so across restarts) is the answer. A number the service or the
// network failed for is paused: two minutes after the first failure, twice as
// long after each further one up to half an hour, longer when the service asks
// for it (Retry-After, up to six hours); meanwhile the failure is the answer.
// Within a session those times run on the elapsed clock, so setting the wall
// clock neither asks again nor holds a number longer. Requests for one number
// never overlap: a second one joins the call under way. Every call has a
// deadline and a size limit. The key goes only into the signature (and
// 快递100's auto-number request); it is never logged.
class ServiceSource : public TrackingSource {
public:
    ServiceSource(Http& http, Store& store, SystemClock& clock, QObject* parent = nullptr);
    void setAccount(const TrackingAccount& account) { m_account = account; }
    const TrackingAccount& account() const { return m_account; }
    std::function<void()> track(const TrackRequest& request,
                                std::function<void(TrackReply)> done) override;

    int keepSecs = 30 * 60;    // the services lock numbers asked more often
    int deadlineMs = 8000;     // shorter than the window's ten-second watchdog
    qint64 maxBytes = 1 << 20; // answers hold tens of entries, a few kilobytes
    static constexpr qint64 FirstPauseSecs = 2 * 60, LongestPauseSecs = 30 * 60,
                            LongestAskedPauseSecs = 6 * 3600;

protected:
    // The answer given without asking (no code for the courier, the day's
    // calls used up); nothing when the service is to be asked.
    virtual std::optional<TrackReply> unasked(const TrackRequest&) { return std::nullopt; }
    // The service's request for a number, and the reading of its answer.
    virtual HttpRequest request(const TrackRequest& request) = 0;
    virtual ServiceAnswer read(const HttpReply& reply, const TrackRequest& request) = 0;
    // Where the requests go, for the log.
    virtual QString address() const = 0;
    // Said after the query's end; empty when there is nothing to say.
    virtual QString notice() const { return {}; }
    // A reply the source gives itself, as it would come from the service.
    TrackReply said(int code, const QString& failure, const QDateTime& heldUntil = {}) const;

    Http& m_http;
    Store& m_store;
    SystemClock& m_clock;
    TrackingAccount m_account;

private:
    struct Waiter {
        quint64 id;
        std::function<void(TrackReply)> done;
    };
    // A number settled this session: not asked before `until` (elapsed
    // seconds); a failure or an answer is its answer until then.
    struct Hold {
        qint64 until = 0;
        bool failure = false;
        QString reason; // a failure's text
    };
    std::optional<TrackReply> heldReply(const TrackRequest& request, const QString& flight);
    void answered(const QString& flight, const TrackRequest& request, const HttpReply& reply);

    QHash<QString, QList<Waiter>> m_flights; // calls under way, with everyone waiting for them
    QHash<QString, Hold> m_holds;
    quint64 m_waiters = 0;
};

// 快递100's enterprise API: the real-time query (signed with customer and
// key) and the auto-number service (with the key).
class EnterpriseSource : public ServiceSource {
public:
    EnterpriseSource(Http& http, Store& store, SystemClock& clock, QString poll, QString autoNumber,
                     QObject* parent = nullptr);
    bool ready() const override {
        return !m_account.customer.isEmpty() && !m_account.key.isEmpty();
    }
    std::function<void()> autoNumber(const QString& number,
                                     std::function<void(QString)> done) override;

protected:
    HttpRequest request(const TrackRequest& request) override;
    ServiceAnswer read(const HttpReply& reply, const TrackRequest& request) override;
    QString address() const override { return m_poll; }

private:
    QString m_poll, m_autoNumber;
};

// 快递鸟's API: the real-time query and the number recognition, both signed
// with the user ID and the API key. Each courier is asked by its 快递鸟 code
// from the directory; a courier without one is named and nothing is sent.
// The calls of the day are counted in the store: near the limit the answer
// says so, at the limit nothing is sent until the next day.
class KdniaoSource : public ServiceSource {
public:
    KdniaoSource(Http& http, Store& store, SystemClock& clock, QString url,
                 QObject* parent = nullptr);
    bool ready() const override {
        return !m_account.kdniaoId.isEmpty() && !m_account.kdniaoKey.isEmpty();
    }
    std::function<void()> autoNumber(const QString& number,
                                     std::function<void(QString)> done) override;
    QString detectionRefused() const override;
    QString accountRefused() const override;

    int dailyLimit = 500;         // 快递鸟's real-time query, per verified account and day
    int nearLimit = 450;          // from here on the answer says how many calls are left
    static const QString Service; // the day's count is kept under this name

protected:
    std::optional<TrackReply> unasked(const TrackRequest& request) override;
    HttpRequest request(const TrackRequest& request) override;
    ServiceAnswer read(const HttpReply& reply, const TrackRequest& request) override;
    QString address() const override { return m_url; }
    QString notice() const override;

private:
    QString today() const;
    // The calls made today; the limit when the store cannot tell.
    int callsToday() const;
    // Counts a call that is about to be sent.
    void counted();
    QString limitReached() const;

    QString m_url;
};
