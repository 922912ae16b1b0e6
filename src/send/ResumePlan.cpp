#include "send/ResumePlan.h"

#include <algorithm>

namespace qb {

ResumePlan planResume(const JournalContents& journal, const ServiceJobStatus& last) {
    ResumePlan plan;
    plan.total = static_cast<long long>(journal.queue.total());
    if (!journal.segments.empty()) {
        const JournalSegment& s = journal.segments.back();
        // Records at or past the last write-ahead mark never reached a socket.
        long long handed = std::clamp(journal.allowed - s.first, 0LL, s.count);
        if (s.reached)
            handed = std::min(handed, *s.reached);
        // A mark or count was lost: any record of the segment may have gone.
        if (journal.lostEntries > 0)
            handed = s.count;
        long long taken = 0;
        if ((last.final() || last.state == ServiceJobStatus::State::NoSuchJob) && last.stored > s.count) {
            plan.serviceClaimed = last.stored;
            plan.uncertain = handed;
        } else if (last.final() || last.state == ServiceJobStatus::State::NoSuchJob) {
            // The journal may have lost its tail (a backup put back, a cut file):
            // the service knows better than its marks.
            taken = std::max(0LL, last.stored);
            const long long rest = plan.total - s.first - taken;
            const long long restPastReached = plan.total - s.first - (s.reached ? *s.reached : handed);
            for (long long later : last.laterJobs)
                plan.maybeOlderCopy =
                    plan.maybeOlderCopy || (later > 0 && (later == rest || later == restPastReached));
            if (plan.maybeOlderCopy)
                plan.uncertain = rest;
        } else if (s.taken && journal.lostEntries == 0) {
            taken = std::clamp(*s.taken, 0LL, s.count);
        } else {
            plan.uncertain = handed;
            plan.serviceUnreachable = last.state == ServiceJobStatus::State::Unreachable;
        }
        plan.lastTaken = taken;
        plan.lastCount = s.count;
        plan.sure = s.first + taken;
    }
    plan.left = plan.total - plan.sure - plan.uncertain;
    return plan;
}

} // namespace qb
