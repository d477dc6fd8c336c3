// Where the parcel book lives, and moving a book an earlier version kept
// beside the program into the user's data folder.
//
// An installed program (its folder holds the InstalledMarker: `make run` and
// the package) keeps the book in the user's data folder, and a book still
// beside it is moved there. A program folder that holds its own db/ and is
// writable (a portable copy, the demo) keeps its book where it is. Any other
// program folder (read-only, no db/) uses the data folder too.
#pragma once

#include <QString>
#include <optional>

inline const QString InstalledMarker = QStringLiteral("installed");

struct StorePlace {
    QString folder;    // holds db/kd100.db, its lock and db/backup/
    QString oldFolder; // an earlier version's folder whose db/ moves to folder; empty: none
    bool own = false;  // folder is the user's data folder, which the program makes
};

// dataFolder empty: the program folder, whatever it holds.
StorePlace storePlace(const QString& programFolder, const QString& dataFolder);

// Makes folder (and its parents), readable by the user alone where the disk
// keeps modes; false when it cannot be made.
bool makePrivateFolder(const QString& folder);

// The outcome of moving a book: whether the book now lives in the new
// folder, and what the user should be told.
struct StoreMove {
    bool moved = false; // the new folder's book is the one to use
    QString message;    // for the status line; empty: nothing to say
};

// Moves from/db/kd100.db (and its backups) to to/db/. The old file is
// removed only after a copy made by the store itself has opened, passed its
// integrity check and shown the same digest. A book already in to/db (a move
// cut short after the copy) wins; the old one is removed only when it holds
// the same rows. On any failure the old book stays as it was and is used.
StoreMove moveStore(const QString& from, const QString& to);
