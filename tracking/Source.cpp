#include "tracking/Source.h"

#include "store/Store.h"
#include "tracking/Answer.h"
#include "tracking/Simulation.h"

#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace {
// Delivers a value on the event loop, unless given up before.
template <class R>
std::function<void()> later(QObject* context, int delayMs, std::function<void(R)> done,
                            std::function<R()> value) {
    auto live = std::make_shared<bool>(true);
    QTimer::singleShot(delayMs, context, [live, done = std::move(done), value = std::move(value)] {
        if (*live) done(value());
    });
    return [live] { *live = false; };
}

const QString TimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

// A failure as the log shows it: the address without its query (which may
// carry the key) and the status, never a body or a header.
void logFailure(const QString& url, const HttpReply& reply) {
    const QString what = reply.timedOut   ? QStringLiteral("nothing before its deadline")
                         : reply.tooLarge ? QStringLiteral("more than its size limit")
                         : reply.status && reply.status != 200
                             ? QStringLiteral("HTTP %1").arg(reply.status)
                             : QStringLiteral("nothing (no answer, or cut off)");
    qWarning("tracking service %s answered %s",
             qPrintable(QUrl(url).adjusted(QUrl::RemoveQuery | QUrl::RemoveUserInfo).toString()),
             qPrintable(what));
}
} // namespace

GatewaySource::GatewaySource(Http& http, QString tracking, QString autoNumber, QObject* parent)
    : TrackingSource(parent), m_http(http), m_tracking(std::move(tracking)),
      m_autoNumber(std::move(autoNumber)) {}

std::function<void()> GatewaySource::track(const TrackRequest& request,
                                           std::function<void(TrackReply)> done) {
    return m_http.fetch(
        trackingUrl(m_tracking, request.com, request.number), this,
        [done = std::move(done)](const HttpReply& reply) {
            done(TrackReply{bodyText(reply), false, QDateTime::currentDateTime(), false, {}, {}});
        });
}

std::function<void()> GatewaySource::autoNumber(const QString& number,
                                                std::function<void(QString)> done) {
    return m_http.fetch(
        autoNumberUrl(m_autoNumber, number), this,
        [done = std::move(done)](const HttpReply& reply) { done(bodyText(reply)); });
}

DemoSource::DemoSource(double speed, QObject* parent)
    : TrackingSource(parent), m_anchor(QDateTime::currentDateTime()), m_speed(speed) {
    m_clock.start();
}

QDateTime DemoSource::now() const {
    return m_anchor.addMSecs(qint64(double(m_clock.elapsed()) * m_speed));
}

std::function<void()> DemoSource::track(const TrackRequest& request,
                                        std::function<void(TrackReply)> done) {
    // A short wait, as a service's answer would take.
    return later<TrackReply>(this, 300, std::move(done), [this, request] {
        return TrackReply{
            QString::fromUtf8(trackingAnswer(request.number, request.com, m_anchor, now())),
            false,
            QDateTime::currentDateTime(),
            false,
            {},
            {}};
    });
}

std::function<void()> DemoSource::autoNumber(const QString& number,
                                             std::function<void(QString)> done) {
    return later<QString>(this, 200, std::move(done), [this, number] {
        return QString::fromUtf8(autoNumberAnswer(number, m_anchor));
    });
}

EnterpriseSource::EnterpriseSource(Http& http, Store& store, SystemClock& clock, QString poll,
                                   QString autoNumber, QObject* parent)
    : TrackingSource(parent), m_http(http), m_store(store), m_clock(clock), m_poll(std::move(poll)),
      m_autoNumber(std::move(autoNumber)) {}

// What a number settled before answers now, or nothing when it is to be
// asked. The first look of a session goes by the wall clock of the store's
// rows (a clock set back by less than the hold still counts a kept answer as
// young); from then on by the elapsed clock alone.
std::optional<TrackReply> EnterpriseSource::heldReply(const TrackRequest& request,
                                                      const QString& flight) {
    const qint64 now = m_clock.elapsedSecs();
    const QDateTime wall = m_clock.now();
    const auto failed = [&](const Hold& hold) {
        return TrackReply{QString::fromUtf8(programError(3)), false, wall, true, hold.reason,
                          wall.addSecs(hold.until - now)};
    };
    const auto held = m_holds.constFind(flight);
    const bool known = held != m_holds.cend();
    if (known && (now >= held->until || held->failure))
        return now < held->until ? std::optional(failed(*held)) : std::nullopt;
    const auto kept = m_store.keptAnswer(request.com, request.number);
    if (!kept.failed() && *kept) {
        const QDateTime at = QDateTime::fromString((*kept)->answered, TimeFormat);
        const qint64 age = at.isValid() ? at.secsTo(wall) : keepSecs;
        if (known || (age < keepSecs && age > -keepSecs)) {
            if (!known) m_holds.insert(flight, {now + keepSecs - qMax<qint64>(age, 0), false, {}});
            return TrackReply{(*kept)->body, false, at, true, {}, {}};
        }
    }
    if (known) return std::nullopt; // the kept answer is gone: asked again
    const auto pause = m_store.pausedNumber(request.com, request.number);
    if (pause.failed() || !*pause) return std::nullopt;
    const QDateTime until = QDateTime::fromString((*pause)->until, TimeFormat);
    const qint64 left = until.isValid() ? wall.secsTo(until) : 0;
    if (left <= 0 || left > LongestAskedPauseSecs) return std::nullopt;
    return failed(*m_holds.insert(flight, {now + left, true, (*pause)->reason}));
}

