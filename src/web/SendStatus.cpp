#include "web/SendStatus.h"

#include "common/Bytes.h"
#include "web/HttpRequests.h"

#include <chrono>
#include <thread>

namespace qb {

ServiceJobStatus parseSendStatus(std::string_view reply) {
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r'))
        reply.remove_suffix(1);
    ServiceJobStatus s;
    const std::size_t bar = reply.find('|');
    long long stored = 0;
    if (bar == std::string_view::npos)
        return s;
    std::string_view rest = reply.substr(bar + 1);
    std::vector<long long> later;
    if (const std::size_t more = rest.find('|'); more != std::string_view::npos) {
        for (std::string_view counts = rest.substr(more + 1); !counts.empty();) {
            const std::size_t comma = counts.find(',');
            long long count = 0;
            if (!bytes::parseDecimal(counts.substr(0, comma), count))
                return s;
            later.push_back(count);
            if (comma == std::string_view::npos)
                break;
            counts.remove_prefix(comma + 1);
            if (counts.empty())
                return s;
        }
        rest = rest.substr(0, more);
    }
    if (!bytes::parseDecimal(rest, stored))
        return s;
    const std::string_view state = reply.substr(0, bar);
    if (state == "running")
        s.state = ServiceJobStatus::State::Running;
    else if (state == "done")
        s.state = ServiceJobStatus::State::Done;
    else if (state == "interrupted")
        s.state = ServiceJobStatus::State::Interrupted;
    else if (state == "unknown")
        s.state = ServiceJobStatus::State::NoSuchJob;
    else
        return s;
    s.stored = stored;
    s.laterJobs = std::move(later);
    return s;
}

ServiceJobStatus querySendStatus(WebHost host, const std::string& userId, const std::string& sendTag,
                                 long waitMs) {
    host.timeouts.connectMs = std::min<long>(host.timeouts.connectMs, 3'000);
    host.timeouts.totalMs = std::min<long>(host.timeouts.totalMs, 5'000);
    const std::string path =
        "sendstatus.jsp?cid=" + percentEncode(userId) + "&sendtag=" + percentEncode(sendTag) + "&later=1";
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        std::string reply;
        HttpOutcome outcome;
        ServiceJobStatus s;
        if (HttpGetText(host, path, reply, &outcome))
            s = parseSendStatus(reply);
        else if (outcome.status == 0)
            s.state = ServiceJobStatus::State::Unreachable;
        // A job the service still reads may take in what the socket still holds.
        if (s.state != ServiceJobStatus::State::Running || std::chrono::steady_clock::now() >= until)
            return s;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

} // namespace qb
