// The real adapters behind the platform seams, as main.cpp builds them.
#pragma once

#include "platform/Platform.h"

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

class RealDialogs : public Dialogs {
public:
    int MsgBox(const QString& prompt, int buttons, const QString& title) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title) override;
    std::optional<QString> saveFileName(const QString& filter) override;
};

class RealHttp : public Http {
public:
    explicit RealHttp(int transferTimeoutMs = 60000);
    ~RealHttp() override;
    HttpReply get(const QString& url) override;
    std::optional<QByteArray> headDate(const QString& url) override;
    std::function<void()> send(const HttpRequest& request, QObject* context,
                               std::function<void(HttpReply)> done) override;

private:
    QNetworkReply* start(const QString& url, const QByteArray& form = {});
    std::unique_ptr<QNetworkAccessManager> m_net;
    int m_timeout;
};

class RealShell : public Shell {
public:
    void openUrl(const QString& url) override;
    [[noreturn]] void endProgram(int status) override;
};

class RealClock : public SystemClock {
public:
    QDateTime now() const override;
    qint64 elapsedSecs() const override;
    std::optional<QString> set(const QDateTime& instant) override;
};
