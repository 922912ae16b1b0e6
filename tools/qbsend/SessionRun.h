#pragma once

#include "DryRun.h"
#include "Options.h"
#include "app/AppPaths.h"
#include "app/ServiceConfig.h"
#include "common/LoginState.h"

#include <ostream>

namespace qbsend {

// One run with a login: the login, then the job (new, from `job`, or resumed),
// then the service's result on the login connection decides the exit code. Runs
// the current thread's Qt event loop; SIGINT and SIGTERM stop the job meanwhile.
int runSession(const Options& options, qb::DryRunOptions job, const qb::AppPaths& paths,
               const qb::ServiceConfig& config, qb::LoginState& state, std::ostream& out, std::ostream& err);

} // namespace qbsend
