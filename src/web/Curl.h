#pragma once

#include "web/WebHost.h"

#include <curl/curl.h>

#include <cstddef>
#include <initializer_list>
#include <string>

// libcurl plumbing shared by the GET, POST and download paths. Not for callers
// outside src/web.
namespace qb::curl {

// A reply larger than this is a failure rather than a way to exhaust memory.
inline constexpr std::size_t kMaxReplyBytes = 64u << 20;

class Easy {
public:
    Easy();
    ~Easy();
    Easy(const Easy&) = delete;
    Easy& operator=(const Easy&) = delete;

    explicit operator bool() const { return m_handle != nullptr; }
    CURL* get() const { return m_handle; }

    // Agent, time-outs, http only, no signals. The proxy is left to libcurl's
    // reading of the environment unless `direct` is set.
    void setCommon(const char* agent, const HttpTimeouts& timeouts, bool direct);
    // Replaces the request headers; the list is owned here until destruction.
    void setHeaders(std::initializer_list<const char*> lines);
    // Collects the body whole into `out` (capped by kMaxReplyBytes).
    void collectInto(std::string& out);

    CURLcode perform();
    long status() const;
    const char* errorText() const { return m_error; }

private:
    CURL* m_handle = nullptr;
    curl_slist* m_headers = nullptr;
    char m_error[CURL_ERROR_SIZE] = {};
};

// The failure numbers the uploader has always reported for transport errors.
int transportError(CURLcode code);

} // namespace qb::curl
