// Courier auto-detection: the request to the auto-number service and the
// reading of its answer.
#pragma once

#include <QString>

// What an auto-number answer says.
struct Detected {
    enum Kind {
        Nothing, // empty answer (also an unreachable service): detection still running
        Busy,    // the service's busy signal, "503", in an answer without a company code
        Refused, // the service refuses the account: detection is for paying accounts
        Limit,   // the day's calls are used up: nothing was asked
        NoCode,  // no company-code key in the answer
        Code     // the first company code (possibly empty)
    } kind = Nothing;
    QString code;
};
Detected readAutoNumberAnswer(const QString& body);

// A tracking number as the number boxes accept it: ASCII letters and digits
// (SF1234567890123, EA123456789CN, 00123), blanks allowed before and after.
// The empty text passes.
bool isNumberText(const QString& text);

// Auto-detection asks only from this many characters on.
constexpr int DetectFrom = 10;
