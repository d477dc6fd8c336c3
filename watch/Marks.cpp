#include "watch/Marks.h"

void MarkedBook::setBook(QList<qint64> ids) {
    setBook({}, std::move(ids));
}

void MarkedBook::setBook(const QStringList& texts, QList<qint64> ids) {
    beginResetModel();
    m_ids = std::move(ids);
    m_texts.clear();
    m_read.clear();
    for (qsizetype i = 0; i < texts.size(); ++i)
        m_texts.insert(int(i), texts[i]);
    m_marks.clear();
    m_says.clear();
    endResetModel();
}

void MarkedBook::append(const QString& entry) {
    const int row = rowCount();
    insertRows(row, 1);
    m_texts.insert(row, entry);
}

void MarkedBook::moveTexts(int row, int by) {
    QHash<int, QString> moved;
    for (auto it = m_texts.cbegin(); it != m_texts.cend(); ++it)
        if (it.key() >= row)
            moved.insert(it.key() + by, it.value());
        else if (it.key() < row + qMin(by, 0)) // not a removed row's
            moved.insert(it.key(), it.value());
    m_texts = std::move(moved);
}

bool MarkedBook::insertRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || row > rowCount() || count <= 0) return false;
    beginInsertRows(parent, row, row + count - 1);
    m_ids.insert(row, count, 0);
    moveTexts(row, count);
    if (row < m_marks.size()) m_marks.insert(row, count, BookMark::None);
    if (row < m_says.size()) m_says.insert(row, count, QString());
    endInsertRows();
    return true;
}

bool MarkedBook::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount()) return false;
    beginRemoveRows(parent, row, row + count - 1);
    m_ids.remove(row, count);
    moveTexts(row + count, -count);
    if (row < m_marks.size()) m_marks.remove(row, qMin<qsizetype>(count, m_marks.size() - row));
    if (row < m_says.size()) m_says.remove(row, qMin<qsizetype>(count, m_says.size() - row));
    endRemoveRows();
    return true;
}

int MarkedBook::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_ids.size());
}

QString MarkedBook::text(int row) const {
    if (const auto given = m_texts.constFind(row); given != m_texts.cend()) return *given;
    const qint64 id = parcelAt(row);
    if (const auto read = m_read.constFind(id); read != m_read.cend()) return *read;
    if (m_read.size() >= 4096) m_read.clear(); // a popup shows a few dozen at a time
    return *m_read.insert(id, goodsOf(id));
}

bool MarkedBook::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount() ||
        (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    m_texts.insert(index.row(), value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
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
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return text(index.row());
    if (role != Qt::DecorationRole) return {};
    // While marks are shown, an unmarked entry gets a blank one, so that
    // every text starts at the same place.
    if (m_marks.isEmpty()) return {};
    return decoration(mark(index.row()));
}
