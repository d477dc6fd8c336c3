// Reading the time source's HTTP Date header.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <optional>

// "Sun, 06 Dec 2026 09:45:51 GMT" as the instant it names (UTC); nothing
// when the text is not such a date.
std::optional<QDateTime> parseHttpDate(const QByteArray& header);
