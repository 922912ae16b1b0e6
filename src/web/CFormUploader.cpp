#include "web/CFormUploader.h"

#include "web/Curl.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace qb {
namespace {

constexpr std::string_view kDelimiter = "----HC-MPFD-BOUNDARY\r\n";
constexpr std::string_view kClosing = "----HC-MPFD-BOUNDARY--\r\n";
constexpr std::string_view kDisposition = "Content-Disposition: form-data; name=\"";
constexpr std::string_view kFileName = "\"; filename=\"";
constexpr std::string_view kFileHeaderEnd = "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
constexpr std::string_view kTextHeaderEnd = "\"\r\n\r\n";
constexpr std::string_view kCrLf = "\r\n";

// The fixed bytes of each kind of part, without its variable texts.
constexpr std::uint64_t kTextOverhead = kDelimiter.size() + kDisposition.size() + kTextHeaderEnd.size() + 2;
constexpr std::uint64_t kFileOverhead =
    kDelimiter.size() + kDisposition.size() + kFileName.size() + kFileHeaderEnd.size() + 2;
static_assert(kTextOverhead == 67 && kFileOverhead == 120 && kClosing.size() == 24);

int fileError(int err) {
    if (err == ENOENT || err == ENOTDIR)
        return upload::kFileNotFound;
    if (err == ENOMEM)
        return upload::kNotEnoughMemory;
    return upload::kAccessDenied;
}

// Writes into the preallocated body; never grows it.
class BodyWriter {
public:
    explicit BodyWriter(std::string& body) : m_body(body) {}
    std::size_t left() const { return m_body.size() - m_pos; }
    bool put(std::string_view s) {
        if (s.size() > left())
            return false;
        std::memcpy(m_body.data() + m_pos, s.data(), s.size());
        m_pos += s.size();
        return true;
    }
    char* cursor() { return m_body.data() + m_pos; }
    void advance(std::size_t n) { m_pos += n; }

private:
    std::string& m_body;
    std::size_t m_pos = 0;
};

// Reads exactly `size` bytes of the file into `dest`; the file must still have that size.
int readWholeFile(const std::string& path, std::uint64_t size, char* dest, std::size_t room) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fileError(errno);
    struct stat st {};
    int rc = upload::kOk;
    if (::fstat(fd, &st) != 0) {
        rc = fileError(errno);
    } else if (static_cast<std::uint64_t>(st.st_size) > size || size > room) {
        rc = upload::kFileOutgrown;
    } else if (static_cast<std::uint64_t>(st.st_size) < size) {
        rc = upload::kInconsistent;
    } else {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd, dest + done, size - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                rc = upload::kReadFault;
                break;
            }
            if (n == 0) { // shrank while being read
                rc = upload::kInconsistent;
                break;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    return rc;
}

} // namespace

int CFormUploader::Connect(std::string_view agent, std::string_view host, int port) {
    if (m_connected)
        return upload::kAlreadyConnected;
    if (host.empty() || port < 1 || port > 65535)
        return upload::kInvalidParameter;
    m_agent = agent;
    m_host = host;
    m_port = port;
    m_connected = true;
    return upload::kOk;
}

int CFormUploader::AddField(std::string_view name, std::string_view value) {
    if (name.empty())
        return upload::kInvalidParameter;
    try {
        Part p;
        p.name = name;
        p.value = value;
        const std::lock_guard guard(m_lock);
        m_parts.push_back(std::move(p));
    } catch (const std::bad_alloc&) {
        return upload::kNotEnoughMemory;
    }
    return upload::kOk;
}

