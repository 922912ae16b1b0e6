#pragma once

#include "DryRun.h"
#include "app/ServiceConfig.h"
#include "common/LoginState.h"
#include "common/Notifier.h"
#include "common/Progress.h"
#include "send/SendSession.h"

#include <memory>

// The send form filled in from qbsend's options as a user fills it: recipients,
// kind, number and merge columns, callback, message, pictures, reservation,
// range, split and switches, then the preview's validation. qbsend --dry-run
// prints what it left; qbsend sends it with the session's send job.
namespace qb {

class OptionForm {
public:
    // `login` is read by validation for the byte total: pass the logged-in state
    // when the job is to be sent. `sendProgress` and `service` serve the job.
    OptionForm(DryRunOptions options, Notifier& notifier, Progress& progress, LoginState& login,
               Progress& sendProgress, const ServiceConfig& service);
    ~OptionForm();
    OptionForm(const OptionForm&) = delete;
    OptionForm& operator=(const OptionForm&) = delete;

    // Loads, fills in and validates; false once a refusal has been shown.
    bool prepare();

    SendSession& session();
    SendForm& form();

private:
    struct Parts;
    std::unique_ptr<Parts> m;
};

} // namespace qb
