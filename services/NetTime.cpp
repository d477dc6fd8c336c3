#include "services/NetTime.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>

std::optional<QDateTime> parseHttpDate(const QByteArray& header) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*(?:[A-Za-z]{3},\\s*)?(\\d{1,2})\\s+([A-Za-z]{3})\\s+(\\d{4})\\s+(\\d{"
                       "2}):(\\d{2}):(\\d{2})\\s+GMT\\s*$"));
    static const QStringList months = {"jan", "feb", "mar", "apr", "may", "jun",
                                       "jul", "aug", "sep", "oct", "nov", "dec"};
    const QRegularExpressionMatch m = form.match(QString::fromLatin1(header));
    if (!m.hasMatch()) return std::nullopt;
    const qsizetype month = months.indexOf(m.captured(2).toLower());
    const QDate date(m.captured(3).toInt(), int(month) + 1, m.captured(1).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (month < 0 || !date.isValid() || !time.isValid()) return std::nullopt;
    return QDateTime(date, time, QTimeZone::utc());
}
