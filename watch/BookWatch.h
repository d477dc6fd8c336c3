// The whole-book watch: while it is on, every parcel not yet signed for is
// asked about in the background, one request at a time, spread over the
// interval, never while the window's own query waits, and never without an
// account. It reads and writes
// only the store (what it remembers per parcel) and tells the window, by
// signal, when a parcel moved; it touches no control.
#pragma once

#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/Source.h"
#include "watch/Watching.h"

#include <QHash>
#include <QObject>
#include <QTimer>

class BookWatch : public QObject {
    Q_OBJECT
public:
    BookWatch(Store& store, SystemClock& clock, QObject* parent = nullptr);
    ~BookWatch() override;

    // Where answers come from; without one (or without an account) nothing is asked.
    void setSource(TrackingSource* source) { m_source = source; }

    void setOn(bool on);
    bool isOn() const { return m_on; }
    void setIntervalMinutes(int minutes) { m_intervalSecs = qint64(minutes) * 60; }
    int intervalMinutes() const { return int(m_intervalSecs / 60); }
    // True while the window's own query waits for its answer.
    std::function<bool()> foregroundBusy = [] { return false; };

    // One step, run every second: gives up a request past its time-out, and
    // asks about the next due parcel when its turn has come.
    void tick();
    // Every parcel not signed for is due at once (still one at a time).
    void refreshAllNow();
    bool asking() const { return m_asking != 0; }

signals:
    // A parcel's answer holds entries nobody has been told of yet.
    void moved(qint64 parcel, const Reading& read);
    // What the watch remembers of a parcel changed its state or its count
    // (the selector's marks may change).
    void remembered();

private:
    void ask(const ParcelRow& parcel);
    void answered(qint64 parcel, const TrackReply& reply);
    void finishRequest();

    Store& m_store;
    TrackingSource* m_source = nullptr;
    SystemClock& m_clock;
    QTimer m_timer;
    bool m_on = false;
    qint64 m_intervalSecs = DefaultWatchInterval * 60;
    // Times on the clock's elapsed seconds, which never go back.
    QHash<qint64, qint64> m_tried; // parcel -> last request
    qint64 m_nextAt = 0;           // no request before this
    qsizetype m_watched = 0;       // parcels not signed for, at the last look
    qint64 m_asking = 0;           // the parcel asked about, 0 when none
    qint64 m_askedAt = 0;
    std::function<void()> m_abort;
};
