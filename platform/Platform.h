// The seams between the window and the machine: message boxes and the save
// dialog, HTTP, the alert sound, the browser and the end of the process, the
// system clock. main.cpp builds the real ones; tests build recording fakes.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <functional>
#include <optional>

class QObject;

// Message-box buttons, icons and answers, with the values the program has
// always used for them.
namespace Mb {
constexpr int OkOnly = 0;
constexpr int YesNo = 4;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int Ok = 1;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace Mb

// The title of the program's message boxes.
inline const QString BoxTitle = QStringLiteral("Quorvex系列软件");

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows a modal box; returns Mb::Ok, Mb::Yes or Mb::No.
    virtual int MsgBox(const QString& prompt, int buttons, const QString& title) = 0;
    // A one-line input box with OK and Cancel: the text typed, or nothing
    // when cancelled.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title) = 0;
    // The save dialog with one file type, "description|pattern"; the chosen
    // file name, or nothing when cancelled.
    virtual std::optional<QString> saveFileName(const QString& filter) = 0;
    // The open dialog, the same way.
    virtual std::optional<QString> openFileName(const QString& filter) = 0;
};

struct HttpReply {
    QByteArray body;           // empty on a transport failure, also one cut off part-way
    int status = 0;            // HTTP status, 0 when no answer came
    QByteArray contentType;    // the Content-Type header, e.g. "text/plain;charset=GBK"
    QByteArray date = {};      // the Date header; empty when none came
    qint64 retryAfterSecs = 0; // the Retry-After header, in seconds; 0 when none came
    bool timedOut = false;     // ended at its deadline
    bool tooLarge = false;     // ended at its size limit
};

// The body as text, decoded by the charset its Content-Type names (GBK,
// GB18030, …) and as UTF-8 otherwise.
QString bodyText(const HttpReply& reply);

// A request made without waiting: a GET, a HEAD, or a POST of a form body.
struct HttpRequest {
    QString url;
    QByteArray form;     // not empty: POSTed as application/x-www-form-urlencoded
    int deadlineMs = 0;  // the whole call, answer included, ends by then; 0: the client's own
    qint64 maxBytes = 0; // a longer answer is cut off (no body); 0: the client's own
    bool head = false;   // HEAD: the headers alone
};

class Http {
public:
    virtual ~Http() = default;
    // The request without waiting: returns at once, and done runs later on
    // context's thread with the reply (never before send returns), once.
    // Calling the returned function aborts the request; done then never
    // runs, nor once context is gone. Every request ends by its deadline
    // and stops reading at its size limit, as a transport failure; a
    // redirect is answered as it came, never followed; a POST is sent once.
    virtual std::function<void()> send(const HttpRequest& request, QObject* context,
                                       std::function<void(HttpReply)> done) = 0;
    std::function<void()> fetch(const QString& url, QObject* context,
                                std::function<void(HttpReply)> done) {
        return send(HttpRequest{url, {}, 0, 0}, context, std::move(done));
    }
    // GET with "If-Modified-Since: 0", waiting in a nested event loop so the
    // window keeps working; the body whatever the status.
    HttpReply get(const QString& url);
    // HEAD with the same wait and limits as get; the Date header, or nothing.
    std::optional<QByteArray> headDate(const QString& url);

private:
    HttpReply wait(const HttpRequest& request);
};

// An SMTP relay: "smtp://host:port" or "smtps://…"; no URL means none is
// configured. No password means no login. With a password the connection
// must be encrypted (STARTTLS or smtps), unless plainAllowed (a relay on the
// loopback).
struct MailServer {
    QString url, user, password;
    bool plainAllowed = false;
};

// True for a relay on this machine's loopback (127.0.0.1, ::1, localhost),
// the one place a password may travel unencrypted.
bool isLoopbackRelay(const QString& url);

struct Mail {
    QString from, to, subject, html;
    QDateTime date;
};

// The message as it goes over the wire: headers (the subject in RFC 2047
// UTF-8, line breaks taken out of every header value), then the HTML body in
// base64 lines, all with CR LF.
QByteArray mimeMessage(const Mail& mail);

class Mailer {
public:
    virtual ~Mailer() = default;
    // Sends off the window's thread and returns at once; done runs later on
    // context's thread with nothing on success or the failure's description.
    // It does not run if context is gone by then.
    virtual void send(const MailServer& server, const Mail& mail, QObject* context,
                      std::function<void(std::optional<QString> failure)> done) = 0;
};

class Sound {
public:
    virtual ~Sound() = default;
    virtual void play(const QString& path) = 0; // starts playing and returns at once
};

class Shell {
public:
    virtual ~Shell() = default;
    virtual void openUrl(const QString& url) = 0;
    // Ends the process at once with this status. A test fake records the call
    // and returns; every caller returns right after it.
    virtual void endProgram(int status) = 0;
};

class SystemClock {
public:
    virtual ~SystemClock() = default;
    virtual QDateTime now() const = 0; // local date and time
    // Seconds from an arbitrary start that never go back, whatever is done to
    // the wall clock (set back, set forward by 时间校对, a resume from sleep).
    virtual qint64 elapsedSecs() const = 0;
    // Sets the system clock to this instant: nothing when it was set, else
    // the reason in the user's words.
    virtual std::optional<QString> set(const QDateTime& instant) = 0;
};

struct Platform {
    Dialogs& dialogs;
    Http& http;
    Mailer& mailer;
    Sound& sound;
    Shell& shell;
    SystemClock& clock;
};