std::function<void()> EnterpriseSource::track(const TrackRequest& request,
                                              std::function<void(TrackReply)> done) {
    if (!ready()) // nothing is sent without an account
        return later<TrackReply>(this, 0, std::move(done), [] { return TrackReply{}; });
    const QString flight = request.com + u'|' + request.number;
    if (std::optional<TrackReply> held = heldReply(request, flight))
        return later<TrackReply>(this, 0, std::move(done), [held] { return *held; });

    const quint64 id = ++m_waiters;
    const bool underWay = m_flights.contains(flight);
    m_flights[flight].append({id, std::move(done)});
    const auto giveUp = [self = QPointer<EnterpriseSource>(this), flight, id] {
        if (!self) return; // the source went first
        const auto it = self->m_flights.find(flight);
        if (it == self->m_flights.end()) return;
        it->removeIf([id](const Waiter& w) { return w.id == id; });
        // The call itself goes on; its answer is still kept for the next one.
    };
    if (underWay) return giveUp; // the call under way answers this one too

    const QByteArray param = enterpriseParam(
        request.com, request.number, phoneToSend(request.com, request.phone, m_account.phone));
    m_http.send({m_poll,
                 enterpriseForm(m_account.customer, param,
                                enterpriseSign(param, m_account.key, m_account.customer)),
                 deadlineMs, maxBytes},
                this, [this, flight, request](const HttpReply& reply) {
                    answered(flight, request, reply);
                });
    return giveUp;
}

void EnterpriseSource::answered(const QString& flight, const TrackRequest& request,
                                const HttpReply& reply) {
    if (reply.body.isEmpty() || reply.status != 200) logFailure(m_poll, reply);
    const bool broken = reply.status == 0 || reply.timedOut || reply.tooLarge;
    EnterpriseAnswer a = readEnterpriseAnswer(broken ? std::nullopt : std::optional(reply.status),
                                              reply.body, request.com, request.number);
    if (reply.timedOut)
        a.failure =
            QStringLiteral("查询服务%1秒内没有回答,请稍后再试..").arg((deadlineMs + 999) / 1000);
    else if (reply.tooLarge)
        a.failure = QStringLiteral("查询服务的回答过大,已忽略,请稍后再试..");
    const QDateTime now = m_clock.now();
    const qint64 elapsed = m_clock.elapsedSecs();
    const QString text = QString::fromUtf8(a.text);
    QDateTime heldUntil;
    if (a.keep) {
        m_store.keepAnswer(request.com, request.number, {text, now.toString(TimeFormat)});
        m_store.unpauseNumber(request.com, request.number);
        m_holds.insert(flight, {elapsed + keepSecs, false, {}});
    } else if (a.pace) {
        const auto before = m_store.pausedNumber(request.com, request.number);
        const int failures = (!before.failed() && *before ? (*before)->failures : 0) + 1;
        const qint64 secs = qMax(qMin(LongestPauseSecs, FirstPauseSecs << qMin(failures - 1, 10)),
                                 qMin(reply.retryAfterSecs, LongestAskedPauseSecs));
        heldUntil = now.addSecs(secs);
        m_store.pauseNumber(request.com, request.number,
                            {heldUntil.toString(TimeFormat), failures, a.failure});
        m_holds.insert(flight, {elapsed + secs, true, a.failure});
    }
    const QList<Waiter> waiting = m_flights.take(flight);
    for (const Waiter& w : waiting)
        w.done(TrackReply{text, a.phoneWanted, now, false, a.failure, heldUntil, a.accountRefused});
}

std::function<void()> EnterpriseSource::autoNumber(const QString& number,
                                                   std::function<void(QString)> done) {
    if (!ready()) return later<QString>(this, 0, std::move(done), [] { return QString(); });
    const QString url = enterpriseAutoNumberUrl(m_autoNumber, number, m_account.key);
    return m_http.send(
        {url, {}, deadlineMs, maxBytes}, this,
        [url, done = std::move(done)](const HttpReply& reply) {
            if (reply.body.isEmpty() || reply.status != 200) logFailure(url, reply);
            done(QString::fromUtf8(programAutoNumber(
                reply.body.isEmpty() ? std::nullopt : std::optional<int>(reply.status),
                reply.body)));
        });
}
