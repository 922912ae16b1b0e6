#include "RawHttpCapture.h"

#include "common/Bytes.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qb::test {
namespace {

int listenLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

// Reads one request: headers, then Content-Length bytes of body.
std::string readRequest(int fd) {
    std::string in;
    char buf[4096];
    std::size_t want = std::string::npos;
    while (true) {
        if (want == std::string::npos) {
            const auto end = in.find("\r\n\r\n");
            if (end != std::string::npos) {
                std::size_t length = 0;
                const auto parsed = RawHttpCapture::parse(in.substr(0, end + 4));
                long long v = 0;
                if (bytes::parseDecimal(parsed.header("Content-Length"), v))
                    length = static_cast<std::size_t>(v);
                want = end + 4 + length;
            }
        }
        if (want != std::string::npos && in.size() >= want)
            return in;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            return in;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return in;
        in.append(buf, static_cast<std::size_t>(n));
    }
}

} // namespace

RawHttpCapture::RawHttpCapture(std::string reply) : m_reply(std::move(reply)) {
    m_listen = listenLoopback(m_port);
    m_thread = std::thread([this] { serve(); });
}

RawHttpCapture::~RawHttpCapture() {
    {
        const std::lock_guard guard(m_lock);
        m_stop = true;
    }
    ::shutdown(m_listen, SHUT_RDWR);
    m_thread.join();
    ::close(m_listen);
}

void RawHttpCapture::serve() {
    while (true) {
        pollfd p{m_listen, POLLIN, 0};
        ::poll(&p, 1, 100);
        {
            const std::lock_guard guard(m_lock);
            if (m_stop)
                return;
        }
        if (!(p.revents & POLLIN))
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::string request = readRequest(fd);
        {
            const std::lock_guard guard(m_lock);
            m_requests.push_back(std::move(request));
        }
        ::send(fd, m_reply.data(), m_reply.size(), MSG_NOSIGNAL);
        ::shutdown(fd, SHUT_WR);
        char drain[256];
        while (::recv(fd, drain, sizeof drain, 0) > 0) {
        }
        ::close(fd);
    }
}

std::vector<std::string> RawHttpCapture::requests() const {
    const std::lock_guard guard(m_lock);
    return m_requests;
}

std::string RawHttpCapture::only() const {
    const auto all = requests();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? std::string() : all.front();
}

RawHttpCapture::Parsed RawHttpCapture::parse(const std::string& request) {
    Parsed p;
    const auto end = request.find("\r\n\r\n");
    const std::string head = request.substr(0, end);
    if (end != std::string::npos)
        p.body = request.substr(end + 4);
    std::size_t pos = 0;
    bool first = true;
    while (pos <= head.size()) {
        auto eol = head.find("\r\n", pos);
        if (eol == std::string::npos)
            eol = head.size();
        const std::string line = head.substr(pos, eol - pos);
        if (first)
            p.requestLine = line;
        else if (!line.empty())
            p.headers.push_back(line);
        first = false;
        pos = eol + 2;
    }
    return p;
}

std::string RawHttpCapture::Parsed::header(const std::string& name) const {
    for (const std::string& h : headers) {
        const auto colon = h.find(':');
        if (colon != std::string::npos && bytes::equalsIgnoreCase(h.substr(0, colon), name))
            return std::string(bytes::trim(std::string_view(h).substr(colon + 1)));
    }
    return {};
}

bool RawHttpCapture::Parsed::has(const std::string& name) const {
    for (const std::string& h : headers) {
        const auto colon = h.find(':');
        if (colon != std::string::npos && bytes::equalsIgnoreCase(h.substr(0, colon), name))
            return true;
    }
    return false;
}

} // namespace qb::test
