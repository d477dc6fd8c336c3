#include "watch/Watching.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

std::optional<qint64> nextParcel(const QList<WatchCandidate>& parcels, qint64 now,
                                 qint64 intervalSecs) {
    const WatchCandidate* best = nullptr;
    for (const WatchCandidate& p : parcels) {
        if (p.signedFor || (p.lastTry >= 0 && now - p.lastTry < intervalSecs)) continue;
        if (!best || p.lastTry < best->lastTry) best = &p;
    }
    if (!best) return std::nullopt;
    return best->parcel;
}

qint64 pauseSecs(qint64 intervalSecs, qsizetype waiting) {
    return intervalSecs / std::max<qsizetype>(1, waiting);
}

bool announces(int count, int notified, int seen) {
    return count > notified && count > seen;
}

BookMark bookMark(const QString& state, int watchCount, int seen) {
    if (state.isEmpty()) return BookMark::None;
    if (seen >= 0 && watchCount > seen) return BookMark::Moved;
    switch (stateOfText(state).value_or(ParcelState::InTransit)) {
    case ParcelState::Signed:
        return BookMark::Signed;
    case ParcelState::Delivering:
    case ParcelState::AwaitingPickup:
        return BookMark::Delivering;
    case ParcelState::InTransit:
    case ParcelState::AwaitingCollection:
    case ParcelState::Customs:
        return BookMark::InTransit;
    case ParcelState::Problem:
    case ParcelState::Refused:
    case ParcelState::Returning:
    case ParcelState::CustomsProblem:
        return BookMark::Attention;
    case ParcelState::Returned:
    case ParcelState::Cancelled:
        break;
    }
    return BookMark::Closed;
}

WatchRow rememberedRow(qint64 parcel, const Reading& read, const QDateTime& at, int notified) {
    return {parcel, encodeEntries(read.entries), at.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
            read.entries.isEmpty() ? QString() : stateText(read.state), notified};
}

bool remember(Store& store, qint64 parcel, const Reading& read, const QDateTime& at) {
    const auto old = store.watchRow(parcel);
    if (old.failed()) return false;
    return store.saveWatch(rememberedRow(parcel, read, at, *old ? (*old)->notified : 0));
}

QStringList finishedStateTexts() {
    QStringList texts;
    for (int s = 0; s <= int(ParcelState::CustomsProblem); ++s)
        if (finished(ParcelState(s))) texts << stateText(ParcelState(s));
    return texts;
}

QString notificationTitle(const QString& goods) {
    return QStringLiteral("【") + goods + QStringLiteral("】有最新动态");
}

QString notificationBody(ParcelState state, const Entry& newest) {
    return stateText(state) + QStringLiteral("：") + newest.time + u' ' + newest.context;
}

QString offlineStatus(const QString& answered) {
    return QStringLiteral("离线记录：") + answered;
}

QString encodeEntries(const QList<Entry>& entries) {
    QJsonArray all;
    for (const Entry& e : entries)
        all.append(QJsonArray{e.time, e.context});
    return QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Compact));
}

QList<Entry> decodeEntries(const QString& stored) {
    QList<Entry> entries;
    const QJsonArray all = QJsonDocument::fromJson(stored.toUtf8()).array();
    for (const QJsonValue& v : all) {
        const QJsonArray pair = v.toArray();
        entries.append({pair.at(0).toString(), pair.at(1).toString()});
    }
    return entries;
}
