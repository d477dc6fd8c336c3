// The parcel book, the courier directory and the options row, in one SQLite
// file. One typed operation per statement the program issues; every value is
// bound, never spliced, so quotes, "%", "_", ";" and "--" in user text are
// stored and found exactly as typed.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

struct ParcelRow {
    qint64 id = 0;
    QString company, number, goods;
    QString num;           // stored count as text; empty when the column is empty
    bool archived = false; // put away: out of the selector, the count at start and the watch
};

// A parcel to store: its courier's name, its number and its goods.
struct NewParcel {
    QString company, number, goods;
};

struct CourierRow {
    qint64 id = 0;
    QString name, code, shibie, call;
};

// The whole book as the selector lists it, in book order.
struct BookList {
    QList<qint64> ids;
    QStringList goods;
};

// The seven switches of the options row, in the order of their check boxes
// Check2 .. Check8.
enum class Switch { Mail, Sound, Drag, CloseOnClick, Balloon, QueryFirst, AutoDetect };
constexpr int SwitchCount = 7;
const char* switchColumn(Switch s);

struct SettingsRow {
    QString values[SwitchCount]; // indexed by Switch, raw column text
    QString address;             // 通知邮箱
    const QString& operator[](Switch s) const { return values[static_cast<int>(s)]; }
};

// What the whole-book watch remembers of a parcel: the last answer's entries
// (encoded by the watch), when that answer came, the state it gave, and the
// entry count already announced.
struct WatchRow {
    qint64 parcel = 0;
    QString entries;
    QString answered; // "yyyy-MM-dd hh:mm:ss"
    QString state; // the parcel's state as shown (已签收, 派件中, 待取件 …); empty before the first
                   // answer
    int notified = 0;
};

// The tracking service's last answer about a number, kept so that the
// number is asked at most once per half hour, across restarts.
struct KeptAnswer {
    QString body;     // the program's answer
    QString answered; // "yyyy-MM-dd hh:mm:ss", local time
};

// A number the service or the network failed for: not asked again before
// `until` ("yyyy-MM-dd hh:mm:ss", local time); failures in a row so far.
struct PausedNumber {
    QString until;
    int failures = 0;
    QString reason; // what the status line said of the last failure
};

// A selector entry: its parcel, the goods text and what the watch knows of it.
struct BookEntry {
    qint64 id = 0;
    QString goods;
    QString state;      // empty: the watch has no answer for it
    int watchCount = 0; // entries of the remembered answer
    int seen = -1;      // the stored count (num) the user has seen; -1 when empty
};

// What a read brought back: the rows, or the store's failure. A read that
// failed is never "no row": failed() is true and the value is empty.
template <class T> class [[nodiscard]] Read {
public:
    Read(T value) : m_value(std::move(value)) {}
    static Read failure(QString error) {
        Read r{T{}};
        r.m_failed = true;
        r.m_error = std::move(error);
        return r;
    }
    bool failed() const { return m_failed; }
    const QString& error() const { return m_error; }
    const T& operator*() const { return m_value; }
    const T* operator->() const { return &m_value; }

private:
    T m_value;
    bool m_failed = false;
    QString m_error;
};

// Busy: another program holds the file locked past the busy time-out.
// Damaged: the integrity check found the file corrupt. Unwritable: the file
// is sound but its disk takes no writes (read-only, full, no permission).
enum class OpenResult { Ok, Missing, NotAStore, MissingTables, Busy, Damaged, Unwritable };

class Store {
public:
    explicit Store(QString connectionName = QStringLiteral("kd100"));
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens an existing store and checks its integrity (PRAGMA quick_check);
    // never creates a file. A lock held by another program is waited out for
    // busyTimeoutMs. With Check::Later the integrity check waits for verify()
    // (a store that lacks a table of this version is checked at once, before
    // the table is made); until it has passed the store is only read: every
    // write and every copy runs it first and fails when it does not pass.
    enum class Check { Now, Later };
    OpenResult open(const QString& path, int busyTimeoutMs = 5000, Check check = Check::Now);
    // The integrity check's verdict, made once: Ok, Damaged, or Busy or
    // NotAStore when the check could not read the file.
    OpenResult verify();
    QString lastError() const { return m_error; }

    // Creates a store at path from the seed script; false when the file exists
    // already (an existing book is never touched) or the script fails.
    static bool createFromSeed(const QString& path, const QString& seedSql, QString* error);
    // Runs a script of statements (one per ";" at a line end) in one transaction.
    static bool runScript(const QString& path, const QString& sql, QString* error);

    // A consistent copy of the open store at path (SQLite's own VACUUM INTO,
    // safe while the store is in use); false when it could not be made.
    bool copyTo(const QString& path);
    // The same copy into a file made empty with its mode first, so that it is
    // never readable by others; on failure nothing is left at path.
    bool copyPrivately(const QString& path);
    // A hash of every row of every table, in row order: two stores with the
    // same digest hold the same book.
    Read<QByteArray> digest();

