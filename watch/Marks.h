// The parcel selector's entries with a small state mark each: the entry texts
// stay the goods texts, so everything that finds parcels by entry text works
// as before.
#pragma once

#include "watch/Watching.h"

#include <QStringListModel>

class MarkedBook : public QStringListModel {
    Q_OBJECT
public:
    using QStringListModel::QStringListModel;
    // Marks for the rows in order, and what each says (its tooltip); fewer
    // marks leave the rest unmarked.
    void setMarks(QList<BookMark> marks, QStringList says = {});
    BookMark mark(int row) const { return row < m_marks.size() ? m_marks[row] : BookMark::None; }
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QList<BookMark> m_marks;
    QStringList m_says;
};
