// The parcel selector's entries: each a parcel's goods text with its row id
// (0 for an entry that is no parcel: the separator, 刷新快递列表), and the mark
// of what the watch knows of it. Everything that finds parcels works by id;
// the entry texts stay the goods texts.
#pragma once

#include "watch/Watching.h"

#include <QStringListModel>
#include <functional>

class MarkedBook : public QStringListModel {
    Q_OBJECT
public:
    using QStringListModel::QStringListModel;
    // The entries, their parcels' ids alongside; no marks.
    void setBook(const QStringList& goods, QList<qint64> ids);
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
    QVariant data(const QModelIndex& index, int role) const override;
    // Rows inserted or removed from outside (the selector's own clear and
    // addItems) keep the ids in step: an inserted row is no parcel.
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

private:
    QList<qint64> m_ids;
    QList<BookMark> m_marks;
    QStringList m_says;
};
