#include "send/ResumePolicy.h"

#include "common/Notifier.h"
#include "send/SendJob.h"
#include "web/SendStatus.h"

#include <algorithm>

namespace qb {
namespace {

// How long the service may take to say what it holds of a journal's last segment.
constexpr long kStatusWaitMs = 3000;

ServiceJobStatus lastSegmentStatus(const WebHost& web, const JournalContents& journal) {
    if (journal.segments.empty() || journal.segments.back().sendTag.empty())
        return {};
    return querySendStatus(web, journal.userId, journal.segments.back().sendTag, kStatusWaitMs);
}

// Gives the job a batch made from a journal, at `plan`'s next record; false with
// `error` when the journal is taken by another program.
bool loadJournal(SendJob& job, JournalContents& journal, const ResumePlan& plan, bool resendUncertain,
                 std::string& error) {
    SendBatch batch;
    batch.kind = journal.kind;
    batch.queue = std::move(journal.queue);
    batch.queue.seek(static_cast<std::size_t>(plan.from(resendUncertain)));
    batch.pictureCount = journal.pictureCount;
    batch.settings.pictures = journal.pictures;
    const long long lastTaken = plan.lastTaken + (resendUncertain ? 0 : plan.uncertain);
    if (!job.adoptJournal(std::move(batch), journal, lastTaken, error))
        return false;
    job.recomputeBytes();
    return true;
}

} // namespace

ResumeResult resumeInterruptedJob(const ResumeContext& context, ResumeHost& host) {
    using Outcome = ResumeResult::Outcome;
    ResumeResult result;
    std::vector<PendingJob> jobs = findPendingJobs(
        context.job.journalFolder(), context.userId, context.job.journalPath(),
        [&](const JournalContents& journal) { return lastSegmentStatus(context.web, journal); });
    host.listed(jobs);
    // Why nothing went, the most serious first.
    const auto worse = [&](Outcome why) {
        if (result.outcome == Outcome::Nothing || why < result.outcome)
            result.outcome = why;
    };
    const auto setAside = [&](const std::string& path) {
        std::string error;
        if (JobJournal::setAside(path, error).empty())
            context.notifier.error(error);
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
        if (!loadJournal(context.job, job.journal, plan, resend, taken.error)) {
            taken.outcome = Outcome::Failed;
            return taken;
        }
        if (context.job.batch().queue.empty()) {
            JobJournal::remove(job.path);
            taken.outcome = Outcome::NothingLeft;
        }
        return taken; // one job at a time; the next is offered the next time
    }
    return result;
}

} // namespace qb
