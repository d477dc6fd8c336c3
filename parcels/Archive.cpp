#include "parcels/Archive.h"

#include "store/Store.h"
#include "tracking/Reading.h"

namespace {
const QString TimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");
}

void noteSigning(Store& store, qint64 parcel, const Reading& read, const QDateTime& now) {
    if (parcel == 0 || read.entries.isEmpty()) return;
    if (read.state != ParcelState::Signed) {
        store.forgetSigned(parcel);
        return;
    }
    const std::optional<QDateTime> at = parseEntryTime(read.entries.first().time);
    store.noteSigned(parcel, (at && *at <= now ? *at : now).toString(TimeFormat));
}

int archiveDue(Store& store, int days, const QDateTime& now) {
    if (days <= 0) return 0;
    const Read<int> archived = store.archiveSignedBefore(now.addDays(-days).toString(TimeFormat),
                                                         now.toString(TimeFormat));
    return archived.failed() ? 0 : *archived;
}
