#include "watch/Marks.h"

void MarkedBook::setBook(const QStringList& goods, QList<qint64> ids) {
    m_ids = std::move(ids);
    m_marks.clear();
    m_says.clear();
    setStringList(goods);
}

void MarkedBook::append(const QString& entry) {
    const int row = rowCount();
    insertRows(row, 1);
    setData(index(row), entry);
}

bool MarkedBook::insertRows(int row, int count, const QModelIndex& parent) {
    if (!QStringListModel::insertRows(row, count, parent)) return false;
    m_ids.insert(qMin<qsizetype>(row, m_ids.size()), count, 0);
    return true;
}

bool MarkedBook::removeRows(int row, int count, const QModelIndex& parent) {
    if (!QStringListModel::removeRows(row, count, parent)) return false;
    if (row < m_ids.size()) m_ids.remove(row, qMin<qsizetype>(count, m_ids.size() - row));
    return true;
}

void MarkedBook::setMarks(QList<BookMark> marks, QStringList says) {
    m_marks = std::move(marks);
    m_says = std::move(says);
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::DecorationRole, Qt::ToolTipRole});
}

QVariant MarkedBook::data(const QModelIndex& index, int role) const {
    if (role == Qt::ToolTipRole) return m_says.value(index.row());
    if (role != Qt::DecorationRole) return QStringListModel::data(index, role);
    // While marks are shown, an unmarked entry gets a blank one, so that
    // every text starts at the same place.
    if (m_marks.isEmpty()) return {};
    return decoration(mark(index.row()));
}
