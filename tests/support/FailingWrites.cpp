#include "support/FailingWrites.h"

#include <csignal>
#include <cstdlib>

namespace qb::test {

FailingWrites::FailingWrites(std::size_t bytes) {
    if (::getrlimit(RLIMIT_FSIZE, &m_old) != 0)
        std::abort();
    // Past the limit the kernel would stop the process; the write fails instead.
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = m_old;
    small.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &small) != 0)
        std::abort();
}

FailingWrites::~FailingWrites() {
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}

} // namespace qb::test
