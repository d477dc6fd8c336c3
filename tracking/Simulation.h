// Simulated parcels, for the demo and the tests' stand-in gateway only. A
// number's courier, route and timetable follow from the number alone; what
// the answer shows follows from the time, so a parcel gains entries as time
// passes and ends signed for. No simulated text carries a phone number.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

struct SimEvent {
    QDateTime time;
    QString context;
};

struct SimParcel {
    QString courierCode, courierName;
    QList<SimEvent> events; // the whole timetable, oldest first
};

// Numbers of 8 to 30 capital letters and digits (at least 8 digits) are
// known, except those ending in "000". The last two digits modulo 40 give the
// parcel's age in hours at anchor. The courier is the one whose code is
// given, else the one the number's shape names (SF…, JD…, …CN for EMS), else
// one picked by the number.
std::optional<SimParcel> simulateParcel(const QString& number, const QDateTime& anchor,
                                        const QString& code = QString());

// The tracking answer at time now: errCode "0" with the entries seen so far,
// newest first, or errCode "1" for an unknown number.
QByteArray trackingAnswer(const QString& number, const QString& code, const QDateTime& anchor,
                          const QDateTime& now);

// The auto-number answer: a list whose first item carries comCode; [] when
// the number is unknown.
QByteArray autoNumberAnswer(const QString& number, const QDateTime& anchor);

// A string as a JSON value the way the tracking service writes it: "/" as
// "\/", Chinese as raw UTF-8.
QByteArray jsonString(const QString& text);
