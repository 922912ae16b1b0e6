#include "send/PendingJobs.h"

namespace qb {

const char* kindName(MessageKind kind) {
    switch (kind) {
    case MessageKind::Sms:
        return "SMS";
    case MessageKind::Lms:
        return "LMS";
    case MessageKind::Mms:
        return "MMS";
    }
    return "?";
}

std::vector<PendingJob>
findPendingJobs(const std::string& folder, const std::string& userId, const std::string& skip,
                const std::function<ServiceJobStatus(const JournalContents&)>& statusOf) {
    std::vector<PendingJob> jobs;
    for (const JobJournal::Listed& listed : JobJournal::list(folder)) {
        if (listed.path == skip)
            continue;
        PendingJob job;
        job.path = listed.path;
        if (listed.inUse) {
            job.state = PendingJob::State::InUse;
            jobs.push_back(std::move(job));
            continue;
        }
        job.journal = JobJournal::read(listed.path);
        if (!job.journal.problem.empty()) {
            job.state = PendingJob::State::Damaged;
        } else if (job.journal.userId != userId) {
            job.state = PendingJob::State::OtherUser;
            job.journal.queue.clear(); // only its counts are shown
        } else {
            job.plan = planResume(job.journal, statusOf(job.journal));
            job.state = job.plan.complete() && !job.plan.serviceError() ? PendingJob::State::Complete
                                                                        : PendingJob::State::Resumable;
            if (job.state == PendingJob::State::Complete) {
                JobJournal::remove(listed.path);
                job.journal.queue.clear();
            }
        }
        jobs.push_back(std::move(job));
    }
    return jobs;
}

} // namespace qb
