#include "gateway/Live.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

namespace {
std::optional<int> statusOf(QNetworkReply* reply) {
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) return std::nullopt;
    return status.toInt();
}

// A failure as the log shows it: the address without its query (which may
// carry the key) and the status or the transport's error number (Qt's error
// text quotes the whole address).
void logFailure(QNetworkReply* reply) {
    const QUrl url = reply->url().adjusted(QUrl::RemoveQuery);
    const std::optional<int> status = statusOf(reply);
    qWarning(
        "jianzongbao-gateway: %s answered %s", qPrintable(url.toString()),
        status ? qPrintable(QStringLiteral("HTTP %1").arg(*status))
               : qPrintable(QStringLiteral("nothing (network error %1)").arg(int(reply->error()))));
}
} // namespace

LiveService::LiveService(LiveAccount account, LiveEndpoints endpoints, QObject* parent)
    : QObject(parent), m_account(std::move(account)), m_endpoints(std::move(endpoints)) {
    m_clock.start();
}

void LiveService::track(const QString& com, const QString& number, Done done) {
    const QString phone = m_account.phones.value(number);
    const QString key = QStringLiteral("track|") + com + u'|' + number;
    if (served(key, done)) return;

    const QByteArray param = liveParam(com, number, phone);
    QNetworkRequest request{QUrl(m_endpoints.poll)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    request.setTransferTimeout(upstreamTimeoutMs);
    ++m_calls;
    QNetworkReply* reply =
        m_net.post(request, liveForm(m_account.customer, param,
                                     liveSign(param, m_account.key, m_account.customer)));
    connect(reply, &QNetworkReply::finished, this, [this, reply, key] {
        reply->deleteLater();
        const std::optional<int> status = statusOf(reply);
        const QByteArray body =
            reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
        if (reply->error() != QNetworkReply::NoError) logFailure(reply);
        const QByteArray answer =
            programAnswer(reply->error() == QNetworkReply::NoError ? status : std::nullopt, body);
        // A failure of the service or the network is asked again next time.
        finish(key, answer, !answer.contains("\"errCode\":\"3\""));
    });
}

void LiveService::autoNumber(const QString& number, Done done) {
    const QString key = QStringLiteral("auto|") + number;
    if (served(key, done)) return;

    QUrl url(m_endpoints.autoNumber);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("num"), QString::fromLatin1(QUrl::toPercentEncoding(number)));
    query.addQueryItem(QStringLiteral("key"),
                       QString::fromLatin1(QUrl::toPercentEncoding(m_account.key)));
    url.setQuery(query);
    QNetworkRequest request{url};
    request.setTransferTimeout(upstreamTimeoutMs);
    ++m_calls;
    QNetworkReply* reply = m_net.get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, key] {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError) logFailure(reply);
        const QByteArray answer = programAutoNumber(
            reply->error() == QNetworkReply::NoError ? statusOf(reply) : std::nullopt,
            reply->readAll());
        finish(key, answer, reply->error() == QNetworkReply::NoError);
    });
}

// Answers from the cache, or joins the call under way for the same key; false
// when a new upstream call must start (done then waits for it).
bool LiveService::served(const QString& key, Done& done) {
    if (const auto c = m_cache.constFind(key);
        c != m_cache.cend() && m_clock.elapsed() - c->at < cacheMs) {
        done(c->answer);
        return true;
    }
    QList<Done>& waiting = m_waiting[key];
    waiting.append(std::move(done));
    return waiting.size() > 1;
}

void LiveService::finish(const QString& key, const QByteArray& answer, bool keep) {
    if (keep) m_cache.insert(key, {m_clock.elapsed(), answer});
    const QList<Done> waiting = m_waiting.take(key);
    for (const Done& done : waiting)
        done(answer);
}
