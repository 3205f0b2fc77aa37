#pragma once

#include "app/history_rows.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace tarnwick {

// The history view's model over the history rows (app/history_rows.h): a row's texts are made only when the view
// asks for them, so a million rows arrive in one insertion without stalling the window.
class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
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
    QStringList m_headers = {QStringLiteral("Time"), QStringLiteral("Action"), QStringLiteral("File")};
    app::HistoryRows m_rows;
};

} // namespace tarnwick
