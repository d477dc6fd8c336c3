// The whole-book watch's rules, free of the window and the network: which
// parcel is due next and when, what is announced, and how remembered
// entries are kept.
#pragma once

#include "store/Store.h"
#include "tracking/Answer.h"
#include "tracking/Reading.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// A background request that has not answered after this long is given up.
inline constexpr int WatchTimeoutSecs = 60;

struct WatchCandidate {
    qint64 parcel = 0;
    bool signedFor = false; // its last answer said 已签收: never polled again
    qint64 lastTry = -1;    // the last request for it, answered or not, in elapsed seconds;
                            // -1: never
};

// The parcel to ask about now: not signed for, not tried within the
// interval, the one tried longest ago (never-tried ones first, in book
// order). Nothing when none is due. Times are elapsed seconds (which never
// go back), so a book of a thousand parcels is looked through without a
// time-zone conversion per parcel.
std::optional<qint64> nextParcel(const QList<WatchCandidate>& parcels, qint64 now,
                                 qint64 intervalSecs);

// The pause after a request, so that `waiting` parcels are spread over the
// interval instead of being asked all at once.
qint64 pauseSecs(qint64 intervalSecs, qsizetype waiting);

// A parcel's answer is announced when it holds more entries than both the
// count the user has seen (num) and the count already announced.
bool announces(int count, int notified, int seen);

// A selector entry's mark: moved since the user last looked, else the state
// of the remembered answer; none without one. seen is -1 for a parcel
// never looked at. Delivering also marks a parcel waiting to be picked up;
// Attention a problem, a refusal, a return or held customs; Closed a parcel
// returned to its sender or cancelled.
enum class BookMark { None, Moved, Delivering, Signed, InTransit, Attention, Closed };
BookMark bookMark(const QString& state, int watchCount, int seen);

QString notificationTitle(const QString& goods); // 【物品】有最新动态
// The state, then the newest entry: time and text.
QString notificationBody(ParcelState state, const Entry& newest);
QString offlineStatus(const QString& answered); // 离线记录：time

// The row that remembers this reading (with entries), taken at `at`; notified
// is carried over.
WatchRow rememberedRow(qint64 parcel, const Reading& read, const QDateTime& at, int notified);
// The states whose parcels the watch leaves alone, as the rows keep them.
QStringList finishedStateTexts();
// Remembers what the window's query read of a parcel, for the times the
// service cannot be reached; what was announced stays. False when nothing was
// stored.
bool remember(Store& store, qint64 parcel, const Reading& read, const QDateTime& at);

// Remembered entries as stored: a JSON array of [time, text] pairs.
QString encodeEntries(const QList<Entry>& entries);
QList<Entry> decodeEntries(const QString& stored);
