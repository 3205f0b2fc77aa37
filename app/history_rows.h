#pragma once

#include "toolkit.h"

#include <climits>
#include <cstddef>
#include <string_view>
#include <vector>

namespace tarnwick::app {

// The rows of the history view (ListView2): time, action, file. Each pass's rows are kept as the pass gave them,
// one batch with one time text, so that a million rows arrive in one insertion and a row's texts are looked up only
// when the view draws it. Rows are only ever appended, a batch at a time, or all removed. Both front-ends' views
// serve from it.
class HistoryRows
{
public:
    enum Column { TimeColumn, ActionColumn, FileColumn, ColumnCount };

    // Views count rows in int: rows beyond that are not taken, rather than corrupting the view.
    static constexpr std::size_t kViewLimit = INT_MAX;

    explicit HistoryRows(std::size_t limit = kViewLimit)
        : m_limit(limit)
    {
    }

    std::size_t size() const { return m_size; }
    // How many more rows are taken.
    std::size_t room() const { return m_limit - m_size; }

    // Appends the rows of one pass at the end, as many as there is room for; returns how many were taken.
    std::size_t append(HistoryBatch batch);
    void clear();

    // The text of a cell; row < size(), column < ColumnCount.
    std::string_view text(std::size_t row, int column) const;

private:
    struct Batch {
        std::size_t first; // the row of the batch's first change
        HistoryBatch rows;
    };
    const Batch &batchOf(std::size_t row) const;

    std::size_t m_limit;
    std::size_t m_size = 0;
    std::vector<Batch> m_batches;
};

} // namespace tarnwick::app
