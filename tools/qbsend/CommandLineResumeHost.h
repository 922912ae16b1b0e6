#pragma once

#include "send/ResumeHost.h"

#include <optional>
#include <ostream>
#include <string>

namespace qbsend {

// The command line makes the choices: every journal is printed, nothing is set
// aside, this user's first job goes, uncertain records as --resend-uncertain or
// --skip-uncertain say.
class CommandLineResumeHost : public qb::ResumeHost {
public:
    CommandLineResumeHost(std::ostream& out, std::optional<bool> resend) : m_out(out), m_resend(resend) {}

    void listed(const std::vector<qb::PendingJob>& jobs) override;
    bool setAsideDamaged(const qb::PendingJob&) override { return false; }
    void cannotResumeYet(const qb::PendingJob&) override {}
    bool resumeNow(const qb::PendingJob&) override { return true; }
    bool setAsideDeclined(const qb::PendingJob&) override { return false; }
    std::optional<bool> resendUncertain(const qb::PendingJob&) override { return m_resend; }

    bool anyListed = false;

private:
    std::ostream& m_out;
    std::optional<bool> m_resend;
};

} // namespace qbsend
