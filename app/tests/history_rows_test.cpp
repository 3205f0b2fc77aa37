#include "app/history_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::testing {
namespace {

using app::HistoryRows;

// Every cell of every row, "time|action|file".
std::vector<std::string> cells(const HistoryRows &rows)
{
    std::vector<std::string> out;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        std::string line(rows.text(row, HistoryRows::TimeColumn));
        line.append("|").append(rows.text(row, HistoryRows::ActionColumn));
        line.append("|").append(rows.text(row, HistoryRows::FileColumn));
        out.push_back(line);
    }
    return out;
}

TEST(HistoryRows, EachRowHasItsPasssTimeItsActionAndItsFileInOrder)
{
    HistoryRows rows;
    EXPECT_EQ(rows.append({"1:00", {{ChangeKind::Added, "/w/a"}, {ChangeKind::Modified, "/w/b"}}}), 2u);
    EXPECT_EQ(rows.append({"1:05", {}}), 0u) << "a pass without changes adds no batch";
    EXPECT_EQ(rows.append({"1:10", {{ChangeKind::Removed, "/w/c"}}}), 1u);
    EXPECT_EQ(rows.append({"1:15", {{ChangeKind::Added, "/w/d"}, {ChangeKind::Added, "/w/e"}}}), 2u);
    EXPECT_EQ(cells(rows),
              (std::vector<std::string> {"1:00|Added file|/w/a", "1:00|Modified file|/w/b", "1:10|Removed file|/w/c",
                                         "1:15|Added file|/w/d", "1:15|Added file|/w/e"}));

    rows.clear();
    EXPECT_EQ(rows.size(), 0u);
    rows.append({"2:00", {{ChangeKind::Added, "/w/f"}}});
    EXPECT_EQ(cells(rows), std::vector<std::string> {"2:00|Added file|/w/f"}) << "rows count from 0 again";
}

TEST(HistoryRows, RowsBeyondTheLimitAreNotTaken)
{
    HistoryRows rows(3);
    EXPECT_EQ(rows.append({"1:00", {{ChangeKind::Added, "/w/a"}, {ChangeKind::Added, "/w/b"}}}), 2u);
    EXPECT_EQ(rows.room(), 1u);
    EXPECT_EQ(rows.append({"1:10", {{ChangeKind::Added, "/w/c"}, {ChangeKind::Added, "/w/d"}}}), 1u);
    EXPECT_EQ(rows.append({"1:20", {{ChangeKind::Added, "/w/e"}}}), 0u);
    EXPECT_EQ(cells(rows),
              (std::vector<std::string> {"1:00|Added file|/w/a", "1:00|Added file|/w/b", "1:10|Added file|/w/c"}));
    rows.clear();
    EXPECT_EQ(rows.room(), 3u);
    EXPECT_EQ(HistoryRows().room(), static_cast<std::size_t>(INT_MAX)) << "as many as a view can count";
}

} // namespace
} // namespace tarnwick::testing
