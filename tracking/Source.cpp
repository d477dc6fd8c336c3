#include "tracking/Source.h"

#include "couriers/AutoNumber.h"
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
    qWarning("tracking service %s answered %s",
             qPrintable(QUrl(url).adjusted(QUrl::RemoveQuery | QUrl::RemoveUserInfo).toString()),
             reply.status ? qPrintable(QStringLiteral("HTTP %1").arg(reply.status))
                          : "nothing (no answer, cut off, or past its deadline or size limit)");
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
            done(TrackReply{bodyText(reply), false, QDateTime::currentDateTime(), false});
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
            QString::fromUtf8(trackingAnswer(request.number, request.com, m_anchor, now())), false,
            QDateTime::currentDateTime(), false};
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

// The kept answer while it is young enough. A clock set back by less than
// the half hour still counts it as young; one set back further asks again.
std::optional<TrackReply> EnterpriseSource::keptReply(const TrackRequest& request) {
    const auto kept = m_store.keptAnswer(request.com, request.number);
    if (kept.failed() || !*kept) return std::nullopt;
    const QDateTime at = QDateTime::fromString((*kept)->answered, TimeFormat);
    const qint64 age = at.isValid() ? at.secsTo(m_clock.now()) : keepSecs;
    if (age >= keepSecs || age <= -keepSecs) return std::nullopt;
    return TrackReply{(*kept)->body, false, at, true};
}

std::function<void()> EnterpriseSource::track(const TrackRequest& request,
                                              std::function<void(TrackReply)> done) {
    if (!ready()) // nothing is sent without an account
        return later<TrackReply>(this, 0, std::move(done), [] { return TrackReply{}; });
    if (std::optional<TrackReply> kept = keptReply(request))
        return later<TrackReply>(this, 0, std::move(done), [kept] { return *kept; });

    const QString flight = request.com + u'|' + request.number;
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
    const EnterpriseAnswer a = readEnterpriseAnswer(
        reply.body.isEmpty() ? std::nullopt : std::optional<int>(reply.status), reply.body);
    const QDateTime now = m_clock.now();
    const QString text = QString::fromUtf8(a.text);
    if (a.keep) m_store.keepAnswer(request.com, request.number, {text, now.toString(TimeFormat)});
    const QList<Waiter> waiting = m_flights.take(flight);
    for (const Waiter& w : waiting)
        w.done(TrackReply{text, a.phoneWanted, now, false});
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
