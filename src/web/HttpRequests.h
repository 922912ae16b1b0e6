#pragma once

#include "web/WebHost.h"

#include <string>
#include <string_view>
#include <vector>

// The three web operations. Each opens its own connection, blocks its caller
// until the exchange is over or a time-out strikes, and never throws.
namespace qb {

// What happened on the wire, for tests and diagnostics.
struct HttpOutcome {
    long status = 0;   // HTTP status; 0 when no reply arrived
    int curlCode = 0;  // CURLcode
    std::string error; // libcurl's text, empty on success
};

// A value for a query string: every byte but the unreserved ones as %XX, so `&`,
// `=`, spaces and CP949 bytes arrive as they were.
std::string percentEncode(std::string_view bytes);

// GET on the service host with the agent "HTTP" and the system's proxy settings.
// `path` is relative to the host's root ("getaddrgroup.jsp?cid=..."). `reply` is
// emptied first and receives the whole body. False when no reply arrived, the
// reply was cut short, or its status is 400 or above.
bool HttpGetText(const WebHost& host, std::string_view path, std::string& reply,
                 HttpOutcome* outcome = nullptr);

// Fetches `url` with the agent "Web" and no proxy into `localPath`, through a
// temporary file beside it that is renamed when the whole reply has arrived.
// Returns the bytes written; 0 when the local file cannot be created (nothing is
// requested then) or put in place; -1 when the request fails or its status is
// 400 or above, or when the reply holds more than `maxBytes` (0: no limit); nothing
// is left behind then.
long long DownloadToFile(const std::string& url, const std::string& localPath,
                         const HttpTimeouts& timeouts = {}, long long maxBytes = 0);

struct FormField {
    std::string name;
    std::string value;
};

struct FormFile {
    std::string name;     // field name
    std::string fileName; // name announced to the server
    std::string path;     // local file
};

// The multipart POST every write uses (agent "SMS", text fields then files, in
// order). Returns 0 or the uploader's error number.
int PostForm(const WebHost& host, std::string_view path, const std::vector<FormField>& fields,
             const std::vector<FormFile>& files = {});

} // namespace qb
