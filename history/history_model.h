#pragma once

#include "core/monitor_pass.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <vector>

namespace tarnwick {

struct HistoryRow {
    QString time; // rows of one pass may share one text
    ChangeKind action;
    QString path;
};

// The rows of the history view: time, action, file. Rows are only ever appended at the end or all removed;
// each row holds two implicitly shared texts and the action's kind, so a million rows stay cheap.
class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TimeColumn, ActionColumn, FileColumn, ColumnCount };

    explicit HistoryModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Appends the rows at the end in one insertion.
    void appendRows(QList<HistoryRow> rows);
    // Appends one row per change, all with the same time text, in one insertion.
    void appendChanges(const QString &timeText, const std::vector<Change> &changes);

    // Removes every row.
    void clear();

    const HistoryRow &row(int index) const { return m_rows.at(index); }

private:
    QList<HistoryRow> m_rows;
};

} // namespace tarnwick
