#include "net/AsyncSocket.h"

#include "support/Ports.h"
#include "support/RunUntil.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace qb;
using namespace std::chrono_literals;

namespace {

// A plain blocking listener on 127.0.0.1, the far end of the socket under test.
class Listener {
public:
    explicit Listener(int backlog = 8) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        EXPECT_EQ(::listen(m_fd, backlog), 0);
        socklen_t len = sizeof a;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
    }
    ~Listener() {
        if (m_peer >= 0)
            ::close(m_peer);
        ::close(m_fd);
    }
    int port() const { return m_port; }
    int accept() {
        m_peer = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        return m_peer;
    }
    void closePeer() {
        ::close(m_peer);
        m_peer = -1;
    }

private:
    int m_fd = -1;
    int m_port = 0;
    int m_peer = -1;
};

struct Events {
    std::vector<int> connects;
    int readable = 0;
    int writable = 0;
    std::vector<int> closes;

    void watch(AsyncSocket& s) {
        QObject::connect(&s, &AsyncSocket::connected, [this](int e) { connects.push_back(e); });
        QObject::connect(&s, &AsyncSocket::readable, [this] { ++readable; });
        QObject::connect(&s, &AsyncSocket::writable, [this] { ++writable; });
        QObject::connect(&s, &AsyncSocket::closed, [this](int e) { closes.push_back(e); });
    }
};

} // namespace

TEST(AsyncSocket, ConnectReadInPiecesOfAtMost256AndPeerClose) {
    Listener server;
    AsyncSocket socket;
    Events ev;
    ev.watch(socket);
    ASSERT_TRUE(socket.create());
    socket.connectToHost("127.0.0.1", server.port());
    EXPECT_TRUE(ev.connects.empty()); // never reported from inside the call
    ASSERT_TRUE(test::runUntil([&] { return !ev.connects.empty(); }));
    EXPECT_EQ(ev.connects, std::vector<int>{0});
    EXPECT_TRUE(socket.isConnected());
    const int peer = server.accept();
    ASSERT_GE(peer, 0);

    const std::string data(300, 'x');
    ASSERT_EQ(::send(peer, data.data(), data.size(), 0), 300);
    ASSERT_TRUE(test::runUntil([&] { return ev.readable == 1; }));
    char buf[AsyncSocket::kReceiveMax + 10];
    EXPECT_EQ(socket.receive(buf, AsyncSocket::kReceiveMax), 256);
    ASSERT_TRUE(test::runUntil([&] { return ev.readable == 2; }));
    EXPECT_EQ(socket.receive(buf, AsyncSocket::kReceiveMax), 44);

    // Unread data is reported once until the handler reads.
    ASSERT_EQ(::send(peer, "ab", 2, 0), 2);
    ASSERT_TRUE(test::runUntil([&] { return ev.readable == 3; }));
    test::runFor(100ms);
    EXPECT_EQ(ev.readable, 3);
    EXPECT_EQ(socket.receive(buf, sizeof buf), 2);

    server.closePeer();
    ASSERT_TRUE(test::runUntil([&] { return !ev.closes.empty(); }));
    EXPECT_EQ(ev.closes, std::vector<int>{0});
    EXPECT_EQ(socket.receive(buf, sizeof buf), 0);
    EXPECT_EQ(ev.writable, 0);
}

TEST(AsyncSocket, ConnectFailuresAreReportedNotSilent) {
    struct Row {
        const char* name;
        std::string host;
        int port;
        int error;
    };
    const Row rows[] = {
        {"nobody listening", "127.0.0.1", test::deadPort(), ECONNREFUSED},
        {"unresolvable host", "no-such-host.invalid", 40001, AsyncSocket::kHostNotFound},
        {"empty host", "", 40001, AsyncSocket::kHostNotFound},
        {"port out of range", "127.0.0.1", 70000, AsyncSocket::kHostNotFound},
    };
    for (const Row& row : rows) {
        AsyncSocket socket;
        Events ev;
        ev.watch(socket);
        ASSERT_TRUE(socket.create());
        socket.connectToHost(row.host, row.port);
        EXPECT_TRUE(ev.connects.empty()) << row.name;
        ASSERT_TRUE(test::runUntil([&] { return !ev.connects.empty(); })) << row.name;
        EXPECT_EQ(ev.connects, std::vector<int>{row.error}) << row.name;
        EXPECT_FALSE(socket.isConnected());
        EXPECT_EQ(socket.send("x", 1), -1);
    }
    // Connecting without a socket is a failure too.
    AsyncSocket none;
    Events ev;
    ev.watch(none);
    none.connectToHost("127.0.0.1", 1);
    ASSERT_TRUE(test::runUntil([&] { return !ev.connects.empty(); }));
    EXPECT_NE(ev.connects[0], 0);
}

