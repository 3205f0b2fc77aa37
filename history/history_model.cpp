#include "history/history_model.h"

#include <QFile>

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
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::ParentIsInvalid))
        return {};
    const HistoryRow &row = m_rows.at(index.row());
    // Long paths are cut by the column; the tip shows them whole.
    if (role == Qt::ToolTipRole && index.column() == FileColumn)
        return row.path;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case TimeColumn:
        return row.time;
    case ActionColumn:
        return actionText(row.action);
    case FileColumn:
        return row.path;
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        return QStringLiteral("Time");
    case ActionColumn:
        return QStringLiteral("Action");
    case FileColumn:
        return QStringLiteral("File");
    default:
        return {};
    }
}

void HistoryModel::appendRows(QList<HistoryRow> rows)
{
    // Views count rows in int: rows beyond that are not taken, rather than corrupting the view.
    const qsizetype room = std::numeric_limits<int>::max() - m_rows.size();
    if (rows.size() > room)
        rows.resize(room);
    if (rows.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    if (m_rows.isEmpty())
        m_rows = std::move(rows);
    else
        m_rows.append(std::move(rows));
    endInsertRows();
}

void HistoryModel::appendChanges(const QString &timeText, const std::vector<Change> &changes)
{
    QList<HistoryRow> rows;
    rows.reserve(static_cast<qsizetype>(changes.size()));
    for (const Change &change : changes)
        rows.append({timeText, change.kind, QString::fromStdString(change.path)});
    appendRows(std::move(rows));
}

void HistoryModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows = {};
    endResetModel();
}

} // namespace tarnwick
