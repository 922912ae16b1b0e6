#pragma once

#include "web/WebHost.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// Result codes of the uploader. The numbers are the ones the program has always
// reported, so logs and support notes keep their meaning.
namespace upload {
inline constexpr int kOk = 0;
inline constexpr int kFileNotFound = 2;
inline constexpr int kAccessDenied = 5;
inline constexpr int kNotEnoughMemory = 8;
inline constexpr int kNotConnected = 21;
inline constexpr int kReadFault = 30;
inline constexpr int kInvalidParameter = 87;
inline constexpr int kFileOutgrown = 111;
inline constexpr int kAlreadyConnected = 183;
inline constexpr int kPartTooLarge = 234;
inline constexpr int kInconsistent = 1359;
inline constexpr int kFileEmpty = 4306;
// The server answered with a status of 400 or above.
inline constexpr int kRefusedByServer = 12152;
} // namespace upload

// One multipart/form-data POST: collect text and file parts, then send them as
// one body whose length is known before anything is written.
class CFormUploader {
public:
    static constexpr std::string_view kBoundary = "--HC-MPFD-BOUNDARY";

    CFormUploader() = default;
    CFormUploader(const CFormUploader&) = delete;
    CFormUploader& operator=(const CFormUploader&) = delete;

    void setTimeouts(const HttpTimeouts& timeouts) { m_timeouts = timeouts; }

    int Connect(std::string_view agent, std::string_view host, int port);
    int AddField(std::string_view name, std::string_view value);
    int AddFile(std::string_view name, std::string_view fileName, const std::string& localPath);
    // POSTs the parts to `path`. `statusCode` and `reply`, when given, receive the
    // HTTP status and the whole reply body. The parts are cleared on success.
    int Send(std::string_view path, int* statusCode = nullptr, std::string* reply = nullptr);

    // The body exactly as Send writes it: steps up to the request itself.
    int assembleBody(std::string& body) const;
    std::uint64_t bodyLength() const;
    std::size_t partCount() const;
    bool connected() const { return m_connected; }

private:
    struct Part {
        bool isFile = false;
        std::string name;
        std::string value;    // text parts
        std::string fileName; // file parts
        std::string path;
        std::uint64_t size = 0;
    };

    bool m_connected = false;
    std::string m_agent;
    std::string m_host;
    int m_port = 80;
    HttpTimeouts m_timeouts;
    mutable std::mutex m_lock; // guards m_parts
    std::vector<Part> m_parts;
};

} // namespace qb
