#include "history_rows.h"

#include <algorithm>

namespace tarnwick::app {

std::size_t HistoryRows::append(HistoryBatch batch)
{
    if (batch.changes.size() > room())
        batch.changes.resize(room());
    const std::size_t count = batch.changes.size();
    if (count == 0)
        return 0;
    m_batches.push_back({m_size, std::move(batch)});
    m_size += count;
    return count;
}

void HistoryRows::clear()
{
    m_batches.clear();
    m_size = 0;
}

const HistoryRows::Batch &HistoryRows::batchOf(std::size_t row) const
{
    const auto after = std::upper_bound(m_batches.begin(), m_batches.end(), row,
                                        [](std::size_t r, const Batch &batch) { return r < batch.first; });
    return *(after - 1);
}

std::string_view HistoryRows::text(std::size_t row, int column) const
{
    const Batch &batch = batchOf(row);
    const Change &change = batch.rows.changes[row - batch.first];
    switch (column) {
    case TimeColumn:
        return batch.rows.time;
    case ActionColumn:
        return ActionText(change.kind);
    case FileColumn:
        return change.path;
    default:
        return {};
    }
}

} // namespace tarnwick::app
