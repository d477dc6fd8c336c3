// The window's own query, from its start to its end: its number (a newer
// query makes every older one stale, and a stale one leaves the window
// alone), the busy animation, the watchdog's ten ticks, the answer the
// parser tick reads, and the one ending that gives the window back. kdgs,
// cx, hx2, the parser tick and the add ask it and end through it; the
// whole-book watch asks it whether a query waits. It touches no control:
// the window shows what it says through the two hooks.
#pragma once

#include <QObject>
#include <functional>

class QTimer;

class ForegroundQuery : public QObject {
    Q_OBJECT
public:
    // What an ending gives back: nothing (the parser still has to run), the
    // selector, the list and the toolbar, or what a finished query leaves
    // usable (less while polling runs).
    enum class Unlock { None, Window, AfterQuery };

    // watchdog: the one-second timer whose tenth tick gives the query up.
    ForegroundQuery(QTimer* watchdog, QObject* parent = nullptr);

    std::function<void(bool)> showBusy = [](bool) {};
    std::function<void(Unlock)> unlock = [](Unlock) {};

    // A new query, the newest from now on: busy, the watchdog from zero.
    quint64 start();
    quint64 current() const { return m_current; }
    bool isCurrent(quint64 query) const { return query == m_current; }

    // A question to the user is open: the watchdog waits for it; restarted
    // from zero when the query goes on.
    void holdWatchdog();
    void restartWatchdog();
    // One watchdog tick; true on the tenth, when the watchdog has stopped and
    // the query is given up.
    bool watchdogTick();
    int watchdogTicks() const { return m_ticks; }

    // The one ending: busy off, the watchdog stopped, the window as asked.
    void end(Unlock what);

    // The parser tick reads the answer of the query current now; a newer
    // query makes that answer stale.
    void parseAnswer() { m_parsed = m_current; }
    bool parsedIsCurrent() const { return m_parsed == m_current; }

    // Calls waiting for their answer (the whole-book watch keeps still).
    bool waiting() const { return m_waiting > 0; }
    class Wait {
    public:
        explicit Wait(ForegroundQuery& q) : m_q(q) { ++m_q.m_waiting; }
        ~Wait() { --m_q.m_waiting; }
        Wait(const Wait&) = delete;
        Wait& operator=(const Wait&) = delete;

    private:
        ForegroundQuery& m_q;
    };

private:
    QTimer* m_watchdog;
    quint64 m_current = 0;
    quint64 m_parsed = 0;
    int m_ticks = 0;
    int m_waiting = 0;
};