    // kd100, always in insertion (id) order
    Read<QList<ParcelRow>> parcels();
    Read<BookList> parcelList(); // the ids and the goods, for the selector
    Read<std::optional<ParcelRow>> parcelByGoods(const QString& goods);
    Read<QList<ParcelRow>> parcelsWithGoods(const QString& goods);
    Read<QList<ParcelRow>> parcelsGoodsLike(const QString& text);
    Read<QList<ParcelRow>> parcelsWithNumber(const QString& number);
    Read<QList<ParcelRow>> parcelsNumberLike(const QString& text);
    Read<std::optional<ParcelRow>> parcelById(qint64 id);
    bool addParcel(const QString& company, const QString& number, const QString& goods);
    // Each returns false when no row has that id or the statement failed.
    bool updateParcel(qint64 id, const QString& company, const QString& goods,
                      const QString& number);
    bool setParcelNum(qint64 id, const QString& num);
    bool deleteParcel(qint64 id);
    bool clearParcels();

    // The whole-book watch. Its tables (and those of the kept answers and
    // the parcels' phones) are made when the store opens, so a book from
    // before them keeps every row and gains them.
    Read<QList<WatchRow>> watchRows();
    // Every parcel's id in book order, and whether its remembered state is
    // one of doneStates (the watch's one read per request, so it reads
    // nothing else).
    Read<QList<std::pair<qint64, bool>>> watchedParcels(const QStringList& doneStates);
    Read<std::optional<WatchRow>> watchRow(qint64 parcel);
    // Writes the row if its parcel is still in the book; false otherwise.
    bool saveWatch(const WatchRow& row);
    Read<QList<BookEntry>> bookEntries(); // the selector's entries with the watch's marks
    Read<std::optional<QString>> watchOption(const QString& name);
    bool setWatchOption(const QString& name, const QString& value);

    // The tracking service's kept answers and paused numbers, by courier
    // code and number; forgetAnswers forgets the answers given and the
    // pauses ended before `before`.
    Read<std::optional<KeptAnswer>> keptAnswer(const QString& com, const QString& number);
    bool keepAnswer(const QString& com, const QString& number, const KeptAnswer& answer);
    Read<std::optional<PausedNumber>> pausedNumber(const QString& com, const QString& number);
    bool pauseNumber(const QString& com, const QString& number, const PausedNumber& pause);
    bool unpauseNumber(const QString& com, const QString& number);
    bool forgetAnswers(const QString& before);
    // Empties the store's page cache (it fills again as pages are read).
    void releaseMemory();
    // The receiver's phone the service wants for a parcel; empty when none.
    Read<QString> parcelPhone(qint64 parcel);
    bool setParcelPhone(qint64 parcel, const QString& phone);

    // The book the selector lists: the ids of the parcels not put away, in
    // book order; a parcel's goods read one at a time (empty when gone).
    Read<QList<qint64>> bookIds();
    Read<QString> goodsOf(qint64 id);
    // Many parcels in one transaction: all stored, or none. None has a count
    // yet: its first reading is what the user has seen, not news.
    bool addParcels(const QList<NewParcel>& parcels);
    // archive: parcels put away (at "yyyy-MM-dd hh:mm:ss") and brought back
    // (its signing then counts from `at`, so the option does not put it away
    // again at once).
    bool archiveParcel(qint64 id, const QString& at);
    bool unarchiveParcel(qint64 id, const QString& at);
    // signed: when a parcel was first read as signed for (its newest entry's
    // time); forgetSigned when it no longer reads so.
    bool noteSigned(qint64 id, const QString& at);
    bool forgetSigned(qint64 id);
    // Puts away every parcel signed for before `before`; how many.
    Read<int> archiveSignedBefore(const QString& before, const QString& at);

    // list
    Read<QList<CourierRow>> couriers();
    Read<QList<CourierRow>> couriersNameLike(const QString& text);
    Read<std::optional<CourierRow>> courierByName(const QString& name);
    Read<std::optional<CourierRow>> courierById(qint64 id);
    Read<std::optional<CourierRow>> courierByShibie(const QString& key);
    Read<std::optional<CourierRow>> courierByCode(const QString& code);
    // 快递鸟's code of a courier by its 快递100 code; nothing when it has none.
    Read<std::optional<QString>> kdniaoCode(const QString& code);
    // The courier whose 快递鸟 code this is.
    Read<std::optional<CourierRow>> courierByKdniao(const QString& kdniao);

    // servicecalls: the calls a service took on a day ("yyyy-MM-dd"); a
    // count keeps its latest day only. setCalls raises the day's count to
    // calls (the service said its limit is reached).
    Read<int> callsOn(const QString& service, const QString& day);
    bool countCall(const QString& service, const QString& day);
    bool setCalls(const QString& service, const QString& day, int calls);

    // setting: the one row, written without a filtering clause
    Read<std::optional<SettingsRow>> settings();
    bool setSwitch(Switch s, const QString& value);
    bool setAddress(const QString& address);

private:
    Read<QList<ParcelRow>> parcelQuery(const QString& where, const QVariant& value);
    Read<QList<CourierRow>> courierQuery(const QString& where, const QVariant& value);
    // A write: runs the integrity check first when it has not passed yet.
    bool exec(const QString& sql, const QVariantList& values, bool needRow);
    bool run(const QString& sql, const QVariantList& values, bool needRow); // unchecked
    // Runs the statements as one transaction; false (and nothing changed)
    // when one fails. The first statement's needRow decides like exec.
    bool execAll(const QList<std::pair<QString, QVariantList>>& statements, bool needRow);
    bool makeTables(bool signedIsNew);
    bool makeCodes();       // fills 快递鸟's codes into a store that has none yet
    OpenResult integrity(); // runs quick_check
    bool writable();        // the check passed; else the reason is the last error

    QString m_connection;
    QString m_error;
    std::optional<OpenResult> m_verdict; // the integrity check's, once made
};
