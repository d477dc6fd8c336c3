#include "platform/Notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

DesktopNotifications::DesktopNotifications(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(QString(), Path, Interface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(QString(), Path, Interface, QStringLiteral("NotificationClosed"), this,
                SLOT(closed(uint, uint)));
}

void DesktopNotifications::show(const QString& title, const QString& body, qint64 key) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    call << QStringLiteral("件踪宝") << uint(0) << QStringLiteral("jianzongbao") << title
         << body.toHtmlEscaped() << QStringList{QStringLiteral("default"), QStringLiteral("查看")}
         << QVariantMap{} << int(-1);
    // Asked without waiting: a slow or missing service never holds the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, key](QDBusPendingCallWatcher* w) {
                const QDBusPendingReply<uint> reply = *w;
                if (!reply.isError()) m_keys.insert(reply.value(), key);
                w->deleteLater();
            });
}

void DesktopNotifications::actionInvoked(uint id, const QString& action) {
    const auto it = m_keys.constFind(id);
    if (it == m_keys.cend() || action != QStringLiteral("default")) return;
    emit activated(*it);
}

void DesktopNotifications::closed(uint id, uint) {
    m_keys.remove(id);
}
