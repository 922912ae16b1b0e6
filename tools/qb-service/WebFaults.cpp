#include "WebFaults.h"

#include "common/Bytes.h"

namespace qbs {

void WebFaults::set(std::string_view endpoint, FaultRule rule) {
    const std::lock_guard guard(m_lock);
    // "none" for everything resets; for one endpoint it shields it from the global rule.
    if (endpoint.empty() && rule.fault == WebFault::None)
        m_rules.clear();
    else
        m_rules[std::string(endpoint)] = std::move(rule);
}

void WebFaults::clear() {
    const std::lock_guard guard(m_lock);
    m_rules.clear();
}

FaultRule WebFaults::lookup(std::string_view endpoint) const {
    const std::lock_guard guard(m_lock);
    if (auto it = m_rules.find(endpoint); it != m_rules.end())
        return it->second;
    if (auto it = m_rules.find(std::string_view()); it != m_rules.end())
        return it->second;
    return {};
}

bool WebFaults::apply(std::string_view option, std::string* error) {
    auto fail = [&](std::string why) {
        if (error)
            *error = std::move(why);
        return false;
    };
    std::string_view endpoint;
    if (const auto at = option.find('@'); at != std::string_view::npos) {
        endpoint = option.substr(at + 1);
        option = option.substr(0, at);
        if (endpoint.empty())
            return fail("no endpoint after '@'");
    }
    std::string_view delay;
    if (const auto colon = option.find(':'); colon != std::string_view::npos) {
        delay = option.substr(colon + 1);
        option = option.substr(0, colon);
    }

    static const std::map<std::string_view, WebFault> kKinds{
        {"none", WebFault::None},           {"status500", WebFault::ServerError},
        {"badjson", WebFault::InvalidJson}, {"nomember", WebFault::MissingMember},
        {"slow", WebFault::Slow},           {"truncate", WebFault::Truncated}};
    const auto kind = kKinds.find(option);
    if (kind == kKinds.end())
        return fail("unknown fault \"" + std::string(option) +
                    "\" (none, status500, badjson, nomember, slow, truncate)");
    FaultRule rule{kind->second, 0};
    if (rule.fault == WebFault::Slow) {
        long long ms = 3000;
        if (!delay.empty() && (!qb::bytes::parseDecimal(delay, ms) || ms > 600'000))
            return fail("the delay of slow is milliseconds, at most 600000");
        rule.delayMs = static_cast<int>(ms);
    } else if (!delay.empty()) {
        return fail("only slow takes a delay");
    }
    set(endpoint, rule);
    return true;
}

} // namespace qbs
