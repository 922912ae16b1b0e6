#pragma once

#include "send/NumberKey.h"

#include <cstdint>
#include <vector>

// "발송데이터 미리보기": the checks in their order, the candidates, deduplication,
// reject filtering, the range, composition and the summary, for one SendForm.
namespace qb {

class SendForm;

class SendValidator {
public:
    struct Candidate {
        NumberKey key;
        std::uint32_t seq; // 1-based among the valid rows, in table order
    };

    explicit SendValidator(SendForm& form) : m_form(form) {}

    bool run();

    // The candidate list from the table: rows whose number has 8..15 bytes and
    // whose number and merge values (of the merge fields switched on) fit in a
    // record (no 0x00, 0x02, 0x04). Returns the number-format error count;
    // rowOfSeq[seq - 1] is the table row of a candidate.
    long long buildCandidates(std::vector<Candidate>& candidates, std::vector<std::uint32_t>& rowOfSeq) const;

private:
    bool stop(const char* utf8Message);
    bool checkSettings();

    SendForm& m_form;
};

} // namespace qb
