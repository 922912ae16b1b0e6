#pragma once

#include <string>

// A blocking loopback TCP client for exact bytes both ways, with a read
// time-out: a client as plain as the wire, for the service's ports.
namespace qb::test {

class RawClient {
public:
    // Connects at once; a failed connection fails the test.
    explicit RawClient(int port);
    ~RawClient() { close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    void close();
    // Closes with a reset (SO_LINGER 0) instead of a FIN, as a crashed client's.
    void reset();
    // All of `bytes`, or the test fails.
    void write(const std::string& bytes);
    // All of `bytes`; false once the peer has gone (closed or reset).
    bool tryWrite(const std::string& bytes);
    // Exactly `size` bytes, or what came before the peer closed or the time passed.
    std::string read(std::size_t size, int timeoutMs = 5000);
    // Closed (or reset, when bytes were left unread) without a reply.
    bool closedByPeer();

private:
    int m_fd = -1;
};

} // namespace qb::test
