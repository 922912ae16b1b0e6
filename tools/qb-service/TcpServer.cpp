#include "TcpServer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qbs {

TcpServer::TcpServer(std::string name, std::string host, int port, Handler handler)
    : m_name(std::move(name)), m_host(std::move(host)), m_port(port), m_handler(std::move(handler)) {}

TcpServer::~TcpServer() {
    stop();
}

void TcpServer::start() {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(m_port);
    if (const int rc = ::getaddrinfo(m_host.c_str(), service.c_str(), &hints, &found); rc != 0)
        throw std::runtime_error(m_name + ": cannot resolve " + m_host + ": " + ::gai_strerror(rc));
    std::string why = "no address";
    for (const addrinfo* a = found; a && m_listenFd < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 64) == 0) {
            m_listenFd = fd;
        } else {
            why = std::strerror(errno);
            ::close(fd);
        }
    }
    ::freeaddrinfo(found);
    if (m_listenFd < 0)
        throw std::runtime_error(m_name + ": cannot listen on " + m_host + ":" + service + ": " + why);

    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&bound), &len);
    m_port = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                         : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    if (m_stopFd < 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        throw std::runtime_error(m_name + ": eventfd: " + std::strerror(errno));
    }
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

void TcpServer::stop() {
    if (m_stopped || m_stopFd < 0)
        return;
    m_stopped = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t w = ::write(m_stopFd, &one, sizeof one);
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    // Closed before the handlers finish, so a new connection is refused rather
    // than left waiting in the backlog.
    ::close(m_listenFd);
    std::list<Worker> workers;
    {
        std::lock_guard lock(m_workersMutex);
        workers.swap(m_workers);
    }
    for (Worker& w : workers)
        w.thread.join();
    ::close(m_stopFd);
    m_listenFd = m_stopFd = -1;
}

void TcpServer::acceptLoop() {
    while (waitReadable(m_listenFd) == Wait::Readable) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        reapFinished();
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::lock_guard lock(m_workersMutex);
        m_workers.push_back({std::thread([this, fd, done] {
                                 m_handler(fd);
                                 ::close(fd);
                                 done->store(true);
                             }),
                             done});
    }
}

void TcpServer::reapFinished() {
    std::lock_guard lock(m_workersMutex);
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

TcpServer::Wait TcpServer::waitReadable(int fd, std::chrono::milliseconds timeout) const {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + timeout;
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
    for (;;) {
        int ms = -1;
        if (timeout.count() >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
            ms = static_cast<int>(std::max<long long>(left.count(), 0));
        }
        const int rc = ::poll(fds, 2, ms);
        if (rc < 0 && errno == EINTR)
            continue;
        if (rc < 0 || (fds[1].revents & POLLIN))
            return Wait::Stopped;
        if (fds[0].revents)
            return Wait::Readable;
        if (rc == 0)
            return Wait::TimedOut;
    }
}

long TcpServer::readSome(int fd, char* buffer, std::size_t size, std::chrono::milliseconds timeout) const {
    switch (waitReadable(fd, timeout)) {
    case Wait::Stopped:
        return -1;
    case Wait::TimedOut:
        return kTimedOut;
    case Wait::Readable:
        break;
    }
    ssize_t n;
    do {
        n = ::recv(fd, buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

bool TcpServer::readExact(int fd, char* buffer, std::size_t size) const {
    std::size_t got = 0;
    while (got < size) {
        const long n = readSome(fd, buffer + got, size - got);
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool TcpServer::writeAll(int fd, std::string_view bytes) const {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool TcpServer::pause(std::chrono::milliseconds duration) const {
    pollfd fd{m_stopFd, POLLIN, 0};
    const auto until = std::chrono::steady_clock::now() + duration;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return true;
        const int rc = ::poll(&fd, 1, static_cast<int>(left.count()));
        if (rc > 0)
            return false;
        if (rc < 0 && errno != EINTR)
            return false;
    }
}

} // namespace qbs
