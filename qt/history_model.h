#pragma once

#include "app/toolkit.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <vector>

namespace tarnwick {

// The rows of the history view: time, action, file. Rows are only ever appended, a pass's rows at a time, or all
// removed. Each pass's rows are kept as the pass gave them (one time text, the changes), and a row's texts are
// made only when the view asks for them, so a million rows arrive in one insertion without stalling the window.
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

    void setHeaders(const QStringList &headers);
    // Appends the rows of one pass at the end, in one insertion.
    void appendBatch(app::HistoryBatch batch);
    // Removes every row.
    void clear();

private:
    struct Batch {
        qsizetype first; // the row of the batch's first change
        QString time;
        std::vector<Change> changes;
    };
    const Batch &batchOf(int row) const;

    QStringList m_headers = {QStringLiteral("Time"), QStringLiteral("Action"), QStringLiteral("File")};
    std::vector<Batch> m_batches;
    qsizetype m_rows = 0;
};

} // namespace tarnwick
