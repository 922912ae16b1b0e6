#pragma once

// Loopback ports for tests that need one no server listens on.
namespace qb::test {

// Bound by the system, then closed: a connection there is refused.
int deadPort();

} // namespace qb::test
