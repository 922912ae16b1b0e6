#pragma once

#include <sys/resource.h>

#include <cstddef>

namespace qb::test {

// While it lives, no file of this process grows past `bytes`: a write that would
// is cut short there and the next one fails, as on a full disk. The limit is the
// process's own (RLIMIT_FSIZE), so the code under test writes real files.
class FailingWrites {
public:
    explicit FailingWrites(std::size_t bytes);
    ~FailingWrites();
    FailingWrites(const FailingWrites&) = delete;
    FailingWrites& operator=(const FailingWrites&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace qb::test
