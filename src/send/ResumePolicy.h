#pragma once

#include "send/PendingJobs.h"

#include <optional>
#include <string>
#include <vector>

// The one way a job that a crash or a fault cut short goes on, for the client's
// offer after a login (or at "전송하기") and for `qbsend --resume` alike: every
// journal of the working folder is listed; a damaged one may be set aside, never
// deleted; one whose rest the service cannot yet answer for, or whose count it
// cannot believe, waits; of this user's others the first the host wants is put
// into the session's form, from what the service holds.
namespace qb {

class SendSession;

// The choices a resume needs: the client asks its user, qbsend reads its command line.
class ResumeHost {
public:
    virtual ~ResumeHost() = default;
    // Every journal of the folder, before anything is decided.
    virtual void listed(const std::vector<PendingJob>& jobs) = 0;
    // True moves a damaged journal to sendjob/set-aside.
    virtual bool setAsideDamaged(const PendingJob& job) = 0;
    // One of this user's that cannot go now: the service cannot be asked about its
    // uncertain records yet, or claims more than the job had.
    virtual void cannotResumeYet(const PendingJob& job) = 0;
    // True sends the rest now; after false, true sets the journal aside.
    virtual bool resumeNow(const PendingJob& job) = 0;
    virtual bool setAsideDeclined(const PendingJob& job) = 0;
    // Records the service may or may not hold: true sends them again, false takes
    // them as sent; none when no choice was given (nothing is sent).
    virtual std::optional<bool> resendUncertain(const PendingJob& job) = 0;
};

struct ResumeResult {
    enum class Outcome {
        Nothing,     // no journal of this user to go on with
        Started,     // the form holds the rest: the caller sends it
        NothingLeft, // the rest was empty: the journal went
        NeedsChoice, // uncertain records and no choice about them
        // None could go; the most serious reason, in this order:
        Refused, // the service claims a count it cannot have
        Waiting, // the service cannot answer yet
        InUse,   // another program works on one
        Damaged, // one cannot be trusted
        Failed   // the journal could not be taken over (`error`)
    };
    Outcome outcome = Outcome::Nothing;
    std::string path; // the journal resumed or chosen
    long long uncertain = 0;
    std::string error;
};

ResumeResult resumeInterruptedJob(SendSession& session, ResumeHost& host);

} // namespace qb
