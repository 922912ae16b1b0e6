#pragma once

#include <chrono>

// How long the client waits on the message server before it gives up: every
// wait has an end. The values leave room for a slow real network; tests shorten
// them.
namespace qb {

struct NetTimeouts {
    // From the connect call to the connection (the address resolved, the
    // handshake done).
    std::chrono::milliseconds connect{15000};
    // From the login request to the login reply.
    std::chrono::milliseconds loginReply{30000};
    // From DATA_SENDCHECK to its reply.
    std::chrono::milliseconds checkReply{30000};
    // How long a full socket may take no byte of a record before the job ends.
    std::chrono::milliseconds writeStall{60000};
};

} // namespace qb
