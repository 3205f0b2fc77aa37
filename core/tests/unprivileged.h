#pragma once

#include <functional>
#include <string>

namespace tarnwick::testing {

// Runs the function in a child process that cannot override file permissions: when the tests run as root
// the child drops to the unprivileged user "nobody" first. The function builds whatever it needs below
// `workFolder`, which the child owns, and returns an empty text on success or a description of what went
// wrong. Returns that text, or a description of how the child failed.
std::string RunUnprivileged(const std::string &workFolder, const std::function<std::string()> &function);

} // namespace tarnwick::testing
