#pragma once

#include "common/LoginState.h"
#include "common/Notifier.h"
#include "common/Progress.h"
#include "compose/AdvertisingCheck.h"
#include "compose/EditorWindowHost.h"
#include "send/ExcludedRows.h"
#include "send/NumberFilter.h"
#include "send/PreviewFindings.h"
#include "send/SendBatch.h"
#include "send/SendFormState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// "발송데이터 미리보기": the checks in their order, the candidates, deduplication,
// reject filtering, the range and composition into the queue. The form shows the
// preview and the summary afterwards.
namespace qb {

// What one validation run counted (the summary's five numbers).
struct ValidationCounts {
    long long total = 0;
    long long duplicates = 0;
    long long rejected = 0;
    long long formatErrors = 0;
    long long corrected = 0; // candidates whose number was written in another form
    long long queued = 0;
};

// What validation reads, and writes: the state's lock and range, and the batch
// it fills for the job.
struct ValidationInput {
    SendFormState& state;
    SendBatch& batch;
    const LoginState& login;
    const RejectTable& rejects;
    const EditorWindowHost& editors;
    std::string callbackNumber; // chosen or typed
    Notifier& notifier;
    Progress& progress;
};

class SendValidator {
public:
    explicit SendValidator(ValidationInput input) : m_in(std::move(input)) {}

    // False once a refusal has been shown; the batch is then empty.
    bool run();
    const ValidationCounts& counts() const { return m_counts; }
    // The rows the run left out, after a run that built the queue.
    ExcludedRows takeExcluded() { return std::move(m_excluded); }
    // Lines the summary adds: what was let through but must be known before sending.
    const std::vector<std::string>& notes() const { return m_notes; }
    // The summary's text (" 발송데이터 확인!").
    static std::string summary(const ValidationCounts& counts);

    // A key per data row (row r at r - 1): its number's key when phoneDigits takes
    // the number (corrected where it corrects one) and the merge values
    // of the merge fields switched on fit in a record (no 0x00, 0x02, 0x04);
    // otherwise kNoNumber, counted in `formatErrors`. `corrected`, when given, counts
    // the candidates whose number phoneDigits corrected.
    std::vector<std::uint64_t> candidateKeys(long long& formatErrors, long long* corrected = nullptr) const;

private:
    // Where the chosen rows go in the queue and when they are sent.
    struct Schedule {
        long long from = 0, to = 0; // 1-based, among the chosen rows
        std::string reservation;
        long long splitCount = 0, splitMinutes = 0;
        std::time_t base = 0;
    };

    class RecordMaker;

    bool stop(const char* utf8Message);
    // The form's settings into the batch's, refusing what cannot be sent; in this order.
    bool checkSettings();
    bool takeMergeColumns();
    bool takeSplitAndRange();
    // The kind's message and title, from the box or the editor window, and MMS pictures.
    bool takeMessage();
    bool takeReservation();
    // A typed callback number the service does not list.
    bool checkSenderNumber();
    // An advertisement with records sent at night goes on only with the user's word.
    bool checkNightHours(const Schedule& plan);
    bool schedule(std::size_t chosen, Schedule& plan);
    bool fillQueue(const RowChoice& choice, const Schedule& plan);
    // Asks about the findings (or refuses, `refuseFindings`); false leaves the batch empty.
    bool acceptFindings();
    void emptyBatch();
    // "광고": the message checked once when no merge field changes it; otherwise the
    // check that fillQueue runs on every composed record.
    bool checkAdvertising();

    std::optional<AdvertisingCheck> m_adRows;

    ValidationInput m_in;
    ValidationCounts m_counts;
    PreviewFindings m_findings;
    ExcludedRows m_excluded;
    std::vector<std::string> m_notes;
};

} // namespace qb
