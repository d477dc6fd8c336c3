#include "watch/BookWatch.h"

#include "watch/Change.h"

#include <algorithm>

BookWatch::BookWatch(Store& store, SystemClock& clock, QObject* parent)
    : QObject(parent), m_store(store), m_clock(clock) {
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &BookWatch::tick);
}

BookWatch::~BookWatch() {
    if (m_abort) m_abort();
}

void BookWatch::setOn(bool on) {
    m_on = on;
    if (on) {
        m_timer.start();
        return;
    }
    m_timer.stop();
    if (m_abort) m_abort();
    m_abort = nullptr;
    m_asking = 0;
}

void BookWatch::refreshAllNow() {
    m_tried.clear();
    m_nextAt = 0;
}

void BookWatch::tick() {
    if (!m_on) return;
    // Pacing follows elapsed time: a wall clock set back must not hold the
    // watch up until it catches up.
    const qint64 now = m_clock.elapsedSecs();
    if (m_asking) {
        if (now - m_askedAt < WatchTimeoutSecs) return;
        m_abort(); // given up: the next parcel gets its turn
        finishRequest();
        return;
    }
    if (foregroundBusy() || now < m_nextAt || !m_source || !m_source->ready()) return;

    static const QStringList done = finishedStateTexts();
    const auto parcels = m_store.watchedParcels(done);
    if (parcels.failed()) return; // the store is busy: try again next tick
    QList<WatchCandidate> candidates;
    candidates.reserve(parcels->size());
    for (const auto& [id, signedFor] : *parcels)
        candidates.append({id, signedFor, m_tried.value(id, -1)});
    m_watched = std::count_if(candidates.cbegin(), candidates.cend(),
                              [](const WatchCandidate& c) { return !c.signedFor; });
    const std::optional<qint64> due = nextParcel(candidates, now, m_intervalSecs);
    if (!due) return;
    const auto parcel = m_store.parcelById(*due);
    if (!parcel.failed() && *parcel) ask(**parcel);
}

void BookWatch::ask(const ParcelRow& parcel) {
    const qint64 now = m_clock.elapsedSecs();
    m_tried.insert(parcel.id, now);
    const auto courier = m_store.courierByName(parcel.company);
    if (courier.failed() || !*courier) return finishRequest(); // no code to ask with
    m_asking = parcel.id;
    m_askedAt = now;
    const qint64 id = parcel.id;
    const auto phone = m_store.parcelPhone(id);
    m_abort =
        m_source->track({(*courier)->code, parcel.number, phone.failed() ? QString() : *phone},
                        [this, id](const TrackReply& reply) { answered(id, reply); });
}

void BookWatch::answered(qint64 parcel, const TrackReply& reply) {
    if (parcel != m_asking) return;
    finishRequest();
    const Reading read = Reading::of(reply);
    // No answer, or one that wants a phone: what is remembered stays.
    if (reply.phoneWanted || read.outcome != Reading::Outcome::Progress) return;
    const auto book = m_store.parcelById(parcel);
    const auto old = m_store.watchRow(parcel);
    if (book.failed() || !*book || old.failed()) return;

    WatchRow row = rememberedRow(parcel, read, m_clock.now(), *old ? (*old)->notified : 0);
    // A parcel without a stored count has never been looked at: its entries
    // are no news, as in the window, and their count is kept as the one seen.
    const QString& num = (*book)->num;
    const bool firstLook = num.trimmed().isEmpty();
    const int seen = firstLook ? read.count() : int(leadingNumber(num));
    if (firstLook && !m_store.setParcelNum(parcel, QString::number(seen))) return;
    const bool news = announces(read.count(), row.notified, seen);
    if (news) row.notified = read.count();
    if (!m_store.saveWatch(row)) return; // not remembered: not announced either
    const bool sameMark = *old && (*old)->state == row.state &&
                          decodeEntries((*old)->entries).size() == read.entries.size();
    if (!sameMark) emit remembered();
    if (news) emit moved(parcel, read);
}

// Ends the request under way and sets when the next may start: the parcels
// still watched share the interval.
void BookWatch::finishRequest() {
    m_asking = 0;
    m_abort = nullptr;
    m_nextAt = m_clock.elapsedSecs() + pauseSecs(m_intervalSecs, m_watched);
}
