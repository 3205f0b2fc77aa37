#pragma once

#include "file_list.h"

#include <cstddef>
#include <vector>

namespace tarnwick {

// Positions (in list) of the entries whose full path occurs in no entry of other, in the order of list.
// Letter case counts; the folder is part of the path, so a file moved between folders is missing from
// both sides.
std::vector<std::size_t> ListMissing(const FileList &list, const FileList &other);

// Positions (in current) of the entries whose full path also stands in previous and whose time is now later,
// to the second in local time, than the stored time of that previous entry. Every equal previous entry is
// examined, in order, as a nested scan would. Nothing when stored is absent (null).
std::vector<std::size_t> ListModified(const FileList &current, const TimeList &currentTimes, const FileList &previous,
                                      const TimeList *stored);

} // namespace tarnwick
