#include "send/ResumePolicy.h"

#include "common/Notifier.h"
#include "send/SendSession.h"

#include <algorithm>

namespace qb {

ResumeResult resumeInterruptedJob(SendSession& session, ResumeHost& host) {
    using Outcome = ResumeResult::Outcome;
    ResumeResult result;
    std::vector<PendingJob> jobs =
        findPendingJobs(session.job().journalFolder(), session.userId(), session.job().journalPath(),
                        [&](const JournalContents& journal) { return session.lastSegmentStatus(journal); });
    host.listed(jobs);
    // Why nothing went, the most serious first.
    const auto worse = [&](Outcome why) {
        if (result.outcome == Outcome::Nothing || why < result.outcome)
            result.outcome = why;
    };
    const auto setAside = [&](const std::string& path) {
        std::string error;
        if (JobJournal::setAside(path, error).empty())
            session.notifier().error(error);
    };
    for (PendingJob& job : jobs) {
        switch (job.state) {
        case PendingJob::State::Damaged:
            // Never sent blindly: its owner learns of it and decides what happens to it.
            if (host.setAsideDamaged(job))
                setAside(job.path);
            else
                worse(Outcome::Damaged);
            continue;
        case PendingJob::State::InUse:
            worse(Outcome::InUse);
            continue;
        case PendingJob::State::OtherUser:
        case PendingJob::State::Complete:
            continue;
        case PendingJob::State::Resumable:
            break;
        }
        const ResumePlan& plan = job.plan;
        if (plan.serviceError() || (plan.uncertain > 0 && plan.serviceUnreachable)) {
            host.cannotResumeYet(job);
            worse(plan.serviceError() ? Outcome::Refused : Outcome::Waiting);
            continue;
        }
        if (!host.resumeNow(job)) {
            if (host.setAsideDeclined(job))
                setAside(job.path);
            continue;
        }
        bool resend = false;
        if (plan.uncertain > 0) {
            const std::optional<bool> choice = host.resendUncertain(job);
            if (!choice)
                return {Outcome::NeedsChoice, job.path, plan.uncertain, {}};
            resend = *choice;
        }
        ResumeResult taken{Outcome::Started, job.path, plan.uncertain, {}};
        if (!session.loadJournal(job.journal, plan, resend, taken.error)) {
            taken.outcome = Outcome::Failed;
            return taken;
        }
        if (session.job().batch().queue.empty()) {
            JobJournal::remove(job.path);
            taken.outcome = Outcome::NothingLeft;
        }
        return taken; // one job at a time; the next is offered the next time
    }
    return result;
}

} // namespace qb
