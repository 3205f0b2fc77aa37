#include "history_model.h"

#include <algorithm>

namespace tarnwick {

HistoryModel::HistoryModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : app::HistoryRows::ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::ParentIsInvalid))
        return {};
    // long paths are cut by the column; the tip shows them whole
    if (role != Qt::DisplayRole && !(role == Qt::ToolTipRole && index.column() == app::HistoryRows::FileColumn))
        return {};
    const std::string_view text = m_rows.text(static_cast<std::size_t>(index.row()), index.column());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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
    while (m_headers.size() < app::HistoryRows::ColumnCount)
        m_headers.append(QString());
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, app::HistoryRows::ColumnCount - 1);
}

void HistoryModel::appendBatch(app::HistoryBatch batch)
{
    const std::size_t count = std::min(batch.changes.size(), m_rows.room());
    if (count == 0)
        return;
    const auto first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(count) - 1);
    m_rows.append(std::move(batch));
    endInsertRows();
}

void HistoryModel::clear()
{
    if (m_rows.size() == 0)
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

} // namespace tarnwick
