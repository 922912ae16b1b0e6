#include "net/Packets.h"
#include "support/ServiceHarness.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace qb;
using namespace std::chrono_literals;

namespace {

// A blocking client socket with a read time-out, for exact bytes both ways.
class RawClient {
public:
    explicit RawClient(int port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    }
    ~RawClient() { close(); }
    void close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    void write(const std::string& bytes) {
        ASSERT_EQ(::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    // Exactly `size` bytes, or what came before the peer closed or the time passed.
    std::string read(std::size_t size, int timeoutMs = 5000) {
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
    // Closed (or reset, when bytes were left unread) without a reply.
    bool closedByPeer() {
        char c;
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, 5000) == 1 && ::recv(m_fd, &c, 1, 0) <= 0;
    }

private:
    int m_fd = -1;
};

std::string record(const std::vector<std::string>& fields) {
    std::string out;
    for (const std::string& f : fields)
        out += f + "\x04";
    out.back() = '\x02';
    return out;
}

class SendServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        service.addAccount("user01", "pass01", 123456789, "TAG-01");
        login.write(packet::encodeLogin("user01", "pass01"));
        ASSERT_EQ(packet::decodeLoginAck(login.read(packet::kLoginAckSize))->result, 0);
    }
    // Sends the check and returns the reply as it came.
    std::string check(RawClient& c, MessageKind kind, std::int32_t count, std::int32_t bytes = 100,
                      const std::string& id = "user01") {
        c.write(packet::encodeSendCheck(kind, id, count, bytes));
        return c.read(packet::kSendCheckAckSize);
    }
    std::string sms(const packet::SendCheckAck& ack, const std::string& number) {
        return record({"user01", number, "0212345678", "body", "0.0", "N", ack.sendTime, "123456789",
                       ack.sendCode, ack.sendTag, "TAG-01", ack.sendTime});
    }
    std::vector<qbs::SendJobRow> jobs() { return service.service().sendServer().store().jobs("user01"); }

    test::ServiceHarness service;
    RawClient login{service.config().loginPort};
    int sendPort = service.config().sendPort;
};

} // namespace

TEST_F(SendServerTest, ChecksAreAnsweredFromTheAccount) {
    struct Row {
        const char* name;
        MessageKind kind;
        std::int32_t count;
        std::string id;
        std::int32_t result;
    };
    service.addAccount("user02", "pass02");
    const Row rows[] = {
        {"logged in", MessageKind::Lms, 3, "user01", 0},
        {"no login connection", MessageKind::Sms, 3, "user02", 1},
        {"unknown account", MessageKind::Sms, 3, "nobody", 3},
        {"no messages", MessageKind::Sms, 0, "user01", 3},
    };
    for (const Row& row : rows) {
        RawClient c(sendPort);
        const std::string reply = check(c, row.kind, row.count, 100, row.id);
        ASSERT_EQ(reply.size(), packet::kSendCheckAckSize) << row.name;
        const auto ack = packet::decodeSendCheckAck(reply);
        EXPECT_EQ(ack->header.type, packet::DATA_SENDCHECKACK) << row.name;
        EXPECT_EQ(ack->header.length, 40) << row.name;
        EXPECT_EQ(ack->result, row.result) << row.name;
        // Every text ends with a NUL inside its field.
        EXPECT_EQ(reply[15], '\0');
        EXPECT_EQ(reply[39], '\0');
        EXPECT_EQ(reply[47], '\0');
        if (row.result == 0) {
            EXPECT_EQ(ack->sendCode, "LMS");
            EXPECT_EQ(ack->sendTime.size(), 19u);
            EXPECT_EQ(ack->sendTag, std::to_string(jobs().back().id));
        }
    }
    // The balance: 3 SMS at 20 each against 59, then 60.
    qbs::Balance b;
    b.balance = "59";
    service.service().webServer().store().setBalance("user01", b);
    RawClient poor(sendPort);
    EXPECT_EQ(packet::decodeSendCheckAck(check(poor, MessageKind::Sms, 3))->result, 2);
    b.balance = "60";
    service.service().webServer().store().setBalance("user01", b);
    RawClient enough(sendPort);
    EXPECT_EQ(packet::decodeSendCheckAck(check(enough, MessageKind::Sms, 3))->result, 0);

    // Anything but a send check closes the connection without a word.
    RawClient wrong(sendPort);
    wrong.write(packet::encodeLogin("user01", "pass01"));
    EXPECT_TRUE(wrong.closedByPeer());
}

TEST_F(SendServerTest, RecordsAreCountedStoredAndReportedOnTheLoginConnection) {
    RawClient c(sendPort);
    const auto ack = *packet::decodeSendCheckAck(check(c, MessageKind::Sms, 4));
    // A repeat is kept (the same message may go to one number twice) but counted;
    // a record cut short by the close is dropped.
    c.write(sms(ack, "01000000001") + sms(ack, "01000000002") + sms(ack, "01000000002") +
            sms(ack, "01000000003").substr(0, 30));
    c.close();
    EXPECT_EQ(login.read(packet::kSendResultSize), packet::encodeSendResult(1, 3));
    ASSERT_TRUE(service.service().sendServer().waitForJobs("user01", 1, 5s));
    const auto j = jobs().at(0);
    EXPECT_EQ(j.received, 3);
    EXPECT_EQ(j.stored, 3);
    EXPECT_EQ(j.duplicates, 1);
    EXPECT_EQ(j.truncatedBytes, 30);
    EXPECT_EQ(j.result, 1);
}

TEST_F(SendServerTest, OneMalformedRecordFailsTheWholeJob) {
    RawClient c(sendPort);
    const auto ack = *packet::decodeSendCheckAck(check(c, MessageKind::Sms, 3));
    std::string bad = sms(ack, "01000000002");
    bad.replace(bad.find("0.0"), 3, "9.9");
    c.write(sms(ack, "01000000001") + bad + sms(ack, "01000000003"));
    c.close();
    EXPECT_EQ(login.read(packet::kSendResultSize), packet::encodeSendResult(0, 0));
    ASSERT_TRUE(service.service().sendServer().waitForJobs("user01", 1, 5s));
    const auto j = jobs().at(0);
    EXPECT_EQ(j.malformed, 1);
    EXPECT_EQ(j.stored, 0);
    EXPECT_TRUE(service.service().sendServer().store().records(j.id).empty());
}

TEST_F(SendServerTest, AJobWithoutRecordsReportsNothing) {
    RawClient c(sendPort);
    EXPECT_EQ(packet::decodeSendCheckAck(check(c, MessageKind::Mms, 2))->result, 0);
    c.close();
    ASSERT_TRUE(service.service().sendServer().waitForJobs("user01", 1, 5s));
    EXPECT_EQ(login.read(packet::kSendResultSize, 300), "");
}
