#include "parcels/BatchLines.h"

#include <QSet>
#include <QStringDecoder>

std::optional<QString> decodeText(const QByteArray& bytes, QString* why) {
    const auto refuse = [why](const QString& reason) -> std::optional<QString> {
        if (why) *why = reason;
        return std::nullopt;
    };
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f')
            return refuse(QStringLiteral("所选文件不是文本文件"));
    }
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(body);
    if (!utf8.hasError()) return text;
    QStringDecoder gb18030("GB18030");
    if (!gb18030.isValid()) return refuse(QStringLiteral("无法识别文件的编码"));
    text = gb18030(body);
    if (gb18030.hasError()) return refuse(QStringLiteral("无法识别文件的编码"));
    return text;
}

namespace {
// A spreadsheet takes a cell starting with one of these as a formula; a cell
// written out starts with a quote mark then, and is read back without it.
bool needsGuard(const QString& cell) {
    return !cell.isEmpty() && QStringLiteral("=+-@").contains(cell[0]);
}
QString unguarded(const QString& cell) {
    return cell.startsWith(u'\'') && needsGuard(cell.mid(1)) ? cell.mid(1) : cell;
}

// One CSV record from `at`, which moves past it.
QStringList csvRecord(const QString& text, qsizetype& at) {
    QStringList fields;
    QString field;
    bool quoted = false, wasQuoted = false;
    for (; at < text.size(); ++at) {
        const QChar c = text[at];
        if (quoted) {
            if (c == u'"' && at + 1 < text.size() && text[at + 1] == u'"') {
                field += u'"';
                ++at;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"' && field.trimmed().isEmpty()) {
            quoted = wasQuoted = true;
            field.clear();
        } else if (c == u',') {
            fields << (wasQuoted ? field : field.trimmed());
            field.clear();
            wasQuoted = false;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n') ++at;
            ++at;
            break;
        } else {
            field += c;
        }
    }
    fields << (wasQuoted ? field : field.trimmed());
    return fields;
}
} // namespace

QList<TextRow> splitLines(const QString& text, qsizetype most, qsizetype* total) {
    QList<TextRow> rows;
    qsizetype count = 0;
    qsizetype at = 0;
    int lineNo = 1;
    while (at < text.size()) {
        qsizetype end = at;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QString line = text.mid(at, end - at);
        const qsizetype from = at;
        QStringList fields;
        if (!line.contains(u'\t') && (line.contains(u',') || line.contains(u'"'))) {
            fields = csvRecord(text, at); // runs on over line breaks inside quotes
        } else {
            // Blanks: any run of them is one separator. Tabs: each is one, so
            // an empty cell keeps its column.
            fields =
                line.contains(u'\t') ? line.split(u'\t') : line.split(u' ', Qt::SkipEmptyParts);
            at = end;
            if (at < text.size() && text[at] == u'\r') ++at;
            if (at < text.size() && text[at] == u'\n') ++at;
        }
        for (QString& f : fields)
            f = f.trimmed();
        if (std::any_of(fields.cbegin(), fields.cend(),
                        [](const QString& f) { return !f.isEmpty(); }) &&
            ++count <= most)
            rows << TextRow{lineNo, fields};
        for (qsizetype i = from; i < at; ++i) // the record's own line breaks, CR LF as one
            if (text[i] == u'\n' ||
                (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
                ++lineNo;
    }
    if (total) *total = count;
    return rows;
}

bool isTrackingNumber(const QString& text) {
    if (text.size() < 6 || text.size() > 32) return false;
    bool digit = false;
    for (const QChar c : text) {
        if (c.unicode() > 127 || !c.isLetterOrNumber()) return false;
        digit = digit || c.isDigit();
    }
    return digit;
}

QString verdictText(BatchLine::Verdict v) {
    switch (v) {
    case BatchLine::New:
        return QStringLiteral("新快递");
    case BatchLine::InBook:
        return QStringLiteral("已在快递簿中");
    case BatchLine::NotANumber:
        return QStringLiteral("不是快递单号");
    case BatchLine::ToDetect:
        return QStringLiteral("待检测快递公司");
    case BatchLine::UnknownCourier:
        return QStringLiteral("未知快递公司");
    }
    return {};
}

QList<BatchLine> readBatch(const QList<TextRow>& rows, const BatchLookup& lookup) {
    QList<BatchLine> lines;
    int numberColumn = -1, courierColumn = -1, goodsColumn = -1;
    qsizetype first = 0;
    if (!rows.isEmpty()) {
        const QStringList& head = rows.first().fields;
        for (int i = 0; i < head.size(); ++i) {
            const QString h = head[i].toLower();
            // 订单号 is the shop's order, not the courier's number.
            if (numberColumn < 0 &&
                ((h.contains(QStringLiteral("单号")) && !h.contains(QStringLiteral("订单"))) ||
                 h == QLatin1String("number")))
                numberColumn = i;
            else if (courierColumn < 0 &&
                     (h.contains(QStringLiteral("快递公司")) || h == QLatin1String("courier")))
                courierColumn = i;
            else if (goodsColumn < 0 &&
                     (h.contains(QStringLiteral("物品")) || h == QLatin1String("goods")))
                goodsColumn = i;
        }
        if (numberColumn >= 0) first = 1;
    }
    QSet<QString> seen;
    for (qsizetype r = first; r < rows.size(); ++r) {
        const QStringList& f = rows[r].fields;
        BatchLine l;
        l.line = rows[r].line;
        std::optional<std::pair<QString, QString>> courier;
        if (numberColumn >= 0) {
            l.number = f.value(numberColumn);
            l.courier = f.value(courierColumn);
            l.goods = unguarded(f.value(goodsColumn));
            if (!l.courier.isEmpty()) courier = lookup.courier(l.courier);
        } else {
            QStringList rest;
            for (const QString& field : f) {
                if (field.isEmpty()) continue;
                if (l.number.isEmpty() && isTrackingNumber(field)) {
                    l.number = field;
                } else if (l.courier.isEmpty() && (courier = lookup.courier(field))) {
                    l.courier = field;
                } else {
                    rest << field;
                }
            }
            // A line whose only field is no number still shows what it held.
            if (l.number.isEmpty() && !rest.isEmpty()) l.number = rest.takeFirst();
            if (l.courier.isEmpty() && rest.size() > 1) l.courier = rest.takeFirst();
            l.goods = rest.join(u' ');
        }
        if (l.goods.isEmpty()) l.goods = l.number;
        if (courier) std::tie(l.courier, l.code) = *courier;
        if (!isTrackingNumber(l.number))
            l.verdict = BatchLine::NotANumber;
        else if (seen.contains(l.number) || lookup.inBook(l.number))
            l.verdict = BatchLine::InBook;
        else if (l.courier.isEmpty())
            l.verdict = BatchLine::ToDetect;
        else if (!courier)
            l.verdict = BatchLine::UnknownCourier;
        else
            l.verdict = BatchLine::New;
        if (l.verdict != BatchLine::NotANumber) seen.insert(l.number);
        lines << l;
    }
    return lines;
}

QByteArray csvLine(const QStringList& fields) {
    QStringList out;
    for (QString f : fields) {
        if (needsGuard(f)) f.prepend(u'\'');
        if (f.contains(u',') || f.contains(u'"') || f.contains(u'\n') || f.contains(u'\r'))
            f = u'"' + f.replace(u'"', QStringLiteral("\"\"")) + u'"';
        out << f;
    }
    return out.join(u',').toUtf8() + "\r\n";
}

QByteArray bookCsv(const QList<QStringList>& rows) {
    QByteArray out = "\xEF\xBB\xBF" + csvLine(BookCsvHeader);
    for (const QStringList& r : rows)
        out += csvLine(r);
    return out;
}
