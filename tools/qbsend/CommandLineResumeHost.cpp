#include "CommandLineResumeHost.h"

#include "common/Cp949.h"
#include "send/JobJournal.h"

#include <filesystem>

namespace qbsend {
namespace {

// One line of the resume's list of journals.
std::string describe(const qb::PendingJob& job) {
    const std::string name = std::filesystem::path(job.path).filename().string();
    const qb::JournalContents& j = job.journal;
    const std::string what = qb::cp949::toUtf8(j.userId) + ", " + qb::kindName(j.kind) + ", ";
    const qb::ResumePlan& p = job.plan;
    switch (job.state) {
    case qb::PendingJob::State::InUse:
        return name + ": in use by another program";
    case qb::PendingJob::State::Damaged:
        return name + ": damaged (" + j.problem.substr(j.problem.rfind(": ") + 2) +
               "): nothing is sent from it; qbsend --set-aside " + name + " moves it aside";
    case qb::PendingJob::State::OtherUser:
        return name + ": of another user: " + what + "left for that user";
    case qb::PendingJob::State::Complete:
        return name + ": " + what + std::to_string(p.total) +
               " records: the service has the whole job; removed";
    case qb::PendingJob::State::Resumable:
        break;
    }
    std::string line = name + ": " + what + std::to_string(p.total) + " records: " + std::to_string(p.sure) +
                       " taken, " + std::to_string(p.uncertain) + " uncertain, " + std::to_string(p.left) +
                       " not sent";
    if (p.serviceError())
        line += " (the service claims " + std::to_string(p.serviceClaimed) + " of a segment of " +
                std::to_string(p.lastCount) + " records: not believed)";
    else if (p.uncertain > 0 && p.serviceUnreachable)
        line += " (the service cannot be asked now)";
    else if (p.maybeOlderCopy)
        line += " (a later job of the same size ran: this journal may be an older copy)";
    return line;
}

} // namespace

void CommandLineResumeHost::listed(const std::vector<qb::PendingJob>& jobs) {
    for (const qb::PendingJob& job : jobs)
        m_out << "qbsend: " << describe(job) << std::endl;
    anyListed = !jobs.empty();
}

} // namespace qbsend
