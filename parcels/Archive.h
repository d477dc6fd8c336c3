// Delivered parcels put away: what a reading says of a parcel's signing, and
// the parcels signed for long enough ago archived by the option.
#pragma once

#include <QDateTime>

class Store;
struct Reading;

// A reading that shows the parcel signed for notes when (its newest entry's
// time, else now); any other reading with entries forgets it.
void noteSigning(Store& store, qint64 parcel, const Reading& read, const QDateTime& now);
// With days > 0: every parcel signed for at least `days` days before now is
// put away; how many (0 also when the store could not say).
int archiveDue(Store& store, int days, const QDateTime& now);