TEST(AsyncSocket, ConnectTimesOut) {
    // A listener whose queue is full leaves further connects unanswered.
    Listener server(0);
    std::vector<std::unique_ptr<AsyncSocket>> fillers;
    AsyncSocket socket;
    Events ev;
    ev.watch(socket);
    socket.setConnectTimeout(300ms);
    for (int i = 0; i < 8; ++i) {
        fillers.push_back(std::make_unique<AsyncSocket>());
        fillers.back()->create();
        fillers.back()->connectToHost("127.0.0.1", server.port());
    }
    test::runFor(200ms);
    ASSERT_TRUE(socket.create());
    socket.connectToHost("127.0.0.1", server.port());
    ASSERT_TRUE(test::runUntil([&] { return !ev.connects.empty(); }, 5s));
    EXPECT_EQ(ev.connects, std::vector<int>{ETIMEDOUT});
}

TEST(AsyncSocket, WouldBlockThenOneWriteNotificationWhenThePeerDrains) {
    Listener server;
    AsyncSocket socket;
    Events ev;
    ev.watch(socket);
    ASSERT_TRUE(socket.create());
    socket.connectToHost("127.0.0.1", server.port());
    ASSERT_TRUE(test::runUntil([&] { return !ev.connects.empty(); }));
    const int peer = server.accept();
    ASSERT_GE(peer, 0);

    // The peer reads nothing: the buffers fill and send says it would block.
    const std::string chunk(64 * 1024, 'r');
    long total = 0;
    long n = 0;
    int calls = 0;
    while ((n = socket.send(chunk.data(), chunk.size())) > 0 && ++calls < 10000)
        total += n;
    ASSERT_EQ(n, -1);
    EXPECT_TRUE(socket.wouldBlock());
    EXPECT_EQ(socket.lastError(), EAGAIN);
    EXPECT_GT(total, 0);
    test::runFor(50ms);
    EXPECT_EQ(ev.writable, 0);

    // Drain everything that was taken; room comes back and is reported once.
    std::vector<char> sink(256 * 1024);
    long drained = 0;
    while (drained < total) {
        const ssize_t r = ::recv(peer, sink.data(), sink.size(), 0);
        ASSERT_GT(r, 0);
        drained += r;
    }
    ASSERT_TRUE(test::runUntil([&] { return ev.writable == 1; }));
    test::runFor(100ms);
    EXPECT_EQ(ev.writable, 1);
    EXPECT_EQ(socket.send("tail", 4), 4);
    // Without another refusal there is no other notification.
    test::runFor(100ms);
    EXPECT_EQ(ev.writable, 1);
}

TEST(AsyncSocket, EventSetHoldsBackReadAndCloseUntilRestored) {
    Listener server;
    AsyncSocket socket;
    Events ev;
    ev.watch(socket);
    ASSERT_TRUE(socket.create());
    socket.connectToHost("127.0.0.1", server.port());
    ASSERT_TRUE(test::runUntil([&] { return !ev.connects.empty(); }));
    const int peer = server.accept();
    socket.setEvents(AsyncSocket::NoEvents);
    ASSERT_EQ(::send(peer, "abc", 3, 0), 3);
    server.closePeer();
    test::runFor(150ms);
    EXPECT_EQ(ev.readable, 0);
    EXPECT_TRUE(ev.closes.empty());

    socket.setEvents(AsyncSocket::Read | AsyncSocket::Close);
    ASSERT_TRUE(test::runUntil([&] { return ev.readable == 1; }));
    EXPECT_TRUE(ev.closes.empty()); // data first, then the close
    char buf[16];
    EXPECT_EQ(socket.receive(buf, sizeof buf), 3);
    ASSERT_TRUE(test::runUntil([&] { return ev.closes.size() == 1; }));
}

TEST(AsyncSocket, NothingIsReportedAfterClose) {
    Listener server;
    AsyncSocket socket;
    Events ev;
    ev.watch(socket);
    ASSERT_TRUE(socket.create());
    socket.connectToHost("127.0.0.1", test::deadPort());
    socket.close(); // the queued refusal must not arrive
    test::runFor(100ms);
    EXPECT_TRUE(ev.connects.empty());

    ASSERT_TRUE(socket.create());
    socket.connectToHost("127.0.0.1", server.port());
    ASSERT_TRUE(test::runUntil([&] { return !ev.connects.empty(); }));
    const int peer = server.accept();
    socket.close();
    socket.close();
    ASSERT_EQ(::send(peer, "abc", 3, 0), 3);
    server.closePeer();
    test::runFor(100ms);
    EXPECT_EQ(ev.readable, 0);
    EXPECT_TRUE(ev.closes.empty());
    char buf[4];
    EXPECT_EQ(socket.receive(buf, sizeof buf), -1);
    EXPECT_EQ(socket.send("x", 1), -1);
}
