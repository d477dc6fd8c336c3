// The parcel selector's entries: each a parcel's goods text with its row id
// (0 for an entry that is no parcel: the separator, 刷新快递列表), and the mark
// of what the watch knows of it. Everything that finds parcels works by id;
// the entry texts stay the goods texts. The model holds ids, not texts: a
// parcel's goods are read when its entry is shown.
#pragma once

#include "watch/Watching.h"

#include <QAbstractListModel>
#include <QHash>
#include <QStringList>
#include <functional>

class MarkedBook : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    // Where a parcel's goods come from (the store): read when its entry is
    // shown, so a big book holds its ids alone.
    std::function<QString(qint64)> goodsOf = [](qint64) { return QString(); };
    // The whole book by its ids; no marks.
    void setBook(QList<qint64> ids);
    // These entries with their texts (a search's list), their ids alongside.
    void setBook(const QStringList& texts, QList<qint64> ids);
    // An entry that is no parcel, at the end.
    void append(const QString& entry);
    qint64 parcelAt(int row) const { return row >= 0 && row < m_ids.size() ? m_ids[row] : 0; }
    int rowOf(qint64 parcel) const { return int(m_ids.indexOf(parcel)); }
    // Marks for the rows in order, and what each says (its tooltip); fewer
    // marks leave the rest unmarked.
    void setMarks(QList<BookMark> marks, QStringList says = {});
    BookMark mark(int row) const { return row < m_marks.size() ? m_marks[row] : BookMark::None; }
    // How a mark is drawn (the window paints it).
    std::function<QVariant(BookMark)> decoration = [](BookMark) { return QVariant(); };

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // An entry's text set from outside (the selector's setItemText).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Rows inserted or removed from outside (the selector's own clear and
    // addItems) keep the ids in step: an inserted row is no parcel.
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

private:
    QString text(int row) const;
    // The given texts of the rows from `row` on move by `by`; for a removal
    // (by < 0) those of the removed rows, just before `row`, go.
    void moveTexts(int row, int by);

    QList<qint64> m_ids;
    QHash<int, QString> m_texts;           // rows whose text is given rather than read
    mutable QHash<qint64, QString> m_read; // goods read so far, forgotten when many
    QList<BookMark> m_marks;
    QStringList m_says;
};
