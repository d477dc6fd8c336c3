#include "platform/Modules.h"

#include <QMetaObject>
#include <QPointer>

namespace {
// The object the module's entry point makes, or nothing when the module
// cannot be loaded (the library's reason is left in library.errorString()).
template <typename T> std::unique_ptr<T> make(QLibrary& library, const char* entry) {
    using Make = T* (*)();
    const auto fn = reinterpret_cast<Make>(library.resolve(entry));
    return std::unique_ptr<T>(fn ? fn() : nullptr);
}
} // namespace

ModuleSound::ModuleSound(const QString& folder)
    : m_library(folder + QStringLiteral("/jianzongbao-sound.so")) {}

ModuleSound::~ModuleSound() = default;

void ModuleSound::play(const QString& path) {
    if (!m_tried) {
        m_tried = true;
        m_sound = make<Sound>(m_library, "jzb_make_sound");
        if (!m_sound)
            qWarning("the alert sound cannot play: %s", qPrintable(m_library.errorString()));
    }
    if (m_sound) m_sound->play(path);
}

ModuleMailer::ModuleMailer(const QString& folder)
    : m_library(folder + QStringLiteral("/jianzongbao-mail.so")) {}

ModuleMailer::~ModuleMailer() = default;

void ModuleMailer::send(const MailServer& server, const Mail& mail, QObject* context,
                        std::function<void(std::optional<QString> failure)> done) {
    if (!m_mailer) m_mailer = make<Mailer>(m_library, "jzb_make_mailer");
    if (m_mailer) {
        m_mailer->send(server, mail, context, std::move(done));
        return;
    }
    // Reported like any failed send: later, on the context's thread.
    const QString reason =
        QStringLiteral("邮件组件无法载入(") + m_library.errorString() + QStringLiteral(")");
    QMetaObject::invokeMethod(
        context, [done = std::move(done), reason] { done(reason); }, Qt::QueuedConnection);
}

ModuleHttp::ModuleHttp(const QString& folder)
    : m_library(folder + QStringLiteral("/jianzongbao-http.so")) {}

ModuleHttp::~ModuleHttp() = default;

std::function<void()> ModuleHttp::send(const HttpRequest& request, QObject* context,
                                       std::function<void(HttpReply)> done) {
    if (!m_tried) {
        m_tried = true;
        m_http = make<Http>(m_library, "jzb_make_http");
        if (!m_http)
            qWarning("nothing can be asked on the network: %s",
                     qPrintable(m_library.errorString()));
    }
    if (m_http) return m_http->send(request, context, std::move(done));
    auto live = std::make_shared<bool>(true);
    QMetaObject::invokeMethod(
        context,
        [live, done = std::move(done)] {
            if (*live) done(HttpReply{});
        },
        Qt::QueuedConnection);
    return [live] { *live = false; };
}
