// Many numbers at once: a pasted text or a file read into lines, each line
// into a number, its courier and its goods, a verdict for each before anything
// is stored, and the whole book written out as a CSV file and read back.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <limits>
#include <optional>

// A file's text: UTF-8 with or without a BOM, else GB18030 (the Chinese
// spreadsheets' own); nothing, with the reason, for a file that is no text
// (NUL bytes or other control characters).
std::optional<QString> decodeText(const QByteArray& bytes, QString* why = nullptr);

// A text's lines (CR LF, LF or CR), each cut into its fields: a line with a
// tab by its tabs, else one with a comma as CSV (RFC 4180 quotes, a quoted
// field may hold commas, quotes and line breaks), else by its runs of blanks.
// Fields are trimmed; an empty one keeps its place; lines with nothing in
// them are skipped. Each row says the line it starts on. At most `most` rows
// are kept; `total` tells how many there were.
struct TextRow {
    int line = 0;
    QStringList fields;
    bool operator==(const TextRow&) const = default;
};
QList<TextRow> splitLines(const QString& text,
                          qsizetype most = std::numeric_limits<qsizetype>::max(),
                          qsizetype* total = nullptr);

// At most this many lines are taken at once.
inline constexpr int MaxBatchLines = 20000;

// A tracking number: ASCII letters and digits, 6 to 32 of them, one a digit
// at least (so a courier's code is not taken for one).
bool isTrackingNumber(const QString& text);

// One line as the preview shows it.
struct BatchLine {
    enum Verdict {
        New,           // 新快递: stored on confirming
        InBook,        // 已在快递簿中: the number is there already (or twice in the list)
        NotANumber,    // 不是快递单号
        ToDetect,      // 待检测快递公司: no courier given
        UnknownCourier // 未知快递公司: a courier no one knows
    };
    int line = 0; // 1-based, in the text
    QString number, courier, goods;
    QString code; // the courier's 快递100 code, once known
    Verdict verdict = NotANumber;
};
QString verdictText(BatchLine::Verdict v);

// What the directory and the book answer about a line's parts.
struct BatchLookup {
    // The courier's name and code for a name or either service's code;
    // nothing when none matches.
    std::function<std::optional<std::pair<QString, QString>>(const QString&)> courier;
    std::function<bool(const QString& number)> inBook;
};

// The lines of a text (a header row naming 快递单号/单号/number, not
// 订单号, is used to find the columns, and is not a line), each given its verdict. In a line
// without a header, the number is its first field that is a tracking
// number, the courier the first other field the directory knows, the goods
// the rest; the goods default to the number.
QList<BatchLine> readBatch(const QList<TextRow>& rows, const BatchLookup& lookup);

// RFC 4180: a field with a comma, a quote or a line break in quotes, its
// quotes doubled; lines end in CR LF. A field a spreadsheet would take for a
// formula (= + - @ first) starts with a quote mark, which the goods lose again
// when read back.
QByteArray csvLine(const QStringList& fields);
// The book as a CSV file: UTF-8 with a BOM, the header, then one row per parcel.
inline const QStringList BookCsvHeader = {QStringLiteral("快递公司"), QStringLiteral("快递单号"),
                                          QStringLiteral("物品信息"), QStringLiteral("条数"),
                                          QStringLiteral("状态"),     QStringLiteral("最新动态"),
                                          QStringLiteral("动态时间")};
QByteArray bookCsv(const QList<QStringList>& rows);
