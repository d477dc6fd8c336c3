#include "parcels/BookText.h"

#include <QFileInfo>
#include <QStringEncoder>
#include <algorithm>

namespace {
constexpr qsizetype CellBytes = 1023;

// One encoder serves a whole file: opening one is far dearer than using it.
QByteArray gb18030(QStringEncoder& encode, const QString& text) {
    return encode.encode(text);
}

// The cell's bytes, cut to the last whole character within CellBytes.
QByteArray cellBytes(QStringEncoder& encode, const QString& cell) {
    QByteArray bytes = gb18030(encode, cell);
    if (bytes.size() <= CellBytes) return bytes;
    bytes.clear();
    for (qsizetype i = 0; i < cell.size();) {
        const qsizetype n = cell[i].isHighSurrogate() && i + 1 < cell.size() ? 2 : 1;
        const QByteArray one = gb18030(encode, cell.mid(i, n));
        if (bytes.size() + one.size() > CellBytes) break;
        bytes += one;
        i += n;
    }
    return bytes;
}
} // namespace

QString parcelDescription(const QString& goods, const QString& company, const QString& number) {
    return QStringLiteral("快递物品：") + goods + QStringLiteral("\r\n快递公司：") + company +
           QStringLiteral("\r\n快递单号：") + number;
}

namespace {
QString fixedLength(QStringEncoder& encode, const QString& strIn, int lngFixStrLen) {
    QString out = strIn.trimmed();
    if (out.isEmpty() || lngFixStrLen <= 0) return out;
    const bool ascii =
        std::all_of(out.cbegin(), out.cend(), [](QChar ch) { return ch.unicode() < 0x80; });
    const qsizetype width = ascii ? out.size() : gb18030(encode, out).size();
    if (width < lngFixStrLen) out += QString(lngFixStrLen - width, u' ');
    return out;
}
} // namespace

QString SetStringFixedLength(const QString& strIn, int lngFixStrLen) {
    QStringEncoder encode("GB18030");
    return fixedLength(encode, strIn, lngFixStrLen);
}

QByteArray exportBytes(const QList<QStringList>& rows) {
    QStringEncoder encode("GB18030");
    QByteArray out;
    // Text that cannot reach the cut (a UTF-16 unit is at most 4 bytes) is
    // gathered and encoded in one go; only a longer cell is encoded alone.
    QString pending;
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0) pending += QStringLiteral("   ");
            const QString cell = c == 0 ? fixedLength(encode, row[c], 8) : row[c];
            if (cell.size() * 4 <= CellBytes) {
                pending += cell;
                continue;
            }
            out += gb18030(encode, pending);
            pending.clear();
            out += cellBytes(encode, cell);
        }
        pending += QStringLiteral("\r\n");
    }
    return out + gb18030(encode, pending);
}

QString withTxtExtension(const QString& path) {
    return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".txt") : path;
}

QString emptySearchMessage(SearchField field) {
    return field == SearchField::Number ? QStringLiteral("请输入快递单号..")
                                        : QStringLiteral("请输入快递物品..");
}

QString foundMessage(SearchMatch match, qsizetype count) {
    if (match == SearchMatch::Exact) return QStringLiteral("已为您找到相关快递");
    return QStringLiteral("已为您找到") + QString::number(count) + QStringLiteral("个相关快递");
}
