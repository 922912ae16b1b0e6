#pragma once

#include "send/JournalFormat.h"
#include "web/SendStatus.h"

// Where a journaled job goes on, from what its journal and the service say: the
// decision the one resume policy (send/ResumePolicy.h) acts on.
namespace qb {

struct ResumePlan {
    long long total = 0;     // records of the job
    long long sure = 0;      // known held by the service: the job's first records
    long long uncertain = 0; // after those, handed over but not known held
    long long left = 0;      // after those, never handed over
    long long lastTaken = 0; // of the last segment, what `sure` counts of it
    // The service could not be asked: the uncertain span waits until it can.
    bool serviceUnreachable = false;
    // The service claimed more records than the last segment has (`lastCount`):
    // its count is not believed, and the span stays uncertain. -1 when not.
    long long serviceClaimed = -1;
    long long lastCount = 0;
    // A later job of the user announced exactly what a resume of this journal
    // would have: the journal may be an older copy that does not know of it, so
    // everything after what the service holds is uncertain.
    bool maybeOlderCopy = false;
    bool serviceError() const { return serviceClaimed >= 0; }
    bool complete() const { return uncertain == 0 && left == 0; }
    // The queue index to go on from.
    long long from(bool resendUncertain) const { return resendUncertain ? sure : sure + uncertain; }
};

// `last` is what the service says of the journal's last segment (Unknown when it
// cannot say or there is none). A final count from the service decides, bounded by
// the segment's size; the journal's marks only bound what can be uncertain.
ResumePlan planResume(const JournalContents& journal, const ServiceJobStatus& last);

} // namespace qb
