#include "platform/RealMailer.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <cstring>
#include <curl/curl.h>

namespace {
struct Upload {
    QByteArray data;
    qsizetype sent = 0;
};

size_t readPayload(char* buffer, size_t size, size_t count, void* user) {
    auto* up = static_cast<Upload*>(user);
    const size_t n = qMin<size_t>(size * count, size_t(up->data.size() - up->sent));
    std::memcpy(buffer, up->data.constData() + up->sent, n);
    up->sent += qsizetype(n);
    return n;
}
} // namespace

RealMailer::RealMailer(long connectTimeout, long totalTimeout)
    : m_connectTimeout(connectTimeout), m_totalTimeout(totalTimeout) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

RealMailer::~RealMailer() {
    // Sends still under way finish (within their time-out) before libcurl goes.
    QThreadPool::globalInstance()->waitForDone();
    curl_global_cleanup();
}

std::optional<QString> RealMailer::sendNow(const MailServer& server, const Mail& mail,
                                           long connectTimeout, long totalTimeout) {
    if (server.url.isEmpty())
        return QStringLiteral("未设置邮件服务器(请在 mail.conf 或 JZB_SMTP_URL 中设置)");
    // The sender is the relay account's own mailbox; there is no other.
    if (mail.from.isEmpty())
        return QStringLiteral("未设置发件邮箱(请在 mail.conf 的 user 或 JZB_SMTP_USER 中设置)");
    CURL* curl = curl_easy_init();
    if (!curl) return QStringLiteral("邮件组件无法启动");
    Upload upload{mimeMessage(mail)};
    const QByteArray url = server.url.toUtf8();
    const QByteArray from = "<" + mail.from.toUtf8() + ">";
    const QByteArray to = "<" + mail.to.toUtf8() + ">";
    const QByteArray user = server.user.toUtf8(), password = server.password.toUtf8();
    curl_slist* recipients = curl_slist_append(nullptr, to.constData());
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    if (!password.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }
    // STARTTLS whenever the relay offers it, so the password is not sent in clear.
    curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readPayload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectTimeout);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, totalTimeout);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    const CURLcode result = curl_easy_perform(curl);
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);
    if (result == CURLE_OK) return std::nullopt;
    return QString::fromUtf8(error[0] ? error : curl_easy_strerror(result));
}

void RealMailer::send(const MailServer& server, const Mail& mail, QObject* context,
                      std::function<void(std::optional<QString>)> done) {
    QPointer<QObject> target(context);
    const long connect = m_connectTimeout, total = m_totalTimeout;
    QThreadPool::globalInstance()->start([server, mail, target, done, connect, total] {
        const std::optional<QString> failure = sendNow(server, mail, connect, total);
        // Back on the window's thread, and only if the window is still there.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [target, done, failure] {
            if (target) done(failure);
        });
    });
}

// The mail module's entry point.
extern "C" Q_DECL_EXPORT Mailer* jzb_make_mailer() {
    return new RealMailer;
}
