// The query of the current parcel, from the choice to the parsed answer: the
// current parcel (by its row id), the query's identity and watchdog, the
// answer buffer and its one reading, the questions it asks (the delete offer,
// the receiver's phone, a missing or refused account) and the reset to idle.
// It touches no control: it tells what to show by its signals, and asks its
// questions through the Dialogs seam. The window's query, the add panel's
// query and the re-fetch all go through it.
//
//   kdgs     sends the query of a number and waits for its answer
//   cx       queries the current parcel and acts on how the answer came out
//   hx2      starts the parser; Timer1_Timer parses; ql clears the buffer
//   Timer7_Timer  the watchdog's tick; csh the reset to idle
#pragma once

#include "tracking/ForegroundQuery.h"
#include "tracking/Reading.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class Dialogs;
class Store;
class SystemClock;
class QTimer;
class TrackingSource;

class QuerySession : public QObject {
    Q_OBJECT
public:
    QuerySession(Store& store, Dialogs& dialogs, SystemClock& clock, QObject* parent = nullptr);
    ~QuerySession() override;

    void setSource(TrackingSource* source) { m_source = source; }
    TrackingSource* source() const { return m_source; }

    struct Parcel {
        qint64 id = 0; // its row in the book; 0 before the first choice or while adding
        QString number, company, code, goods, num;
    };
    // The parcel chosen last (or being added).
    const Parcel& current() const { return cur; }
    // A courier picked in the directory: its code is what the next query sends.
    void setCode(const QString& code) { cur.code = code; }
    // Change detection fills in a missing stored count for this choice.
    void setBaseline(const QString& num) { cur.num = num; }
    // What the list shows of the current parcel: the reading last parsed;
    // without entries until a query of this choice gave some.
    const Reading& shown() const { return *m_shown; }
    // The reading of the answer in the buffer.
    const Reading& reading() const { return *m_reading; }
    ForegroundQuery& query() const { return *m_query; }
    int parsedRows() const { return m_newCount; }
    bool answerWaiting() const { return !answer.isEmpty(); }
    // The parser is reading an answer into the list.
    bool parsing() const;

    // A stored parcel becomes the current one and is queried (the selector's
    // choice). Gone: it left the book; Unreadable: the store failed (error).
    enum class Choice { Queried, Gone, Unreadable };
    Choice choose(qint64 parcel, QString* error = nullptr);
    // The number being added becomes the current parcel (no row yet).
    void prepareAdd(const QString& number, const QString& company, const QString& code,
                    const QString& goods);
    // After an add stored the number: the phone typed for it goes with it.
    void keepTypedPhone(const QString& number);

    // False when a newer query started while this one waited, or when the
    // query ended here (no account, no phone): the caller leaves the window
    // alone. parcel: the row queried, 0 when the number is being added.
    bool kdgs(const QString& number, qint64 parcel = 0);
    void cx();
    void offerToDelete(quint64 query);
    void hx2();
    void Timer1_Timer();
    void ql();
    void Timer7_Timer();
    void csh();
    // The caller's query ends here, giving back what it says.
    void end(ForegroundQuery::Unlock what) { m_query->end(what); }
    // The service refused the account: said, and 查询账户 offered once a session.
    void accountRefused(const QString& failure);

signals:
    void busy(bool on);
    void status(const QString& text);
    // A query starts: the list is emptied, and the answer line too (not for an add).
    void cleared(bool answerLine);
    void cellsReset();                    // a new choice: the info cells read "未查询" again
    void answerTime(const QString& text); // when the service gave the answer shown
    void parsed(const Reading& read);     // the list and the info cells show this
    void answered(const Reading& read);   // shown: change detection and the watch follow
    void unlock(ForegroundQuery::Unlock what);
    void reset();         // csh: the panels hidden, the window usable, the list focused
    void failed();        // no answer reached the service: what the watch remembers may show
    void deleted();       // the delete offer took the parcel out of the book
    void accountWanted(); // the user asked to open 查询账户

private:
    void noAccount();
    std::optional<QString> askPhone(const QString& number, bool sentOne);
    void showAnswerTime(const TrackReply& reply);

    Store& m_store;
    Dialogs& m_dialogs;
    SystemClock& m_clock;
    TrackingSource* m_source = nullptr;
    Parcel cur;
    QString answer; // the answer buffer
    int entryTally = 0;
    int m_newCount = 0;
    std::unique_ptr<Reading> m_reading, m_shown;
    QTimer *Timer1 = nullptr, *Timer7 = nullptr;
    ForegroundQuery* m_query = nullptr;
    bool m_toldNoAccount = false, m_toldAccountRefused = false; // their boxes show once
    struct {
        QString number, phone;
    } m_typedPhone; // the phone typed for a number being added
};
