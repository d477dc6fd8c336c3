// The tracking request and the reading of its answer: URL, error code, the
// progress entries, the parcel's state and its time under way. The answer is
// read as plain text at the literal keys of its entries, not parsed as JSON.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// The query for one parcel at the tracking endpoint's root path. The courier
// code and the number are percent-encoded so that "&", "#" or a blank in a
// number cannot add or break query keys.
QString trackingUrl(const QString& endpoint, const QString& code, const QString& number);

// The auto-number service's URL for a number; the number is percent-encoded
// so that "&", "#" or a blank cannot add or break query keys.
QString autoNumberUrl(const QString& endpoint, const QString& number);

// The text after the first errCode":" up to the next double quote; nothing
// when the answer has no error-code key.
std::optional<QString> errorCodeText(const QString& answer);

// The error code as a number; nothing when the answer has no error-code key
// or its code is not a number (an HTML page, a portal).
std::optional<int> errorCode(const QString& answer);

// The status-line text for a failure code: the code table's, or for a code
// outside it one that names the code; empty for 0 and 1 (no failure, and the
// number unknown to the service, which asks the user).
QString errorMessage(int code);

// Entry tally: how many time keys ("time":") the answer holds, at most 32767.
// A key whose opening quote is escaped (\") is text inside a value, not a key.
int countEntries(const QString& answer);

struct Entry {
    QString time;
    QString context; // with every "\/" shown as one blank
    bool operator==(const Entry&) const = default;
};

// A service's text as the program shows, keeps and mails it: line breaks and
// tabs become blanks; other control characters and invisible format
// characters (the direction overrides among them) are taken out.
QString shownText(const QString& text);

// Entries 1..tally, newest first. A value runs to the first quote that is not
// escaped; its JSON escapes are decoded (\" \\ \n \t \uXXXX …), except that
// "\/" in an entry text is one blank, and it is then made a shownText. A
// piece that is missing, or that has no closing quote, gives an empty text.
// One pass over the answer.
QList<Entry> parseEntries(const QString& answer, int tally);

// A parcel's state. The first three are the ones words in the entries tell;
// the others only the service's own state names.
enum class ParcelState {
    Signed,             // 已签收: by the receiver, or for them
    Delivering,         // 派件中
    InTransit,          // 运送中
    AwaitingPickup,     // 待取件: in a locker or a station
    AwaitingCollection, // 待揽收: ordered, not yet collected
    Problem,            // 疑难件
    Refused,            // 已拒签
    Returning,          // 退回中
    Returned,           // 已退签: returned and signed for by the sender
    Cancelled,          // 已销单
    Customs,            // 清关中
    CustomsProblem      // 清关异常
};

// From the texts of the two newest entries: a signature word (签, 妥, 感谢)
// means signed for, else 派 means out for delivery, else in transit. For
// answers that carry no state of the service.
ParcelState deriveState(const QString& newest, const QString& second);
// The tracking service's state (快递100's state, or the finer code it gives
// when asked with resultv2 4: 501 投柜或驿站, 304 投柜或站签收, 401 已销单 …);
// nothing for a code it does not document.
std::optional<ParcelState> serviceState(int code);
// 快递鸟's state: its State, or the finer StateEx (211 已放入快递柜或驿站, 404
// 拒收, 406 退货签收 …); nothing for a code it does not document.
std::optional<ParcelState> kdniaoState(int code);
// Nothing follows: signed for, returned to and signed for by the sender, or
// cancelled. Every other state is watched, may be polled and alerts on news.
bool finished(ParcelState s);
QString stateText(ParcelState s);
// The state a text of stateText names; nothing for any other text.
std::optional<ParcelState> stateOfText(const QString& text);
// Whose state code an answer carries: 快递100's ("state":"501") or 快递鸟's
// ("kdniaoState":"211").
enum class StateOf { Kuaidi100, Kdniao };
// The state code an answer carries; nothing without one.
std::optional<int> stateCode(const QString& answer, StateOf service = StateOf::Kuaidi100);

// An entry time "2026-01-05 09:03:07" (also with "/" or without leading
// zeros or seconds); nothing when it is not a date.
std::optional<QDateTime> parseEntryTime(const QString& text);

// Whole seconds from one entry time to another; 0 when either is not a date.
qint64 secondsBetween(const QString& from, const QDateTime& to);
qint64 secondsBetween(const QString& from, const QString& to);

// "2天3小时5分"; truncating division, so negative spans read -1天-1小时-1分.
QString transitText(qint64 seconds);
