// What the program prints of the toolkit's messages: all of them, except the
// audio server's connection errors on a machine that has none, which become
// one line the first time (the alert sound is then silent, nothing else).
#pragma once

#include <QString>

enum class MessageFate { Print, Drop, SayNoSound };

MessageFate messageFate(const char* category, const QString& text, bool noSoundSaid);

inline const char* const NoSoundLine = "件踪宝: no sound server here; the alert sound stays silent";
