#include "tracking/Source.h"

#include "store/Store.h"
#include "tracking/Answer.h"
#include "tracking/Kdniao.h"
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
// A status is read only when an answer came whole.
std::optional<int> statusOf(const HttpReply& reply) {
    const bool broken = reply.status == 0 || reply.timedOut || reply.tooLarge;
    return broken ? std::nullopt : std::optional(reply.status);
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

QString TrackingSource::detectionRefused() const {
    return QStringLiteral("快递100的单号自动识别只对付费账户开放,请点击\"请选择快递公司\""
                          "或按F12手动选择快递公司..");
}

QString TrackingSource::accountRefused() const {
    return QStringLiteral("快递100拒绝了查询账户：授权码(customer)或key不正确。\n \n"
                          "是否现在打开\"查询账户\"检查?");
}

ServiceSource::ServiceSource(Http& http, Store& store, SystemClock& clock, QObject* parent)
    : TrackingSource(parent), m_http(http), m_store(store), m_clock(clock) {}

TrackReply ServiceSource::said(int code, const QString& failure, const QDateTime& heldUntil) const {
    return TrackReply{
        QString::fromUtf8(programError(code)), false, m_clock.now(), false, failure, heldUntil};
}

// What a number settled before answers now, or nothing when it is to be
// asked. The first look of a session goes by the wall clock of the store's
// rows (a clock set back by less than the hold still counts a kept answer as
// young); from then on by the elapsed clock alone.
std::optional<TrackReply> ServiceSource::heldReply(const TrackRequest& request,
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

std::function<void()> ServiceSource::track(const TrackRequest& request,
                                           std::function<void(TrackReply)> done) {
    if (!ready()) // nothing is sent without an account
        return later<TrackReply>(this, 0, std::move(done), [] { return TrackReply{}; });
    const QString flight = request.com + u'|' + request.number;
    if (std::optional<TrackReply> held = heldReply(request, flight))
        return later<TrackReply>(this, 0, std::move(done), [held] { return *held; });
    if (std::optional<TrackReply> reply = unasked(request))
        return later<TrackReply>(this, 0, std::move(done), [reply] { return *reply; });

    const quint64 id = ++m_waiters;
    const bool underWay = m_flights.contains(flight);
    m_flights[flight].append({id, std::move(done)});
    const auto giveUp = [self = QPointer<ServiceSource>(this), flight, id] {
        if (!self) return; // the source went first
        const auto it = self->m_flights.find(flight);
        if (it == self->m_flights.end()) return;
        it->removeIf([id](const Waiter& w) { return w.id == id; });
        // The call itself goes on; its answer is still kept for the next one.
    };
    if (underWay) return giveUp; // the call under way answers this one too

    m_http.send(this->request(request), this, [this, flight, request](const HttpReply& reply) {
        answered(flight, request, reply);
    });
    return giveUp;
}

void ServiceSource::answered(const QString& flight, const TrackRequest& request,
                             const HttpReply& reply) {
    if (reply.body.isEmpty() || reply.status != 200) logFailure(address(), reply);
    ServiceAnswer a = read(reply, request);
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
        w.done(TrackReply{text, a.phoneWanted, now, false, a.failure, heldUntil, a.accountRefused,
                          notice()});
}

EnterpriseSource::EnterpriseSource(Http& http, Store& store, SystemClock& clock, QString poll,
                                   QString autoNumber, QObject* parent)
    : ServiceSource(http, store, clock, parent), m_poll(std::move(poll)),
      m_autoNumber(std::move(autoNumber)) {}

HttpRequest EnterpriseSource::request(const TrackRequest& request) {
    const QByteArray param = enterpriseParam(
        request.com, request.number, phoneToSend(request.com, request.phone, m_account.phone));
    return {m_poll,
            enterpriseForm(m_account.customer, param,
                           enterpriseSign(param, m_account.key, m_account.customer)),
            deadlineMs, maxBytes};
}

ServiceAnswer EnterpriseSource::read(const HttpReply& reply, const TrackRequest& request) {
    return readEnterpriseAnswer(statusOf(reply), reply.body, request.com, request.number);
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

const QString KdniaoSource::Service = QStringLiteral("kdniao");

KdniaoSource::KdniaoSource(Http& http, Store& store, SystemClock& clock, QString url,
                           QObject* parent)
    : ServiceSource(http, store, clock, parent), m_url(std::move(url)) {}

QString KdniaoSource::detectionRefused() const {
    return QStringLiteral("快递鸟拒绝了单号识别:请按F9检查查询账户的用户ID和API key,"
                          "或点击\"请选择快递公司\"手动选择快递公司..");
}

QString KdniaoSource::accountRefused() const {
    return QStringLiteral("快递鸟拒绝了查询账户：用户ID或API key不正确。\n \n"
                          "是否现在打开\"查询账户\"检查?");
}

QString KdniaoSource::today() const {
    return m_clock.now().date().toString(Qt::ISODate);
}

int KdniaoSource::callsToday() const {
    const Read<int> calls = m_store.callsOn(Service, today());
    return calls.failed() ? dailyLimit : *calls;
}

void KdniaoSource::counted() {
    m_store.countCall(Service, today());
}

QString KdniaoSource::limitReached() const {
    return QStringLiteral("快递鸟今日的%1次查询已用完,明日0点后恢复查询..").arg(dailyLimit);
}

QString KdniaoSource::notice() const {
    const int calls = callsToday();
    if (calls < nearLimit) return {};
    return QStringLiteral("快递鸟今日已查询%1次,每日上限%2次").arg(calls).arg(dailyLimit);
}

std::optional<TrackReply> KdniaoSource::unasked(const TrackRequest& request) {
    const Read<std::optional<QString>> code = m_store.kdniaoCode(request.com);
    if (code.failed() || !*code || (*code)->isEmpty()) {
        const Read<std::optional<CourierRow>> courier = m_store.courierByCode(request.com);
        const QString name =
            !courier.failed() && *courier ? (*courier)->name : request.com.left(40);
        return said(20, QStringLiteral("快递鸟不支持\"%1\"的查询,没有发出查询;"
                                       "请在查询账户中改用快递100..")
                            .arg(name));
    }
    if (callsToday() >= dailyLimit)
        return said(22, limitReached(), QDateTime(m_clock.now().date().addDays(1), QTime(0, 0)));
    return std::nullopt;
}

HttpRequest KdniaoSource::request(const TrackRequest& request) {
    counted();
    const Read<std::optional<QString>> code = m_store.kdniaoCode(request.com);
    const QString shipper = !code.failed() && *code ? **code : QString();
    const QByteArray data = kdniaoTrackData(
        shipper, request.number, kdniaoCustomerName(request.com, request.phone, m_account.phone));
    return {m_url, kdniaoForm(m_account.kdniaoId, "1002", data, m_account.kdniaoKey), deadlineMs,
            maxBytes};
}

ServiceAnswer KdniaoSource::read(const HttpReply& reply, const TrackRequest& request) {
    const Read<std::optional<QString>> code = m_store.kdniaoCode(request.com);
    ServiceAnswer a = readKdniaoAnswer(
        statusOf(reply), reply.body, !code.failed() && *code ? **code : QString(), request.number);
    // The service says the day's calls are used up: none is sent before tomorrow.
    if (a.dayLimit) {
        m_store.setCalls(Service, today(), dailyLimit);
        a.failure = limitReached();
    }
    return a;
}

std::function<void()> KdniaoSource::autoNumber(const QString& number,
                                               std::function<void(QString)> done) {
    if (!ready()) return later<QString>(this, 0, std::move(done), [] { return QString(); });
    if (callsToday() >= dailyLimit)
        return later<QString>(this, 0, std::move(done),
                              [] { return QString::fromLatin1(AutoNumberLimit); });
    counted();
    return m_http.send(
        {m_url,
         kdniaoForm(m_account.kdniaoId, "2002", kdniaoDetectData(number), m_account.kdniaoKey),
         deadlineMs, maxBytes},
        this, [this, done = std::move(done)](const HttpReply& reply) {
            if (reply.body.isEmpty() || reply.status != 200) logFailure(m_url, reply);
            done(QString::fromUtf8(
                programKdniaoDetection(statusOf(reply), reply.body, [this](const QString& shipper) {
                    const auto courier = m_store.courierByKdniao(shipper);
                    return !courier.failed() && *courier ? (*courier)->shibie : shipper;
                })));
        });
}
