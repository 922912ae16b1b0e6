#pragma once

#include "support/Ports.h"

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qb::test {

// A loopback listener that records every request byte for byte and answers each
// with one canned reply, then closes. For checks of exactly what goes on the wire.
class RawHttpCapture {
public:
    explicit RawHttpCapture(
        std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nOK");
    ~RawHttpCapture();
    RawHttpCapture(const RawHttpCapture&) = delete;
    RawHttpCapture& operator=(const RawHttpCapture&) = delete;

    int port() const { return m_port; }
    std::vector<std::string> requests() const;
    // The one request expected; fails the test when there was not exactly one.
    std::string only() const;

    struct Parsed {
        std::string requestLine;
        std::vector<std::string> headers; // in order, without CR LF
        std::string body;
        std::string header(const std::string& name) const; // first, case-insensitive; "" when absent
        bool has(const std::string& name) const;
    };
    static Parsed parse(const std::string& request);

private:
    void serve();

    std::string m_reply;
    int m_listen = -1;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_lock;
    std::vector<std::string> m_requests;
    bool m_stop = false;
};

} // namespace qb::test
