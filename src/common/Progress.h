#pragma once

#include <cstdint>

// Progress of long work (imports, validation, sending), shown by a progress bar
// in the client and on stderr by qbsend.
namespace qb {

class Progress {
public:
    virtual ~Progress() = default;
    virtual void setRange(std::int64_t minimum, std::int64_t maximum) = 0;
    virtual void setValue(std::int64_t value) = 0;
};

// For callers that do not show progress.
class NoProgress final : public Progress {
public:
    void setRange(std::int64_t, std::int64_t) override {}
    void setValue(std::int64_t) override {}
};

} // namespace qb
