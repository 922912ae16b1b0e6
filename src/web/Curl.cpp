#include "web/Curl.h"

#include <cstring>

namespace qb::curl {
namespace {

void initOnce() {
    // Must run before the first handle; function-local statics make it once and thread-safe.
    static const bool done = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    (void)done;
}

std::size_t appendCapped(char* data, std::size_t size, std::size_t count, void* user) {
    auto* out = static_cast<std::string*>(user);
    const std::size_t n = size * count;
    if (out->size() + n > kMaxReplyBytes)
        return 0; // aborts the transfer with CURLE_WRITE_ERROR
    out->append(data, n);
    return n;
}

} // namespace

Easy::Easy() {
    initOnce();
    m_handle = curl_easy_init();
}

Easy::~Easy() {
    if (m_handle)
        curl_easy_cleanup(m_handle);
    curl_slist_free_all(m_headers);
}

void Easy::setCommon(const char* agent, const HttpTimeouts& timeouts, bool direct) {
    curl_easy_setopt(m_handle, CURLOPT_ERRORBUFFER, m_error);
    curl_easy_setopt(m_handle, CURLOPT_USERAGENT, agent);
    curl_easy_setopt(m_handle, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs);
    curl_easy_setopt(m_handle, CURLOPT_TIMEOUT_MS, timeouts.totalMs);
    curl_easy_setopt(m_handle, CURLOPT_NOSIGNAL, 1L);
    // The service speaks plain HTTP; a configured host must not turn into file:// or the like.
    curl_easy_setopt(m_handle, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(m_handle, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    if (direct)
        curl_easy_setopt(m_handle, CURLOPT_PROXY, ""); // also ignores the proxy environment
}

void Easy::setHeaders(std::initializer_list<const char*> lines) {
    curl_slist_free_all(m_headers);
    m_headers = nullptr;
    for (const char* line : lines)
        m_headers = curl_slist_append(m_headers, line);
    curl_easy_setopt(m_handle, CURLOPT_HTTPHEADER, m_headers);
}

void Easy::collectInto(std::string& out) {
    curl_easy_setopt(m_handle, CURLOPT_WRITEFUNCTION, &appendCapped);
    curl_easy_setopt(m_handle, CURLOPT_WRITEDATA, &out);
}

CURLcode Easy::perform() {
    m_error[0] = '\0';
    const CURLcode rc = curl_easy_perform(m_handle);
    if (rc != CURLE_OK && m_error[0] == '\0')
        std::strncpy(m_error, curl_easy_strerror(rc), sizeof m_error - 1);
    return rc;
}

long Easy::status() const {
    long code = 0;
    curl_easy_getinfo(m_handle, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

int transportError(CURLcode code) {
    switch (code) {
    case CURLE_OK:
        return 0;
    case CURLE_OPERATION_TIMEDOUT:
        return 12002; // time-out
    case CURLE_URL_MALFORMAT:
        return 12005; // invalid URL
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return 12007; // name not resolved
    case CURLE_COULDNT_CONNECT:
        return 12029; // cannot connect
    case CURLE_OUT_OF_MEMORY:
        return 8;
    default:
        return 12030; // connection aborted
    }
}

} // namespace qb::curl
