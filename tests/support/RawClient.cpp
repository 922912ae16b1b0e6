#include "support/RawClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qb::test {

RawClient::RawClient(int port) {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    EXPECT_EQ(::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
}

void RawClient::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void RawClient::reset() {
    const linger hard{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close();
}

void RawClient::write(const std::string& bytes) {
    ASSERT_TRUE(tryWrite(bytes));
}

bool RawClient::tryWrite(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string RawClient::read(std::size_t size, int timeoutMs) {
    std::string out;
    char buf[256];
    while (out.size() < size) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            break;
        const ssize_t n = ::recv(m_fd, buf, std::min(sizeof buf, size - out.size()), 0);
        if (n <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

bool RawClient::closedByPeer() {
    char c;
    pollfd p{m_fd, POLLIN, 0};
    return ::poll(&p, 1, 5000) == 1 && ::recv(m_fd, &c, 1, 0) <= 0;
}

} // namespace qb::test
