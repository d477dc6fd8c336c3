#include "platform/RealPlatform.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/timex.h>

int RealDialogs::MsgBox(const QString& prompt, int buttons, const QString& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText); // a goods text or a number is never markup
    box.setText(prompt);
    const int icon = buttons & (Mb::Information | Mb::Exclamation);
    box.setIcon(icon == Mb::Exclamation ? QMessageBox::Warning : QMessageBox::Information);
    if ((buttons & 7) == Mb::YesNo)
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    else
        box.setStandardButtons(QMessageBox::Ok);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) return Mb::Yes;
    if (answer == QMessageBox::No) return Mb::No;
    return Mb::Ok;
}

std::optional<QString> RealDialogs::InputBox(const QString& prompt, const QString& title) {
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue();
}

std::optional<QString> RealDialogs::saveFileName(const QString& filter) {
    // "(TXT文本)|*.txt" as the dialog writes its filters: "(TXT文本) (*.txt)".
    const QStringList parts = filter.split(u'|');
    const QString qtFilter =
        parts.size() == 2 ? parts[0] + QStringLiteral(" (") + parts[1] + u')' : filter;
    const QString name =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(), QString(), qtFilter);
    if (name.isEmpty()) return std::nullopt;
    return name;
}

RealHttp::RealHttp(int transferTimeoutMs)
    : m_net(std::make_unique<QNetworkAccessManager>()), m_timeout(transferTimeoutMs) {}

RealHttp::~RealHttp() = default;

namespace {
// The reply as the program reads it. An answer with an error status still has
// its body; a transfer that broke off (refused, dropped part-way, timed out)
// has none, so a short answer is never read as a complete one.
HttpReply replyOf(QNetworkReply* reply) {
    HttpReply result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.contentType = reply->rawHeader("Content-Type");
    const QNetworkReply::NetworkError error = reply->error();
    const bool httpError = result.status >= 400 && ((error >= QNetworkReply::ContentAccessDenied &&
                                                     error <= QNetworkReply::UnknownContentError) ||
                                                    (error >= QNetworkReply::InternalServerError &&
                                                     error <= QNetworkReply::UnknownServerError));
    if (error == QNetworkReply::NoError || httpError) result.body = reply->readAll();
    return result;
}
} // namespace

QNetworkReply* RealHttp::start(const QString& url, const QByteArray& form) {
    QNetworkRequest request{QUrl(url, QUrl::StrictMode)};
    request.setRawHeader("If-Modified-Since", "0");
    request.setTransferTimeout(m_timeout);
    // An https address is checked against the system's certificate store
    // (Qt's default); a certificate error ends the request.
    if (form.isEmpty()) return m_net->get(request);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    return m_net->post(request, form);
}

HttpReply RealHttp::get(const QString& url) {
    QNetworkReply* reply = start(url);
    // Wait while the window keeps processing its events (clicks, timers).
    QEventLoop wait;
    QObject::connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
    if (!reply->isFinished()) wait.exec();
    const HttpReply result = replyOf(reply);
    reply->deleteLater();
    return result;
}

std::function<void()> RealHttp::send(const HttpRequest& request, QObject* context,
                                     std::function<void(HttpReply)> done) {
    QPointer<QNetworkReply> reply = start(request.url, request.form);
    // Past the deadline, or past the size limit, the request is aborted: its
    // reply then has no body, as after any broken transfer.
    if (request.deadlineMs > 0)
        QTimer::singleShot(request.deadlineMs, reply, [reply] {
            if (reply && reply->isRunning()) reply->abort();
        });
    if (request.maxBytes > 0)
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                         [reply, max = request.maxBytes](qint64 received, qint64 total) {
                             if (reply && (received > max || total > max)) reply->abort();
                         });
    QObject::connect(reply, &QNetworkReply::finished, context, [reply, done = std::move(done)] {
        if (!reply) return;
        done(replyOf(reply));
        reply->deleteLater();
    });
    return [reply] {
        if (!reply) return;
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
    };
}

std::optional<QByteArray> RealHttp::headDate(const QString& url) {
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(m_timeout);
    QNetworkReply* reply = m_net->head(request);
    // The same wait as a GET: the window keeps working, the time-out ends it.
    QEventLoop wait;
    QObject::connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
    if (!reply->isFinished()) wait.exec();
    std::optional<QByteArray> date;
    if (reply->hasRawHeader("Date")) date = reply->rawHeader("Date");
    reply->deleteLater();
    return date;
}

void RealShell::openUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

void RealShell::endProgram(int status) {
    // Every change is already in the store; nothing is saved at exit.
    std::fflush(nullptr);
    std::_Exit(status);
}

QDateTime RealClock::now() const {
    return QDateTime::currentDateTime();
}

qint64 RealClock::elapsedSecs() const {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts); // goes on while the machine sleeps
    return ts.tv_sec;
}

std::optional<QString> RealClock::set(const QDateTime& instant) {
    // A clock kept by network time synchronisation would be put back at once.
    timex state{};
    if (adjtimex(&state) != TIME_ERROR && !(state.status & STA_UNSYNC))
        return QStringLiteral("系统时间已由网络时间同步自动校准,无需手动校对");
    timespec ts{};
    ts.tv_sec = instant.toSecsSinceEpoch();
    if (clock_settime(CLOCK_REALTIME, &ts) == 0) return std::nullopt;
    if (errno == EPERM) return QStringLiteral("修改系统时间需要管理员权限,请以管理员身份运行");
    return QString::fromLocal8Bit(std::strerror(errno));
}
