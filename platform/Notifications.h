// Desktop notifications through the freedesktop notification service
// (org.freedesktop.Notifications on the session bus), so they show on
// desktops without a tray too. Without a session bus or a service, nothing
// shows and nothing fails.
#pragma once

#include <QHash>
#include <QObject>

class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifications(QObject* parent = nullptr);
    // Shows a notification whose activation reports key. The title is plain
    // text; the body is escaped, since services may read markup in it.
    void show(const QString& title, const QString& body, qint64 key);

signals:
    void activated(qint64 key);

private slots:
    void actionInvoked(uint id, const QString& action);
    void closed(uint id, uint reason);

private:
    QHash<uint, qint64> m_keys; // notification id -> key, while it shows
};