int CFormUploader::AddFile(std::string_view name, std::string_view fileName, const std::string& localPath) {
    if (name.empty() || fileName.empty() || localPath.empty())
        return upload::kInvalidParameter;
    struct stat st {};
    if (::stat(localPath.c_str(), &st) != 0)
        return upload::kFileNotFound;
    if (!S_ISREG(st.st_mode))
        return upload::kAccessDenied; // a folder or device cannot be read as a picture
    const int fd = ::open(localPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fileError(errno);
    struct stat opened {};
    const int statRc = ::fstat(fd, &opened);
    const int statErr = errno;
    ::close(fd);
    if (statRc != 0)
        return fileError(statErr);
    if (opened.st_size == 0)
        return upload::kFileEmpty;
    try {
        Part p;
        p.isFile = true;
        p.name = name;
        p.fileName = fileName;
        p.path = localPath;
        p.size = static_cast<std::uint64_t>(opened.st_size);
        const std::lock_guard guard(m_lock);
        m_parts.push_back(std::move(p));
    } catch (const std::bad_alloc&) {
        return upload::kNotEnoughMemory;
    }
    return upload::kOk;
}

std::uint64_t CFormUploader::bodyLength() const {
    const std::lock_guard guard(m_lock);
    std::uint64_t total = kClosing.size();
    for (const Part& p : m_parts) {
        if (p.isFile)
            total += kFileOverhead + p.name.size() + p.fileName.size() + p.size;
        else
            total += kTextOverhead + p.name.size() + p.value.size();
    }
    return total;
}

std::size_t CFormUploader::partCount() const {
    const std::lock_guard guard(m_lock);
    return m_parts.size();
}

int CFormUploader::assembleBody(std::string& body) const {
    const std::uint64_t length = bodyLength();
    if (length > body.max_size())
        return upload::kNotEnoughMemory;
    try {
        body.assign(static_cast<std::size_t>(length), '\0');
    } catch (const std::bad_alloc&) {
        return upload::kNotEnoughMemory;
    }

    const std::lock_guard guard(m_lock);
    BodyWriter w(body);
    for (const Part& p : m_parts) {
        if (!p.isFile) {
            if (!(w.put(kDelimiter) && w.put(kDisposition) && w.put(p.name) && w.put(kTextHeaderEnd) &&
                  w.put(p.value) && w.put(kCrLf)))
                return upload::kPartTooLarge;
            continue;
        }
        if (!(w.put(kDelimiter) && w.put(kDisposition) && w.put(p.name) && w.put(kFileName) &&
              w.put(p.fileName) && w.put(kFileHeaderEnd)))
            return upload::kPartTooLarge;
        if (const int rc = readWholeFile(p.path, p.size, w.cursor(), w.left()))
            return rc;
        w.advance(static_cast<std::size_t>(p.size));
        if (!w.put(kCrLf))
            return upload::kPartTooLarge;
    }
    if (w.left() != kClosing.size())
        return upload::kInconsistent;
    w.put(kClosing);
    return upload::kOk;
}

int CFormUploader::Send(std::string_view path, int* statusCode, std::string* reply) {
    if (!m_connected)
        return upload::kNotConnected;
    if (path.empty())
        return upload::kInvalidParameter;

    // The request is opened only once the body is complete, so a failed assembly sends nothing.
    std::string body;
    if (const int rc = assembleBody(body))
        return rc;

    curl::Easy easy;
    if (!easy)
        return upload::kNotEnoughMemory;
    WebHost target{m_host, m_port, m_timeouts};
    const std::string url = target.url(path);
    const std::string contentLength = "Content-Length: " + std::to_string(body.size());
    const std::string agent = m_agent;
    easy.setCommon(agent.c_str(), m_timeouts, false);
    curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy.get(), CURLOPT_POST, 1L);
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    // No Accept header, and no "Expect: 100-continue" round trip before large bodies.
    easy.setHeaders({"Content-Type: multipart/form-data; boundary=--HC-MPFD-BOUNDARY", contentLength.c_str(),
                     "Accept:", "Expect:"});
    std::string replyBody;
    easy.collectInto(replyBody);

    const CURLcode rc = easy.perform();
    if (rc != CURLE_OK)
        return curl::transportError(rc);
    const long status = easy.status();
    if (statusCode)
        *statusCode = static_cast<int>(status);
    if (reply)
        *reply = std::move(replyBody);
    if (status >= 400)
        return upload::kRefusedByServer;

    const std::lock_guard guard(m_lock);
    m_parts.clear();
    return upload::kOk;
}

} // namespace qb
