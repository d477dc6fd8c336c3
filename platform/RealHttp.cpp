#include "platform/RealHttp.h"

#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <climits>
#include <curl/curl.h>

struct RealHttp::Transfer {
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    QByteArray url, body, date;
    qint64 maxBytes = 0;
    bool tooLarge = false;
    QPointer<QObject> context;
    std::function<void(HttpReply)> done;
    // True until done has run or the request was given up.
    std::shared_ptr<bool> live = std::make_shared<bool>(true);
    ~Transfer() {
        if (easy) curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
};

struct RealHttp::Callbacks {
    // The body as it streams in; past the size limit the transfer ends and
    // what was read goes at once.
    static size_t body(char* data, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const size_t n = size * count;
        if (qint64(t->body.size()) + qint64(n) > t->maxBytes) {
            t->tooLarge = true;
            t->body = QByteArray();
            return n == 0 ? 1 : 0;
        }
        t->body.append(data, qsizetype(n));
        return n;
    }
    static size_t header(char* data, size_t size, size_t count, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const size_t n = size * count;
        const QByteArray line = QByteArray::fromRawData(data, qsizetype(n));
        if (line.startsWith("HTTP/")) t->date.clear(); // a new response (after 100 Continue)
        if (line.size() > 5 && line.first(5).toLower() == "date:") t->date = line.mid(5).trimmed();
        return n;
    }
    static int socket(CURL*, curl_socket_t fd, int what, void* self, void*) {
        static_cast<RealHttp*>(self)->watch(fd, what);
        return 0;
    }
    static int timer(CURLM*, long ms, void* self) {
        QTimer& t = static_cast<RealHttp*>(self)->m_timer;
        if (ms < 0)
            t.stop();
        else
            t.start(int(qMin<long>(ms, INT_MAX)));
        return 0;
    }
};

RealHttp::RealHttp(int deadlineMs, qint64 maxBytes)
    : m_deadlineMs(deadlineMs), m_maxBytes(maxBytes) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    m_multi = curl_multi_init();
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, Callbacks::socket);
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, Callbacks::timer);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

RealHttp::~RealHttp() {
    *m_alive = false;
    curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, nullptr);
    curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, nullptr);
    for (auto& [easy, transfer] : m_transfers)
        curl_multi_remove_handle(m_multi, easy);
    m_transfers.clear();
    for (auto& [fd, w] : m_sockets) {
        delete w.read;
        delete w.write;
    }
    curl_multi_cleanup(m_multi);
    curl_global_cleanup();
}

std::function<void()> RealHttp::send(const HttpRequest& request, QObject* context,
                                     std::function<void(HttpReply)> done) {
    auto t = std::make_unique<Transfer>();
    t->context = context;
    t->done = std::move(done);
    t->maxBytes = request.maxBytes > 0 ? request.maxBytes : m_maxBytes;
    t->url = request.url.toUtf8();
    const long deadline = request.deadlineMs > 0 ? request.deadlineMs : m_deadlineMs;
    CURL* easy = t->easy = curl_easy_init();
    const std::shared_ptr<bool> live = t->live;
    if (easy) {
        curl_easy_setopt(easy, CURLOPT_URL, t->url.constData());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_PROXY, ""); // straight to the address, as asked
        curl_easy_setopt(easy, CURLOPT_USERAGENT, "Mozilla/5.0 (X11; Linux) jianzongbao");
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, deadline);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, deadline);
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(t->maxBytes));
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Callbacks::body);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, t.get());
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, Callbacks::header);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, t.get());
        if (!m_caFile.isEmpty()) curl_easy_setopt(easy, CURLOPT_CAINFO, m_caFile.constData());
        t->headers = curl_slist_append(t->headers, "If-Modified-Since: 0");
        t->headers = curl_slist_append(t->headers, "Expect:");
        if (!request.form.isEmpty()) {
            // A form goes out once, on a connection of its own: nothing can
            // send it again after a connection closed without an answer.
            t->headers =
                curl_slist_append(t->headers, "Content-Type: application/x-www-form-urlencoded");
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.form.size()));
            curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, request.form.constData());
            curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
            curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
        } else if (request.head) {
            curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        }
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, t->headers);
        curl_easy_setopt(easy, CURLOPT_PRIVATE, t.get());
    }
    if (!easy || curl_multi_add_handle(m_multi, easy) != CURLM_OK) {
        // Said like any transfer that broke: later, with no answer.
        QMetaObject::invokeMethod(
            context,
            [live, done = std::move(t->done)] {
                if (std::exchange(*live, false)) done(HttpReply{});
            },
            Qt::QueuedConnection);
        return [live] { *live = false; };
    }
    m_transfers.emplace(easy, std::move(t));
    return [this, alive = std::weak_ptr<bool>(m_alive), live, easy] {
        if (!std::exchange(*live, false)) return;
        if (const auto a = alive.lock(); a && *a) {
            const auto it = m_transfers.find(easy);
            if (it != m_transfers.end() && it->second->live == live) drop(easy);
        }
    };
}

