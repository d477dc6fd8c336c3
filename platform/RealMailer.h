// The real mail adapter: libcurl's SMTP on a worker thread.
#pragma once

#include "platform/Platform.h"

#include <memory>
#include <mutex>
#include <set>

// The connections of the sends under way: the program's end cuts them, so
// that quitting never waits for a relay.
struct MailConnections {
    std::mutex lock;
    std::set<int> open; // sockets
    bool closing = false;
    void closeAll();
};

class RealMailer : public Mailer {
public:
    // Connect and total time-outs, in seconds.
    explicit RealMailer(long connectTimeout = 15, long totalTimeout = 60);
    ~RealMailer() override;
    void send(const MailServer& server, const Mail& mail, QObject* context,
              std::function<void(std::optional<QString> failure)> done) override;

    void setTimeouts(long connectTimeout, long totalTimeout) {
        m_connectTimeout = connectTimeout;
        m_totalTimeout = totalTimeout;
    }

    // The send itself, blocking: nothing on success, else the failure. It
    // ends within totalTimeout seconds, the relay's final reply included, or
    // as soon as its connections are closed.
    static std::optional<QString> sendNow(const MailServer& server, const Mail& mail,
                                          long connectTimeout, long totalTimeout,
                                          MailConnections* connections = nullptr);

private:
    long m_connectTimeout, m_totalTimeout;
    std::shared_ptr<MailConnections> m_connections = std::make_shared<MailConnections>();
};
