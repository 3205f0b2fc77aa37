#include "history_model.h"

#include <algorithm>
#include <limits>

namespace tarnwick {

namespace {

QString actionText(ChangeKind kind)
{
    // Shared texts: a million rows must not mean a million copies of three words.
    static const QString added = QString::fromUtf8(ActionText(ChangeKind::Added));
    static const QString removed = QString::fromUtf8(ActionText(ChangeKind::Removed));
    static const QString modified = QString::fromUtf8(ActionText(ChangeKind::Modified));
    switch (kind) {
    case ChangeKind::Added:
        return added;
    case ChangeKind::Removed:
        return removed;
    case ChangeKind::Modified:
        return modified;
    }
    return {};
}

} // namespace

HistoryModel::HistoryModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows);
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const HistoryModel::Batch &HistoryModel::batchOf(int row) const
{
    const auto after = std::upper_bound(m_batches.begin(), m_batches.end(), row,
                                        [](int r, const Batch &batch) { return r < batch.first; });
    return *(after - 1);
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && !(role == Qt::ToolTipRole && index.column() == FileColumn))
        return {};
    const Batch &batch = batchOf(index.row());
    const Change &change = batch.changes[static_cast<std::size_t>(index.row() - batch.first)];
    switch (index.column()) {
    case TimeColumn:
        return batch.time;
    case ActionColumn:
        return actionText(change.kind);
    case FileColumn:
        // long paths are cut by the column; the tip shows them whole
        return QString::fromStdString(change.path);
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_headers.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headers.at(section);
}

void HistoryModel::setHeaders(const QStringList &headers)
{
    m_headers = headers;
    while (m_headers.size() < ColumnCount)
        m_headers.append(QString());
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void HistoryModel::appendBatch(app::HistoryBatch batch)
{
    // Views count rows in int: rows beyond that are not taken, rather than corrupting the view.
    const auto room = static_cast<std::size_t>(std::numeric_limits<int>::max() - m_rows);
    if (batch.changes.size() > room)
        batch.changes.resize(room);
    if (batch.changes.empty())
        return;
    const auto count = static_cast<qsizetype>(batch.changes.size());
    beginInsertRows({}, static_cast<int>(m_rows), static_cast<int>(m_rows + count - 1));
    m_batches.push_back({m_rows, QString::fromStdString(batch.time), std::move(batch.changes)});
    m_rows += count;
    endInsertRows();
}

void HistoryModel::clear()
{
    if (m_rows == 0)
        return;
    beginResetModel();
    m_batches.clear();
    m_rows = 0;
    endResetModel();
}

} // namespace tarnwick
