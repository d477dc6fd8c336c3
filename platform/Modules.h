// Sound, mail and HTTP come from modules beside the program and load on first use:
// their libraries (the media framework and its codecs, the transfer library
// with its TLS and directory stacks) would otherwise load before the window
// shows, although most starts never play an alert or send a mail, and the
// first request comes a second after the start.
#pragma once

#include "platform/Platform.h"

#include <QLibrary>
#include <memory>

// Plays through jianzongbao-sound.so; without the module the alert is silent
// and a warning names the reason.
class ModuleSound : public Sound {
public:
    explicit ModuleSound(const QString& folder);
    ~ModuleSound() override;
    void play(const QString& path) override;

private:
    QLibrary m_library;
    std::unique_ptr<Sound> m_sound;
    bool m_tried = false;
};

// Sends through jianzongbao-mail.so; without the module every send fails with
// the reason.
class ModuleMailer : public Mailer {
public:
    explicit ModuleMailer(const QString& folder);
    ~ModuleMailer() override;
    void send(const MailServer& server, const Mail& mail, QObject* context,
              std::function<void(std::optional<QString> failure)> done) override;

private:
    QLibrary m_library;
    std::unique_ptr<Mailer> m_mailer;
};

// Requests through jianzongbao-http.so; without the module every request
// ends with no answer, and a warning names the reason once.
class ModuleHttp : public Http {
public:
    explicit ModuleHttp(const QString& folder);
    ~ModuleHttp() override;
    std::function<void()> send(const HttpRequest& request, QObject* context,
                               std::function<void(HttpReply)> done) override;

private:
    QLibrary m_library;
    std::unique_ptr<Http> m_http;
    bool m_tried = false;
};
