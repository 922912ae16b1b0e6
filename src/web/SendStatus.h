#pragma once

#include "web/WebHost.h"

#include <string>
#include <string_view>
#include <vector>

// What the service says it took of one send job, asked after a fault: the
// document "sendstatus.jsp?cid=<user>&sendtag=<tag of the check reply>" answers
// "<state>|<stored>", where state is running, done or interrupted, and stored
// counts the job's records the service holds: always its first records, in the
// order they were written. A service without the document (404) and an answer
// that does not parse are Unknown: the client then knows only what the socket
// says. No answer at all is Unreachable: the service may answer later.
namespace qb {

struct ServiceJobStatus {
    enum class State { Unknown, Unreachable, NoSuchJob, Running, Done, Interrupted };
    State state = State::Unknown;
    long long stored = 0;
    // Asked with "&later=1": the announced counts of the user's jobs that began
    // after this one ("<state>|<stored>|<count>,<count>..."), so that a journal
    // put back from an older copy can tell that a resume it does not know of ran.
    std::vector<long long> laterJobs;

    // Done or Interrupted: the count will not change any more.
    bool final() const { return state == State::Done || state == State::Interrupted; }
};

ServiceJobStatus parseSendStatus(std::string_view reply);

// One request with a short time-out; a job still Running is asked again until
// it is final or `waitMs` has passed.
ServiceJobStatus querySendStatus(WebHost host, const std::string& userId, const std::string& sendTag,
                                 long waitMs);

} // namespace qb
