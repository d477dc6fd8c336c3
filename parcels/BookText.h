// Texts the parcel book makes: the copied parcel description, the export
// file, the search statements' messages.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// "快递物品：…", "快递公司：…", "快递单号：…" joined by CR LF, nothing after the last.
QString parcelDescription(const QString& goods, const QString& company, const QString& number);

// strIn without blanks at either end, padded on the right with blanks to
// lngFixStrLen bytes of the Simplified Chinese code page (GB18030, where a
// Chinese character counts 2); never shortened; an empty text stays empty.
QString SetStringFixedLength(const QString& strIn, int lngFixStrLen);

// The export file for these rows (cells of every column, left to right): in
// GB18030, a CR LF after every line, cells joined by three blanks, the first
// cell fixed to 8 bytes, every cell cut to at most 1023 bytes at a whole
// character.
QByteArray exportBytes(const QList<QStringList>& rows);

// A file name typed without an extension gets ".txt".
QString withTxtExtension(const QString& path);

// The search panel's four ways of searching.
enum class SearchField { Number, Goods };
enum class SearchMatch { Exact, Containing };
QString emptySearchMessage(SearchField field);
QString foundMessage(SearchMatch match, qsizetype count);
