// The tracking service's enterprise API, free of the network: the account
// and its file, the signed form of the real-time query, the auto-number
// request, and the service's answers turned into the answers the program
// reads (errCode with time and context entries).
#pragma once

#include "platform/Endpoints.h"

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>

// The account file: "[account]" with service= (kuaidi100, the default, or
// kdniao), customer=, key= and phone=; "[kdniao]" with id= and key=; a "[phone]"
// section of NUMBER=PHONE lines (as gateway.conf of earlier versions wrote
// them). "#" and ";" start comments; unknown lines are ignored.
struct AccountFile {
    TrackingAccount account;
    QHash<QString, QString> phones; // number -> phone
};
AccountFile parseAccountFile(const QString& text);
// The account as its file holds it; line breaks in a value are dropped.
QByteArray accountFileText(const TrackingAccount& account);

// A phone as the program takes it: a mobile number (11 digits from 1), a
// landline with its area code (0 and 2 or 3 digits, then 7 or 8 digits, a "-"
// between them or not), the last four digits of one, or a virtual number of
// an online shop (a mobile number, "-" and 4 digits).
bool isPhoneText(const QString& text);
// What the service is sent of such a phone: a virtual number's 4 digits after
// "-", else the phone as it stands.
QString phoneForService(const QString& phone);
// The couriers whose numbers the service answers only with the receiver's
// phone: 顺丰速运, 顺丰快运 and 中通快递.
bool needsPhone(const QString& com);
// The phone a query sends (phoneForService): the parcel's own when it has one,
// else the account's for a courier that needs one, else none.
QString phoneToSend(const QString& com, const QString& parcelPhone, const QString& accountPhone);

// The query's param: {"com":…,"num":…,"order":"desc","resultv2":"4"} and
// "phone" when given. resultv2 4 asks for the service's finer states.
QByteArray enterpriseParam(const QString& com, const QString& num, const QString& phone);
// Upper-case hex MD5 of param + key + customer.
QByteArray enterpriseSign(const QByteArray& param, const QString& key, const QString& customer);
// The form body of the POST: customer, param and sign, percent-encoded.
QByteArray enterpriseForm(const QString& customer, const QByteArray& param, const QByteArray& sign);
// The auto-number request: num and key, percent-encoded.
QString enterpriseAutoNumberUrl(const QString& endpoint, const QString& number, const QString& key);

// What the service's answer means to the program.
struct ServiceAnswer {
    QByteArray text;             // the program's answer
    bool phoneWanted = false;    // the phone is missing or did not match
    bool keep = false;           // an answer about the number: kept for half an hour
    bool pace = false;           // a failure of the service or the network: not asked again soon
    QString failure;             // what the status line says of a failure, when the code's text
                                 // would not say it
    bool accountRefused = false; // the signature was refused: the customer or the key is wrong
    bool dayLimit = false;       // the account's calls of the day are used up
};
// An answer holds at most this many entries; more is no answer of a parcel.
inline constexpr int MaxEntries = 1000;
// "errCode" "0", the service's "state" and the entries (time, the service's
// ftime where it gives one; context; "/" written "\/") on success; code 1
// when the service has no result for the number; the phone answer
// (returnCode 408, or a refusal that names the phone); 20 for a refused
// signature (the account refused) or refused data (400); 22 with no queries
// left or the key expired (601), each said in words that tell what to do; 3
// for anything else (a service error, a status other than 200, no answer at
// all: nothing). An answer is taken only when it is about the
// number and the courier asked (where it names them) and its entries are
// objects with a time and a text, at most MaxEntries of them; an entry given
// twice counts once.
ServiceAnswer readEnterpriseAnswer(std::optional<int> httpStatus, const QByteArray& body,
                                   const QString& com, const QString& number);
// The program's error answer with this code.
QByteArray programError(int code);

// What the services' readers share.
// The error answer with this code; keep: an answer about the number.
ServiceAnswer serviceError(int code, bool keep = false, const QString& failure = {});
// A failure the number is not asked about again for a while.
ServiceAnswer pacedFailure(const QString& failure = {});
// A JSON value as text, trimmed ("" for none).
QString field(const QJsonObject& o, const char* name);
// The HTTP status read before the body: a redirect (never followed), 429 or any
// status but 200 is a failure that paces the number; nothing for 200.
std::optional<ServiceAnswer> httpFailure(std::optional<int> httpStatus);
extern const QString MalformedAnswer, OtherNumberAnswer;
// Where an answer's entries keep their time and text; betterTime, when the
// entry has it, wins over time.
struct EntryKeys {
    const char* time;
    const char* text;
    const char* betterTime;
    bool oldestFirst;
};
// The entries as the program's answer lists them, newest first: each an
// object with a time and a text, at most MaxEntries of them, one given twice
// counted once; nothing when the list is not such.
std::optional<QByteArray> programEntries(const QJsonArray& data, const EntryKeys& keys);
// The program's answer "errCode" "0" with these entries and the state key.
ServiceAnswer progressAnswer(const QByteArray& entries, const QByteArray& stateKey);
// The auto-number answer: the service's list as it is; AutoNumberRefused when
// the service refuses the account; "503", the busy answer, for anything else.
inline constexpr char AutoNumberRefused[] = "{\"refused\":\"account\"}";
// The auto-number answer while the day's calls are used up: nothing was asked.
inline constexpr char AutoNumberLimit[] = "{\"refused\":\"limit\"}";
QByteArray programAutoNumber(std::optional<int> httpStatus, const QByteArray& body);
