// The parcel selector as the book's panels use it: the window shows the
// selector and implements this. Choosing an entry queries its parcel, as the
// user's choice does.
#pragma once

#include <QList>
#include <QString>

struct ParcelRow;

class ParcelSelector {
public:
    virtual ~ParcelSelector() = default;
    // sX: every parcel of the book in the order stored, none chosen; false
    // when the book could not be read (the selector is left as it was).
    virtual bool refill() = 0;
    // These parcels only (a search, a number added twice), none chosen.
    virtual void list(const QList<ParcelRow>& rows) = 0;
    // After a search's or a duplicate's list: "******************" and "刷新快递列表".
    virtual void addSeparators() = 0;
    virtual int count() const = 0;
    virtual QString chosenText() const = 0; // the entry shown; empty when none
    virtual int chosenIndex() const = 0;    // -1 when none
    virtual void setEntryText(int index, const QString& text) = 0;
    // Chooses the entry at index, which queries its parcel.
    virtual void choose(int index) = 0;
    // Runs the choice again for the entry shown (edit, re-fetch).
    virtual void rechoose() = 0;
    // A read the store failed: said, and the window idle again.
    virtual void readFailed(const QString& error) = 0;
};
