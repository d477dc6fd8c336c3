// The live mode's translation between the program's requests and the
// tracking service's enterprise API: the signed form of the real-time query,
// and the service's answers turned into the answers the program reads.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

// The enterprise account and the numbers that need a phone, as the live
// mode is configured (gateway.conf, the command line or the environment).
struct LiveAccount {
    QString customer, key;
    QHash<QString, QString> phones; // number -> receiver's phone (or its last four digits)
    bool complete() const { return !customer.isEmpty() && !key.isEmpty(); }
};

// gateway.conf: "[account]" with customer= and key=, "[phone]" with
// NUMBER=PHONE lines; "#" and ";" start comments. Unknown lines are ignored.
LiveAccount parseGatewayConf(const QString& text);

// The query's param: {"com":…,"num":…,"order":"desc"} and "phone" when given.
QByteArray liveParam(const QString& com, const QString& num, const QString& phone);
// Upper-case hex MD5 of param + key + customer.
QByteArray liveSign(const QByteArray& param, const QString& key, const QString& customer);
// The form body of the POST: customer, param and sign, percent-encoded.
QByteArray liveForm(const QString& customer, const QByteArray& param, const QByteArray& sign);

// The program's answer for what the service said: "errCode" "0" and the
// entries (time, ftime, context; "/" written "\/") on success; code 1 when
// the service has no result for the number; 20 for a refused signature or
// an account problem; 22 over quota; 3 for anything else (a service error,
// a status other than 200, no answer at all: nothing).
QByteArray programAnswer(std::optional<int> httpStatus, const QByteArray& body);
// The program's error answer with this code.
QByteArray programError(int code);

// The auto-number answer: the service's list as it is, or "[]" for an error.
QByteArray programAutoNumber(std::optional<int> httpStatus, const QByteArray& body);
