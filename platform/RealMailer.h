// The real mail adapter: libcurl's SMTP on a worker thread.
#pragma once

#include "platform/Platform.h"

class RealMailer : public Mailer {
public:
    // Connect and total time-outs, in seconds.
    explicit RealMailer(long connectTimeout = 15, long totalTimeout = 60);
    ~RealMailer() override;
    void send(const MailServer& server, const Mail& mail, QObject* context,
              std::function<void(std::optional<QString> failure)> done) override;

    // The send itself, blocking: nothing on success, else the failure.
    void setTimeouts(long connectTimeout, long totalTimeout) {
        m_connectTimeout = connectTimeout;
        m_totalTimeout = totalTimeout;
    }

    static std::optional<QString> sendNow(const MailServer& server, const Mail& mail,
                                          long connectTimeout, long totalTimeout);

private:
    long m_connectTimeout, m_totalTimeout;
};
