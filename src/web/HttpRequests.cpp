#include "web/HttpRequests.h"

#include "web/CFormUploader.h"
#include "web/Curl.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace qb {

std::string percentEncode(std::string_view bytes) {
    if (bytes.empty())
        return {};
    // Since 7.82 the handle argument is ignored, so no handle is needed here.
    char* escaped = curl_easy_escape(nullptr, bytes.data(), static_cast<int>(bytes.size()));
    if (!escaped)
        return {};
    std::string out(escaped);
    curl_free(escaped);
    return out;
}

bool HttpGetText(const WebHost& host, std::string_view path, std::string& reply, HttpOutcome* outcome) {
    reply.clear();
    HttpOutcome local;
    HttpOutcome& out = outcome ? *outcome : local;
    out = {};

    curl::Easy easy;
    if (!easy) {
        out.curlCode = CURLE_FAILED_INIT;
        out.error = "cannot create a request";
        return false;
    }
    easy.setCommon("HTTP", host.timeouts, false);
    const std::string url = host.url(path);
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_MAXREDIRS, 5L);
    easy.setHeaders({"Accept: */*"});
    easy.collectInto(reply);

    const CURLcode rc = easy.perform();
    out.curlCode = rc;
    out.status = easy.status();
    if (rc != CURLE_OK) {
        out.error = easy.errorText();
        return false;
    }
    if (out.status >= 400) {
        out.error = "HTTP status " + std::to_string(out.status);
        return false;
    }
    return true;
}

namespace {

struct FileSink {
    std::FILE* file = nullptr;
    long long written = 0;
    long long maxBytes = 0;
    bool failed = false;
    bool tooLarge = false;
};

std::size_t writeToFile(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<FileSink*>(user);
    const std::size_t n = size * count;
    if (sink->maxBytes > 0 && static_cast<long long>(n) > sink->maxBytes - sink->written) {
        sink->tooLarge = true;
        return 0; // ends the transfer
    }
    if (std::fwrite(data, 1, n, sink->file) != n) {
        sink->failed = true;
        return 0;
    }
    sink->written += static_cast<long long>(n);
    return n;
}

} // namespace

long long DownloadToFile(const std::string& url, const std::string& localPath, const HttpTimeouts& timeouts,
                         long long maxBytes) {
    // The temporary file lies beside the target so the rename cannot cross file systems;
    // its name does not grow with the target's, which may already be as long as names go.
    const auto slash = localPath.rfind('/');
    std::string tempPath =
        (slash == std::string::npos ? std::string() : localPath.substr(0, slash + 1)) + ".download-XXXXXX";
    const int fd = mkstemp(tempPath.data());
    if (fd < 0)
        return 0;
    FileSink sink;
    sink.maxBytes = maxBytes;
    sink.file = fdopen(fd, "wb");
    if (!sink.file) {
        close(fd);
        unlink(tempPath.c_str());
        return 0;
    }

    bool ok = false;
    {
        curl::Easy easy;
        if (easy) {
            easy.setCommon("Web", timeouts, true);
            curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
            curl_easy_setopt(easy.get(), CURLOPT_HTTPGET, 1L);
            curl_easy_setopt(easy.get(), CURLOPT_FOLLOWLOCATION, 1L);
            curl_easy_setopt(easy.get(), CURLOPT_MAXREDIRS, 5L);
            curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &writeToFile);
            curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &sink);
            ok = easy.perform() == CURLE_OK && easy.status() < 400;
        }
    }
    const bool closed = std::fclose(sink.file) == 0;
    if (sink.tooLarge) {
        unlink(tempPath.c_str());
        return -1;
    }
    if (sink.failed || !closed) {
        unlink(tempPath.c_str());
        return 0;
    }
    if (!ok) {
        unlink(tempPath.c_str());
        return -1;
    }
    if (std::rename(tempPath.c_str(), localPath.c_str()) != 0) {
        unlink(tempPath.c_str());
        return 0;
    }
    return sink.written;
}

int PostForm(const WebHost& host, std::string_view path, const std::vector<FormField>& fields,
             const std::vector<FormFile>& files) {
    CFormUploader uploader;
    uploader.setTimeouts(host.timeouts);
    if (const int rc = uploader.Connect("SMS", host.host, host.port))
        return rc;
    for (const FormField& f : fields)
        if (const int rc = uploader.AddField(f.name, f.value))
            return rc;
    for (const FormFile& f : files)
        if (const int rc = uploader.AddFile(f.name, f.fileName, f.path))
            return rc;
    int status = 0;
    return uploader.Send(path, &status);
}

} // namespace qb
