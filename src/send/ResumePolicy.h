#pragma once

#include "send/PendingJobs.h"
#include "send/ResumeHost.h"

#include <string>

// The one way a job that a crash or a fault cut short goes on, for the client's
// offer after a login (or at "전송하기") and for `qbsend --resume` alike: every
// journal of the working folder is listed; a damaged one may be set aside, never
// deleted; one whose rest the service cannot yet answer for, or whose count it
// cannot believe, waits; of this user's others the first the host wants is put
// into the job, from what the service holds.
namespace qb {

class Notifier;
class SendJob;
struct WebHost;

// What a resume works on: the job that takes the journal's rest (its journal
// folder is the one looked at), the user, and where the service is asked.
struct ResumeContext {
    SendJob& job;
    const std::string& userId;
    const WebHost& web;
    Notifier& notifier;
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

ResumeResult resumeInterruptedJob(const ResumeContext& context, ResumeHost& host);

} // namespace qb
