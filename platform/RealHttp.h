// The real HTTP client: libcurl's multi interface driven by the window's own
// event loop (socket notifiers and one timer), so nothing waits on another
// thread and every request can be given up at once. It lives in a module of
// its own, loaded on the first request (platform/Modules.h).
#pragma once

#include "platform/Platform.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <unordered_map>

class QSocketNotifier;

class RealHttp : public QObject, public Http {
public:
    // deadlineMs and maxBytes: for a request that names none.
    explicit RealHttp(int deadlineMs = 20000, qint64 maxBytes = 1 << 20);
    ~RealHttp() override;
    std::function<void()> send(const HttpRequest& request, QObject* context,
                               std::function<void(HttpReply)> done) override;
    // Certificates of this file are trusted beside the system's (a test's own).
    void setCaFile(const QString& path) { m_caFile = path.toLocal8Bit(); }

    struct Transfer;
    struct Callbacks; // libcurl's, in RealHttp.cpp

private:
    struct Watch {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    void watch(int fd, int what);
    void act(int fd, int flags);
    void finishDone();
    void drop(void* easy);

    void* m_multi = nullptr;
    QTimer m_timer;
    std::unordered_map<int, Watch> m_sockets;
    std::unordered_map<void*, std::unique_ptr<Transfer>> m_transfers;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    int m_deadlineMs;
    qint64 m_maxBytes;
    QByteArray m_caFile;
};
