#pragma once

#include "Options.h"

#include <ostream>

namespace qbsend {

enum ExitCode { kSuccess = 0, kFailed = 1, kBadArguments = 2, kNeedsChoice = 3, kPending = 4, kRefused = 5 };

// Runs what the options ask for on the current thread's Qt event loop (a
// QCoreApplication must exist). Messages go to `out`, qbsend's own
// diagnostics to `err`.
int run(const Options& options, std::ostream& out, std::ostream& err);

} // namespace qbsend
