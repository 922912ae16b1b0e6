#pragma once

#include <chrono>
#include <functional>

namespace qb::test {

// Runs the Qt event loop until `done` holds or `timeout` passes; returns `done()`.
bool runUntil(const std::function<bool()>& done,
              std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));
// Runs the event loop for a while, for "nothing more happens" checks.
void runFor(std::chrono::milliseconds duration);

} // namespace qb::test
