#include "net/AsyncSocket.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/tcp.h>
#include <netdb.h>
#include <unistd.h>

namespace qb {

AsyncSocket::AsyncSocket(QObject* parent) : QObject(parent) {
    m_connectTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        if (m_state == State::Connecting)
            finishConnect(ETIMEDOUT);
    });
}

AsyncSocket::~AsyncSocket() {
    dropSocket();
}

bool AsyncSocket::create() {
    m_lastError = 0;
    m_closeReported = false;
    if (!openSocket(AF_INET))
        return false;
    m_state = State::Created;
    return true;
}

bool AsyncSocket::openSocket(int family) {
    dropSocket();
    m_fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        m_lastError = errno;
        return false;
    }
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &AsyncSocket::onReadActivated);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &AsyncSocket::onWriteActivated);
    return true;
}

void AsyncSocket::dropSocket() {
    // Notifiers go before the descriptor: a watched descriptor must not be closed.
    for (QSocketNotifier** n : {&m_readNotifier, &m_writeNotifier}) {
        if (*n) {
            (*n)->setEnabled(false);
            (*n)->disconnect(this);
            (*n)->deleteLater();
            *n = nullptr;
        }
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void AsyncSocket::connectToHost(const std::string& host, int port) {
    ++m_attempt;
    m_addresses.clear();
    m_addressLengths.clear();
    m_nextAddress = 0;
    m_lastConnectError = 0;
    if (m_fd < 0 || m_state != State::Created) {
        m_state = State::Connecting;
        reportConnectLater(m_lastError ? m_lastError : EBADF);
        return;
    }
    m_state = State::Connecting;
    m_connectTimer.start(m_connectTimeout);

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (host.empty() || port < 1 || port > 65535 ||
        ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) {
        reportConnectLater(kHostNotFound);
        return;
    }
    for (const addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family != AF_INET && a->ai_family != AF_INET6)
            continue;
        sockaddr_storage s{};
        std::memcpy(&s, a->ai_addr, a->ai_addrlen);
        m_addresses.push_back(s);
        m_addressLengths.push_back(a->ai_addrlen);
    }
    ::freeaddrinfo(found);
    if (m_addresses.empty()) {
        reportConnectLater(kHostNotFound);
        return;
    }
    tryNextAddress();
}

void AsyncSocket::tryNextAddress() {
    while (m_nextAddress < m_addresses.size()) {
        const std::size_t i = m_nextAddress++;
        const auto* addr = reinterpret_cast<const sockaddr*>(&m_addresses[i]);
        // The socket made by create() serves the first address of its family; a
        // failed connect leaves a socket unusable, so every retry takes a new one.
        if (i > 0 || addr->sa_family != AF_INET) {
            if (!openSocket(addr->sa_family)) {
                m_lastConnectError = m_lastError;
                continue;
            }
        }
        if (::connect(m_fd, addr, m_addressLengths[i]) == 0) {
            reportConnectLater(0);
            return;
        }
        if (errno == EINPROGRESS) {
            updateNotifiers();
            return;
        }
        m_lastConnectError = errno;
    }
    reportConnectLater(m_lastConnectError ? m_lastConnectError : ECONNREFUSED);
}

void AsyncSocket::reportConnectLater(int error) {
    // Outcomes known at once still arrive from the event loop, as a real connect's would.
    const unsigned attempt = m_attempt;
    QMetaObject::invokeMethod(
        this,
        [this, attempt, error] {
            if (attempt == m_attempt && m_state == State::Connecting)
                finishConnect(error);
        },
        Qt::QueuedConnection);
}

void AsyncSocket::finishConnect(int error) {
    m_connectTimer.stop();
    if (error == 0) {
        m_state = State::Connected;
        m_readArmed = true;
        m_writeArmed = false;
        updateNotifiers();
    } else {
        m_lastError = error;
        dropSocket();
        m_state = State::Closed;
    }
    emit connected(error);
}

void AsyncSocket::onWriteActivated() {
    if (m_state == State::Connecting) {
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
            error = errno;
        if (error == 0) {
            finishConnect(0);
            return;
        }
        m_lastConnectError = error;
        dropSocket();
        tryNextAddress();
        return;
    }
    m_writeArmed = false;
    updateNotifiers();
    if (m_state == State::Connected)
        emit writable();
}

void AsyncSocket::onReadActivated() {
    if (m_state != State::Connected)
        return;
    // A peek tells data from the peer's close without taking anything from the handler.
    char c = 0;
    const ssize_t n = ::recv(m_fd, &c, 1, MSG_PEEK);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (n > 0) {
        m_readArmed = false;
        updateNotifiers();
        if (m_events & Read)
            emit readable();
        return;
    }
    m_lastError = n == 0 ? 0 : errno;
    m_state = State::PeerClosed;
    updateNotifiers();
    if (m_events & Close) {
        m_closeReported = true;
        emit closed(m_lastError);
    }
}

void AsyncSocket::updateNotifiers() {
    const bool connecting = m_state == State::Connecting;
    const bool connected = m_state == State::Connected;
    if (m_readNotifier)
        m_readNotifier->setEnabled(connected && m_readArmed && (m_events & (Read | Close)));
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(connecting || (connected && m_writeArmed && (m_events & Write)));
}

void AsyncSocket::setEvents(int events) {
    const bool closeAdded = (events & Close) && !(m_events & Close);
    m_events = events;
    m_readArmed = true;
    updateNotifiers();
    if (m_state == State::PeerClosed && closeAdded && !m_closeReported) {
        m_closeReported = true;
        const unsigned attempt = m_attempt;
        QMetaObject::invokeMethod(
            this,
            [this, attempt] {
                if (attempt == m_attempt && m_state == State::PeerClosed && (m_events & Close))
                    emit closed(m_lastError);
            },
            Qt::QueuedConnection);
    }
}

long AsyncSocket::send(const char* data, std::size_t size) {
    if (m_fd < 0 || (m_state != State::Connected && m_state != State::PeerClosed)) {
        m_lastError = ENOTCONN;
        return -1;
    }
    ssize_t n;
    do {
        n = ::send(m_fd, data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        m_lastError = errno;
        if (wouldBlock()) {
            m_writeArmed = true;
            updateNotifiers();
        }
    }
    return static_cast<long>(n);
}

long AsyncSocket::receive(char* buffer, std::size_t size) {
    if (m_fd < 0) {
        m_lastError = ENOTCONN;
        return -1;
    }
    ssize_t n;
    do {
        n = ::recv(m_fd, buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        m_lastError = errno;
    if (m_state == State::Connected) {
        m_readArmed = true;
        updateNotifiers();
    }
    return static_cast<long>(n);
}

bool AsyncSocket::wouldBlock() const {
    return m_lastError == EAGAIN || m_lastError == EWOULDBLOCK;
}

void AsyncSocket::close() {
    ++m_attempt;
    m_connectTimer.stop();
    dropSocket();
    m_state = State::Closed;
}

long long AsyncSocket::bytesNotSent() const {
    if (m_fd < 0)
        return -1;
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(m_fd, IPPROTO_TCP, TCP_INFO, &info, &size) != 0 ||
        size < offsetof(tcp_info, tcpi_notsent_bytes) + sizeof info.tcpi_notsent_bytes)
        return -1;
    // After a reset the count stays: those bytes were dropped, never sent.
    return static_cast<long long>(info.tcpi_notsent_bytes);
}

void AsyncSocket::shutdownWrite() {
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_WR);
}

void AsyncSocket::discardUnsentOnClose() {
    if (m_fd < 0)
        return;
    const linger l{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
}

} // namespace qb
