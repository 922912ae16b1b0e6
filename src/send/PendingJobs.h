#pragma once

#include "send/JobJournal.h"
#include "send/ResumePlan.h"
#include "web/SendStatus.h"

#include <functional>
#include <string>
#include <vector>

// Every job journal in a working folder, as a user deciding what to resume has
// to see them: a damaged journal is named with its reason and never hides
// another; one another program works on, or of another user, is listed too. The
// client's offer after a login and `qbsend --resume` both start from this list.
namespace qb {

struct PendingJob {
    enum class State {
        Resumable, // this user's, with records the service does not hold yet
        Complete,  // the service holds the whole job: the journal was removed
        Damaged,
        InUse,    // another program works on it
        OtherUser // left for its own user
    };
    State state = State::Damaged;
    std::string path;
    JournalContents journal; // as read (its queue only when Resumable)
    ResumePlan plan;         // Resumable and Complete
};

// `statusOf` asks the service about the last segment of one of this user's
// journals; `skip` is a journal this process works on already.
std::vector<PendingJob>
findPendingJobs(const std::string& folder, const std::string& userId, const std::string& skip,
                const std::function<ServiceJobStatus(const JournalContents&)>& statusOf);

const char* kindName(MessageKind kind);

} // namespace qb