void RealHttp::watch(int fd, int what) {
    if (what == CURL_POLL_REMOVE) {
        const auto it = m_sockets.find(fd);
        if (it == m_sockets.end()) return;
        for (QSocketNotifier* n : {it->second.read, it->second.write})
            if (n) {
                n->setEnabled(false);
                n->deleteLater(); // it may be the one whose signal runs now
            }
        m_sockets.erase(it);
        return;
    }
    Watch& w = m_sockets[fd];
    const auto need = [&](QSocketNotifier*& n, QSocketNotifier::Type type, int flag, bool on) {
        if (!n && !on) return;
        if (!n) {
            n = new QSocketNotifier(fd, type, this);
            connect(n, &QSocketNotifier::activated, this, [this, fd, flag] { act(fd, flag); });
        }
        n->setEnabled(on);
    };
    need(w.read, QSocketNotifier::Read, CURL_CSELECT_IN, what & CURL_POLL_IN);
    need(w.write, QSocketNotifier::Write, CURL_CSELECT_OUT, what & CURL_POLL_OUT);
}

void RealHttp::act(int fd, int flags) {
    int running = 0;
    curl_multi_socket_action(m_multi, fd, flags, &running);
    finishDone();
}

// Every finished transfer answers on its context's thread, after this
// returns: no caller's code ever runs inside libcurl.
void RealHttp::finishDone() {
    int left = 0;
    while (CURLMsg* m = curl_multi_info_read(m_multi, &left)) {
        if (m->msg != CURLMSG_DONE) continue;
        CURL* easy = m->easy_handle;
        const CURLcode result = m->data.result;
        auto node = m_transfers.extract(easy);
        curl_multi_remove_handle(m_multi, easy);
        if (node.empty()) continue;
        const std::unique_ptr<Transfer> t = std::move(node.mapped());
        HttpReply reply;
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        reply.status = int(status);
        char* type = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
            reply.contentType = type;
        curl_off_t retry = 0;
        if (curl_easy_getinfo(easy, CURLINFO_RETRY_AFTER, &retry) == CURLE_OK)
            reply.retryAfterSecs = qint64(retry);
        reply.date = t->date;
        reply.timedOut = result == CURLE_OPERATION_TIMEDOUT;
        reply.tooLarge = t->tooLarge || result == CURLE_FILESIZE_EXCEEDED;
        // A transfer that broke off has no body: a short answer is never
        // read as a complete one.
        if (result == CURLE_OK) reply.body = std::move(t->body);
        if (!t->context) continue;
        QMetaObject::invokeMethod(
            t->context,
            [live = t->live, done = std::move(t->done), reply = std::move(reply)] {
                if (std::exchange(*live, false)) done(reply);
            },
            Qt::QueuedConnection);
    }
}

void RealHttp::drop(void* easy) {
    auto node = m_transfers.extract(easy);
    if (!node.empty()) curl_multi_remove_handle(m_multi, static_cast<CURL*>(easy));
}

// The HTTP module's entry point.
extern "C" Q_DECL_EXPORT Http* jzb_make_http() {
    return new RealHttp;
}
