// Loop querying (every N minutes) and timed querying (once at a set time of
// day) of the chosen parcel: the checks before either starts, the two timers
// and when the next query is due. It touches no control: the settings panel
// shows the mode, the window locks itself for it and queries when told.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>

class Dialogs;
class QTimer;
class QuerySession;
class SystemClock;

class Polling : public QObject {
    Q_OBJECT
public:
    // Which of the two runs; the start buttons' captions show it.
    enum class Mode { Off, Loop, Timed };

    Polling(QuerySession& session, Dialogs& dialogs, SystemClock& clock, QObject* parent = nullptr);
    ~Polling() override;

    // True while a parcel is chosen in the selector (the window tells).
    std::function<bool()> chosen = [] { return false; };

    Mode mode() const { return m_mode; }
    int loopMinutes() const { return loopTicks; }

    // The start buttons (Command1[16], Command1[18]): start, or stop when
    // running. Starting makes the checks first; the first that fails is said
    // in a box and nothing starts.
    void loopButton(const QString& interval);
    void timedButton(const QString& hour, const QString& minute);
    // The frame switches (Command1[15], Command1[17]): a running function
    // ends after a question; false when the user keeps it running.
    bool leaveLoop();
    bool leaveTimed();

    void Timer6_Timer(); // a minute of the loop
    void Timer4_Timer(); // a second of the timed query

signals:
    void modeChanged(Mode mode);
    void due(); // the chosen parcel is queried again

private:
    bool readyToPoll(const QString& notQueried, bool timeSet, const QString& noTime);
    void setMode(Mode mode);

    QuerySession& m_session;
    Dialogs& m_dialogs;
    SystemClock& m_clock;
    Mode m_mode = Mode::Off;
    QTimer *Timer4 = nullptr, *Timer6 = nullptr;
    int loopTicks = 0; // minutes since the loop started or last queried
    int m_interval = 0, m_hour = 0, m_minute = 0;
    QDateTime m_timedLast; // the timed query's last look at the clock
};
