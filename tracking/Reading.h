// One reading of a tracking answer: how it came out, its entries newest
// first, the parcel's state and its time under way. The window's query, the
// add panel's query and the whole-book watch all read answers through it;
// nothing reads an answer again out of what shows it.
#pragma once

#include "tracking/Answer.h"

#include <QDateTime>
#include <QList>
#include <QString>

// An answer as a tracking source delivers it.
struct TrackReply {
    QString body;                // the answer as the program reads it; empty when none came
    bool phoneWanted = false;    // the service wants the receiver's phone (or another one)
    QDateTime answered = {};     // when the service gave this answer
    bool kept = false;           // a kept answer: nothing was asked this time
    QString failure = {};        // a failure said in the program's words; empty: the code's text
    QDateTime heldUntil = {};    // a failure that pauses the number: not asked before then
    bool accountRefused = false; // the service refused the account (customer or key wrong)
    QString notice = {};         // said after the query's end (the day's calls nearly used up)
};

struct Reading {
    // Nothing: no answer came (the watchdog says so). Progress: code 0, with
    // or without entries. NoResult: code 1, the service does not know the
    // number. Failed: any other code, or an answer without one.
    enum class Outcome { Nothing, Progress, NoResult, Failed };

    static Reading of(const TrackReply& reply);
    static Reading of(const QString& answer) { return of(TrackReply{answer}); }

    Outcome outcome = Outcome::Nothing;
    QString failure;             // Failed: what the status line says
    bool accountRefused = false; // Failed: the account's customer or key was refused
    QString notice;              // said after "查询完毕..." when not empty
    QList<Entry> entries;        // newest first
    // The service's own state when the answer carries one, else what the
    // words of the two newest entries tell; meaningful with entries only.
    ParcelState state = ParcelState::InTransit;

    int count() const { return int(entries.size()); }
    // Entries, and nothing follows them (finished).
    bool done() const { return !entries.isEmpty() && finished(state); }
    // From the oldest entry to the newest for a finished parcel, else to now.
    qint64 transitSecs(const QDateTime& now) const;
};
