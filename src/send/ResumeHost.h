#pragma once

#include "send/PendingJobs.h"

#include <optional>
#include <vector>

namespace qb {

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

} // namespace qb
