#include "platform/RealMailer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <curl/curl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
struct Upload {
    QByteArray data;
    qsizetype sent = 0;
    QDeadlineTimer deadline; // the whole send, the relay's last reply included
};

size_t readPayload(char* buffer, size_t size, size_t count, void* user) {
    auto* up = static_cast<Upload*>(user);
    const size_t n = qMin<size_t>(size * count, size_t(up->data.size() - up->sent));
    std::memcpy(buffer, up->data.constData() + up->sent, n);
    up->sent += qsizetype(n);
    return n;
}

// Called while data moves and about once a second otherwise.
int keepGoing(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const Upload*>(user)->deadline.hasExpired() ? 1 : 0;
}

// The sockets of one send: its own, which its deadline cuts, and the
// program's, which the program's end cuts.
struct SendSockets {
    MailConnections own;
    MailConnections* program = nullptr;
    std::vector<MailConnections*> all() {
        std::vector<MailConnections*> sets{&own};
        if (program) sets.push_back(program);
        return sets;
    }
};

// Every socket a send opens is known until it is closed, so that its
// deadline and the program's end can cut it.
int socketOpened(void* user, curl_socket_t fd, curlsocktype) {
    for (MailConnections* c : static_cast<SendSockets*>(user)->all()) {
        const std::lock_guard<std::mutex> held(c->lock);
        if (c->closing) return CURL_SOCKOPT_ERROR;
        c->open.insert(fd);
    }
    return CURL_SOCKOPT_OK;
}

int socketClosed(void* user, curl_socket_t fd) {
    for (MailConnections* c : static_cast<SendSockets*>(user)->all()) {
        const std::lock_guard<std::mutex> held(c->lock);
        c->open.erase(fd);
    }
    return ::close(fd);
}

// Cuts a send's connections when its time is up, whatever libcurl waits for
// (the relay's reply to the message, or to QUIT).
class Deadline {
public:
    Deadline(MailConnections& sockets, long seconds)
        : m_thread([this, &sockets, seconds] {
              std::unique_lock<std::mutex> held(m_lock);
              if (!m_over.wait_for(held, std::chrono::seconds(seconds), [this] { return m_done; }))
                  sockets.closeAll();
          }) {}
    ~Deadline() {
        {
            const std::lock_guard<std::mutex> held(m_lock);
            m_done = true;
        }
        m_over.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_over;
    bool m_done = false;
    std::thread m_thread;
};
} // namespace

void MailConnections::closeAll() {
    const std::lock_guard<std::mutex> held(lock);
    closing = true;
    for (int fd : open)
        ::shutdown(fd, SHUT_RDWR);
}

RealMailer::RealMailer(long connectTimeout, long totalTimeout)
    : m_connectTimeout(connectTimeout), m_totalTimeout(totalTimeout) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

RealMailer::~RealMailer() {
    // Sends still under way are cut off before libcurl goes: quitting does
    // not wait for a slow relay.
    m_connections->closeAll();
    QThreadPool::globalInstance()->waitForDone();
    curl_global_cleanup();
}

std::optional<QString> RealMailer::sendNow(const MailServer& server, const Mail& mail,
                                           long connectTimeout, long totalTimeout,
                                           MailConnections* connections) {
    if (server.url.isEmpty())
        return QStringLiteral("未设置邮件服务器(请在 mail.conf 或 JZB_SMTP_URL 中设置)");
    // The sender is the relay account's own mailbox; there is no other.
    if (mail.from.isEmpty())
        return QStringLiteral("未设置发件邮箱(请在 mail.conf 的 user 或 JZB_SMTP_USER 中设置)");
    CURL* curl = curl_easy_init();
    if (!curl) return QStringLiteral("邮件组件无法启动");
    Upload upload{mimeMessage(mail), 0, QDeadlineTimer(totalTimeout * 1000)};
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
    // A password travels encrypted only: STARTTLS is required then (smtps is
    // encrypted from the start), except on the loopback. Without one,
    // STARTTLS whenever the relay offers it.
    const bool mustEncrypt = !password.isEmpty() && !server.plainAllowed;
    curl_easy_setopt(curl, CURLOPT_USE_SSL, long(mustEncrypt ? CURLUSESSL_ALL : CURLUSESSL_TRY));
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readPayload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectTimeout);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, totalTimeout);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, totalTimeout);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, keepGoing);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &upload);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    SendSockets sockets;
    sockets.program = connections;
    curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, socketOpened);
    curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, &sockets);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, socketClosed);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, &sockets);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    CURLcode result = CURLE_OK;
    {
        // The whole send, the relay's last replies included, ends in time.
        const Deadline deadline(sockets.own, totalTimeout);
        result = curl_easy_perform(curl);
        curl_easy_cleanup(curl); // says QUIT, which a silent relay never answers
    }
    curl_slist_free_all(recipients);
    const bool cut = [&] {
        const std::lock_guard<std::mutex> held(sockets.own.lock);
        return sockets.own.closing;
    }();
    if (result == CURLE_OK) return std::nullopt;
    if (result == CURLE_USE_SSL_FAILED)
        return QStringLiteral("邮件服务器不提供加密连接(STARTTLS),为保护密码没有登录发送");
    if (connections) {
        const std::lock_guard<std::mutex> held(connections->lock);
        if (connections->closing) return QStringLiteral("程序已退出,邮件没有发送");
    }
    if (cut || result == CURLE_ABORTED_BY_CALLBACK || result == CURLE_OPERATION_TIMEDOUT)
        return QStringLiteral("邮件服务器%1秒内没有完成发送").arg(totalTimeout);
    return QString::fromUtf8(error[0] ? error : curl_easy_strerror(result));
}

void RealMailer::send(const MailServer& server, const Mail& mail, QObject* context,
                      std::function<void(std::optional<QString>)> done) {
    QPointer<QObject> target(context);
    const long connect = m_connectTimeout, total = m_totalTimeout;
    QThreadPool::globalInstance()->start(
        [server, mail, target, done, connect, total, connections = m_connections] {
            const std::optional<QString> failure =
                sendNow(server, mail, connect, total, connections.get());
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
