#pragma once

#include "send/NumberKey.h"
#include "send/SendForm.h"

#include <cstdint>
#include <string>
#include <vector>

// "발송데이터 미리보기": the checks in their order, the candidates, deduplication,
// reject filtering, the range and composition into the queue. The form shows the
// preview and the summary afterwards.
namespace qb {

// What validation reads, and writes: the state's queue, byte total and lock,
// the settings collected for the job.
struct ValidationInput {
    SendFormState& state;
    SendSettings& settings;
    const LoginState& login;
    const RejectTable& rejects;
    const EditorWindows& editors;
    std::string callbackNumber; // chosen or typed
    Notifier& notifier;
    Progress& progress;
};

class SendValidator {
public:
    struct Candidate {
        NumberKey key;
        std::uint32_t seq; // 1-based among the valid rows, in table order
    };

    explicit SendValidator(ValidationInput input) : m_in(std::move(input)) {}

    // False once a refusal has been shown; the queue is then empty.
    bool run();
    const ValidationCounts& counts() const { return m_counts; }
    // The summary's text (" 발송데이터 확인!").
    static std::string summary(const ValidationCounts& counts);

    // The candidate list from the table: rows whose number is 8..15 digits with
    // nothing but hyphens and spaces beside them (keyed by its digits), and whose
    // merge values (of the merge fields switched on) fit in a record (no 0x00,
    // 0x02, 0x04). Returns the number-format error count;
    // rowOfSeq[seq - 1] is the table row of a candidate.
    long long buildCandidates(std::vector<Candidate>& candidates, std::vector<std::uint32_t>& rowOfSeq) const;

private:
    bool stop(const char* utf8Message);
    bool checkSettings();

    ValidationInput m_in;
    ValidationCounts m_counts;
};

} // namespace qb
