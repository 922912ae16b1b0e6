#include "net/LoginConnection.h"
#include "net/LoginSession.h"

#include "app/SystemLog.h"
#include "common/Clock.h"
#include "common/Cp949.h"
#include "net/Packets.h"
#include "support/Ports.h"
#include "support/RecordingLoginHost.h"
#include "support/RunUntil.h"
#include "support/ServiceHarness.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <utility>

using namespace qb;
using namespace std::chrono_literals;
using test::errorBox;
using test::plainBox;
using Events = std::vector<std::string>;

namespace {

const char* const kLoggedInTitle = "logged-in";
const char* const kClosedTitle = "closed-by-server";
const char* const kConnected = "Socket 연결성공...";
const char* const kRequestSent = "로그인 정보 전송...";

qbs::LoginQuirks quirks(const std::function<void(qbs::LoginQuirks&)>& set) {
    qbs::LoginQuirks q;
    set(q);
    return q;
}

std::string beInt(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16 & 0xFF), static_cast<char>(v >> 8 & 0xFF),
            static_cast<char>(v & 0xFF)};
}

// Sockets that fail on purpose, to prove the failure paths reach the user.
class FailingSocket : public AsyncSocket {
public:
    enum class Fault { Create, ReceiveError, ShortSend, SendError };
    explicit FailingSocket(Fault f) : m_fault(f) {}

    bool create() override {
        if (m_fault != Fault::Create)
            return AsyncSocket::create();
        setLastError(EMFILE);
        return false;
    }
    long send(const char* data, std::size_t size) override {
        if (m_fault == Fault::ShortSend)
            return AsyncSocket::send(data, 20);
        if (m_fault == Fault::SendError) {
            setLastError(EPIPE);
            return -1;
        }
        return AsyncSocket::send(data, size);
    }
    long receive(char* buffer, std::size_t size) override {
        if (m_fault != Fault::ReceiveError)
            return AsyncSocket::receive(buffer, size);
        setLastError(EIO);
        return -1;
    }

private:
    Fault m_fault;
};

class LoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        service.addAccount("user01", "pass01", 123456789, "TAG-01");
        service.addAccount("user02", "pass02");
        state.version = "2.1.5";
    }

    bool start(const std::string& id = "user01", const std::string& password = "pass01") {
        state.userId = id;
        state.password = password;
        return session.login();
    }
    void loginOk(const std::string& id = "user01", const std::string& password = "pass01") {
        const int before = host.afterLoginRuns();
        ASSERT_TRUE(start(id, password));
        ASSERT_TRUE(test::runUntil([&] { return host.afterLoginRuns() == before + 1; }));
        host.events.clear();
    }
    void waitAttemptOver() {
        ASSERT_TRUE(test::runUntil([&] { return host.events.size() > 1 && !host.waitWindowOpen(); }));
        test::runFor(50ms); // anything that would still follow
    }
    void reset() {
        host.events.clear();
        notifier.clear();
        ::unlink(logPath().c_str());
    }
    // The events so far: `before`, then `box`, the one box shown.
    void expectEvents(Events before, const test::Shown& box) {
        before.push_back((box.icon == MessageIcon::Error ? "error:" : "info:") + box.utf8());
        EXPECT_EQ(host.events, before);
        EXPECT_EQ(notifier.shown(), std::vector<test::Shown>{box});
    }
    std::string logPath() const { return service.dir().file("LOG/2016_09_10_SYS.log"); }
    std::string logged() const { return test::readFile(logPath()); }
    // The log as it should read: one stamped CP949 line per text, CR LF after each.
    static std::string lines(std::initializer_list<const char*> texts) {
        std::string out;
        for (const char* t : texts)
            out += "2016-09-10 09:05:07 " + ko(t) + "\r\n";
        return out;
    }

    test::ClockAt clock{LocalTime{2016, 9, 10, 9, 5, 7}};
    test::ServiceHarness service;
    qbs::LoginServer& server = service.loginServer();
    LoginState state;
    test::RecordingLoginHost host;
    test::TimelineNotifier notifier{host.events};
    SystemLog log{service.workdir()};
    LoginSession session{state, host, notifier, log, service.config()};
};

} // namespace

TEST_F(LoginTest, ResultZeroLogsInAfterThePauseAndLogoutEndsIt) {
    ASSERT_TRUE(start());
    EXPECT_EQ(host.events, Events{"wait:show"});
    ASSERT_TRUE(test::runUntil([&] { return state.loggedIn; }));
    // The reply is in, the pause has begun: nothing else has happened yet.
    EXPECT_EQ(host.events, Events{"wait:show"});
    EXPECT_EQ(state.userNumber, "123456789");
    EXPECT_EQ(state.userTag, "TAG-01");
    ASSERT_TRUE(test::runUntil([&] { return host.afterLoginRuns() == 1; }));
    EXPECT_EQ(host.events, (Events{"wait:show", "wait:close", kLoggedInTitle, "after-login"}));
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_EQ(logged(), lines({kConnected, kRequestSent}));

    // The request, byte for byte: NUL-padded id and password.
    const std::string expected =
        beInt(1) + beInt(32) + "user01" + std::string(10, '\0') + "pass01" + std::string(10, '\0');
    EXPECT_EQ(server.receivedRequests(), std::vector<std::string>{expected});
    EXPECT_TRUE(server.isLoggedIn("user01"));
    ASSERT_NE(session.connection(), nullptr);
    EXPECT_EQ(session.connection()->lastLoginAck()->result, 0);

    host.events.clear();
    session.logout();
    EXPECT_FALSE(state.loggedIn);
    EXPECT_EQ(session.connection(), nullptr);
    EXPECT_EQ(host.events, Events{"logged-out"});
    EXPECT_TRUE(server.waitForLogout("user01", 5s));
    // The server values stay for the next login to overwrite.
    EXPECT_EQ(state.userNumber, "123456789");
}

TEST_F(LoginTest, RefusedAndMalformedReplies) {
    struct Row {
        const char* name;
        const char* id;
        const char* password;
        qbs::LoginQuirks quirks;
        test::Shown message;
    };
    const test::Shown garbled = errorBox("데이터 수신에러. 프로그램을 다시 실행하세요!");
    const test::Shown refused = errorBox("로그인 실패. 계정정보를 확인하세요!");
    const Row rows[] = {
        {"wrong password", "user01", "nope", {}, refused},
        {"unknown id", "ghost", "pass01", {}, refused},
        {"result 1", "user01", "pass01", quirks([](auto& q) { q.replyResult = 1; }),
         plainBox("이미 로그인 되어 있습니다.!")},
        {"result 3", "user01", "pass01", quirks([](auto& q) { q.replyResult = 3; }), garbled},
        {"result -1", "user01", "pass01", quirks([](auto& q) { q.replyResult = -1; }), garbled},
        {"unknown type", "user01", "pass01", quirks([](auto& q) { q.replyType = 99; }), garbled},
        {"client type", "user01", "pass01", quirks([](auto& q) { q.replyType = 1; }), garbled},
        // What a read of a zeroed buffer would have looked like.
        {"type 0", "user01", "pass01", quirks([](auto& q) { q.replyType = 0; }), garbled},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        server.setQuirks(row.quirks);
        state.loggedIn = true; // every refusal clears it
        ASSERT_TRUE(start(row.id, row.password));
        waitAttemptOver();
        expectEvents({"wait:show", "wait:close"}, row.message);
        EXPECT_FALSE(state.loggedIn);
        EXPECT_EQ(session.connection(), nullptr);
        EXPECT_EQ(logged(), lines({kConnected, kRequestSent}));
        // The server sees the client's close in its own time.
        EXPECT_TRUE(server.waitForLogout("user01", 5s));
    }
}

TEST_F(LoginTest, ResultOneWhenTheIdHasALiveLoginConnection) {
    LoginState otherState;
    test::RecordingLoginHost otherHost;
    test::RecordingNotifier otherNotifier;
    LoginSession other(otherState, otherHost, otherNotifier, log, service.config());
    otherState.userId = "user01";
    otherState.password = "pass01";
    ASSERT_TRUE(other.login());
    ASSERT_TRUE(test::runUntil([&] { return otherHost.afterLoginRuns() == 1; }));

    ASSERT_TRUE(start());
    waitAttemptOver();
    expectEvents({"wait:show", "wait:close"}, plainBox("이미 로그인 되어 있습니다.!"));
    EXPECT_FALSE(state.loggedIn);
    // The first login is untouched.
    EXPECT_TRUE(otherState.loggedIn);
    EXPECT_TRUE(server.isLoggedIn("user01"));
    EXPECT_TRUE(otherNotifier.shown().empty());
}

TEST_F(LoginTest, CloseBeforeTheReplyEndsTheAttemptWithoutAMessage) {
    server.setQuirks("user01", quirks([](auto& q) { q.closeBeforeReply = true; }));
    ASSERT_TRUE(start());
    waitAttemptOver();
    EXPECT_EQ(host.events, (Events{"wait:show", "wait:close", kClosedTitle}));
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_FALSE(state.loggedIn);
    EXPECT_EQ(session.connection(), nullptr);
    EXPECT_EQ(logged(), lines({kConnected, kRequestSent}));

    // The quirk was for user01 only.
    reset();
    ASSERT_TRUE(start("user02", "pass02"));
    ASSERT_TRUE(test::runUntil([&] { return host.afterLoginRuns() == 1; }));
}

TEST_F(LoginTest, ALoginReplyThatNeverComesEndsTheAttempt) {
    server.setQuirks("user01", quirks([](auto& q) { q.neverReply = true; }));
    NetTimeouts timeouts;
    timeouts.loginReply = 300ms;
    session.setTimeouts(timeouts);
    ASSERT_TRUE(start());
    waitAttemptOver();
    expectEvents({"wait:show", "wait:close"}, errorBox("서버 응답이 없습니다. 잠시 후 다시 시도하세요."));
    EXPECT_EQ(logged(), lines({kConnected, kRequestSent, "로그인 응답 없음...다시 시도바랍니다. "}));
    EXPECT_EQ(session.connection(), nullptr);
    EXPECT_FALSE(state.loggedIn);

    // An answer in time stops the clock: nothing follows a login.
    reset();
    ASSERT_TRUE(start("user02", "pass02"));
    ASSERT_TRUE(test::runUntil([&] { return host.afterLoginRuns() == 1; }));
    test::runFor(400ms);
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_TRUE(state.loggedIn);
}

TEST_F(LoginTest, CloseWhileLoggedInTellsTheUser) {
    loginOk();
    ASSERT_TRUE(server.disconnect("user01"));
    ASSERT_TRUE(test::runUntil([&] { return session.connection() == nullptr; }));
    test::runFor(50ms);
    expectEvents({kClosedTitle}, errorBox("서버연결이 종료되었습니다.!"));
    EXPECT_FALSE(state.loggedIn);
}

TEST_F(LoginTest, SplitRepliesAreHandledWhole) {
    for (const std::size_t at : {1u, 4u, 13u, 31u}) {
        reset();
        server.setQuirks(quirks([at](auto& q) {
            q.splitReplyAt = at;
            q.splitPause = 150ms;
        }));
        ASSERT_TRUE(start()) << at;
        ASSERT_TRUE(test::runUntil([&] { return host.afterLoginRuns() > 0; })) << at;
        EXPECT_EQ(host.events, (Events{"wait:show", "wait:close", kLoggedInTitle, "after-login"})) << at;
        EXPECT_TRUE(notifier.shown().empty()) << at;
        EXPECT_EQ(state.userTag, "TAG-01");
        session.logout();
        ASSERT_TRUE(server.waitForLogout("user01", 5s));
        host = test::RecordingLoginHost();
    }
}

TEST_F(LoginTest, APacketMergedWithTheReplyWaitsForTheAfterLoginSteps) {
    server.setQuirks(quirks(
        [](auto& q) { q.appendToReply = packet::encodeSendResult(1, 12) + packet::encodeDeliverAck(3); }));
    ASSERT_TRUE(start());
    ASSERT_TRUE(test::runUntil([&] { return notifier.shown().size() == 1 && !logged().empty(); }));
    test::runFor(50ms);
    expectEvents({"wait:show", "wait:close", kLoggedInTitle, "after-login", "refresh-balance"},
                 plainBox("총 [12] 건 전송이 완료되었습니다."));
    EXPECT_EQ(logged(), lines({kConnected, kRequestSent, "m_DATA_DELIVERACK 패킷수신 "}));
    EXPECT_TRUE(state.loggedIn);
}

TEST_F(LoginTest, DeliverAckOnlyWritesItsLogLine) {
    loginOk();
    ASSERT_TRUE(server.pushDeliverAck("user01", 77));
    const std::string expected = lines({kConnected, kRequestSent, "m_DATA_DELIVERACK 패킷수신 "});
    ASSERT_TRUE(test::runUntil([&] { return logged() == expected; }));
    test::runFor(50ms);
    EXPECT_TRUE(host.events.empty());
    EXPECT_TRUE(notifier.shown().empty());
    const auto& ack = session.connection()->lastDeliverAck();
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->header.type, 100);
    EXPECT_EQ(ack->header.length, 4);
    EXPECT_EQ(ack->value, 77);
    EXPECT_TRUE(state.loggedIn);
}

TEST_F(LoginTest, SendResults) {
    loginOk();
    struct Row {
        std::int32_t result;
        std::int32_t count;
        test::Shown message; // after a balance refresh when it tells of a success
    };
    const test::Shown failed = errorBox("데이터 전송에 실패하였습니다. 다시 시도하세요!");
    const Row rows[] = {
        {1, 12, plainBox("총 [12] 건 전송이 완료되었습니다.")},
        {1, 0, plainBox("총 [0] 건 전송이 완료되었습니다.")},
        {1, -5, plainBox("총 [-5] 건 전송이 완료되었습니다.")},
        {0, 12, failed},
        {2, 12, failed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.result) + " " + std::to_string(row.count));
        reset();
        ASSERT_TRUE(server.pushSendResult("user01", row.result, row.count));
        ASSERT_TRUE(test::runUntil([&] { return !notifier.shown().empty(); }));
        test::runFor(30ms);
        expectEvents(row.result == 1 ? Events{"refresh-balance"} : Events{}, row.message);
        EXPECT_EQ(session.connection()->lastSendResult()->count, row.count);
        EXPECT_TRUE(state.loggedIn);
        EXPECT_FALSE(test::fileExists(logPath()));
    }
}

TEST_F(LoginTest, PushedPacketsMergedSplitOrWithAnyLength) {
    loginOk();
    // A length that claims more than the table: the next packet follows the
    // table's 12 bytes all the same.
    std::string longDeliver = packet::encodeDeliverAck(9);
    longDeliver.replace(4, 4, beInt(40));
    ASSERT_TRUE(server.pushRaw("user01",
                               packet::encodeDeliverAck(1) + packet::encodeSendResult(0, 3) + longDeliver +
                                   packet::encodeSendResult(1, 4),
                               30, 150ms));
    ASSERT_TRUE(test::runUntil([&] { return notifier.shown().size() == 2; }));
    test::runFor(50ms);
    EXPECT_EQ(host.events, (Events{"error:데이터 전송에 실패하였습니다. 다시 시도하세요!", "refresh-balance",
                                   "info:총 [4] 건 전송이 완료되었습니다."}));
    EXPECT_EQ(logged(), lines({kConnected, kRequestSent, "m_DATA_DELIVERACK 패킷수신 ",
                               "m_DATA_DELIVERACK 패킷수신 "}));
    EXPECT_EQ(session.connection()->lastDeliverAck()->value, 9);
    EXPECT_TRUE(state.loggedIn);
}

// A message box that stays open for a while: show() runs the event loop, as a
// modal box does, and `whileOpen` acts meanwhile (once).
class ModalNotifier : public test::TimelineNotifier {
public:
    using test::TimelineNotifier::TimelineNotifier;
    std::function<void()> whileOpen;
    void show(const std::string& text, MessageIcon icon, const std::string& caption) override {
        test::TimelineNotifier::show(text, icon, caption);
        if (auto act = std::exchange(whileOpen, nullptr))
            act();
    }
};

TEST_F(LoginTest, AFloodOfResultsShowsOneBoxAtATimeAndEveryCount) {
    ModalNotifier modal{host.events};
    LoginSession s(state, host, modal, log, service.config());
    state.userId = "user01";
    state.password = "pass01";
    ASSERT_TRUE(s.login());
    ASSERT_TRUE(test::runUntil([&] { return host.afterLoginRuns() == 1; }));
    host.events.clear();

    // A failure among them; each waits for the box before it.
    std::string flood = packet::encodeSendResult(0, 0);
    Events shownAfter{kClosedTitle, "error:서버연결이 종료되었습니다.!",
                      "error:데이터 전송에 실패하였습니다. 다시 시도하세요!"};
    for (int i = 1; i < 2000; ++i) {
        flood += packet::encodeSendResult(1, i);
        shownAfter.push_back("info:총 [" + std::to_string(i) + "] 건 전송이 완료되었습니다.");
    }
    const auto logLines = [&] {
        const std::string text = logged();
        return std::count(text.begin(), text.end(), '\n');
    };
    modal.whileOpen = [&] {
        // While the first box is open, the rest arrive; then the server goes away.
        ASSERT_TRUE(server.pushRaw("user01", flood));
        ASSERT_TRUE(test::runUntil([&] { return logLines() == 2 + 2000; }, 20s));
        ASSERT_TRUE(server.disconnect("user01"));
        ASSERT_TRUE(test::runUntil([&] { return s.connection() == nullptr; }));
        test::runFor(50ms); // a closed connection is deleted only once its handler is over
    };
    ASSERT_TRUE(server.pushSendResult("user01", 1, 7));
    ASSERT_TRUE(test::runUntil([&] { return s.connection() == nullptr && !modal.whileOpen; }));
    test::runFor(50ms);
    // Without boxes inside boxes; once the server has gone, no balance refresh.
    Events expected{"refresh-balance", "info:총 [7] 건 전송이 완료되었습니다."};
    expected.insert(expected.end(), shownAfter.begin(), shownAfter.end());
    EXPECT_EQ(host.events, expected);
    const std::string text = logged();
    EXPECT_NE(text.find(ko("m_DATA_SENDRESULT 패킷수신 결과[0] 건수[0] \r\n")), std::string::npos);
    EXPECT_NE(text.find(ko("m_DATA_SENDRESULT 패킷수신 결과[1] 건수[1999] \r\n")), std::string::npos);

    // Logged in again: a second job's result that comes while the first's box
    // is open follows it, with its balance refresh.
    ASSERT_TRUE(s.login());
    ASSERT_TRUE(test::runUntil([&] { return host.afterLoginRuns() == 2; }));
    host.events.clear();
    modal.whileOpen = [&] {
        ASSERT_TRUE(server.pushSendResult("user01", 1, 5));
        ASSERT_TRUE(test::runUntil([&] { return s.connection()->sendResultCount() == 2; }));
    };
    ASSERT_TRUE(server.pushSendResult("user01", 0, 0));
    ASSERT_TRUE(test::runUntil([&] { return host.events.size() == 3; }));
    test::runFor(50ms);
    EXPECT_EQ(host.events, (Events{"error:데이터 전송에 실패하였습니다. 다시 시도하세요!", "refresh-balance",
                                   "info:총 [5] 건 전송이 완료되었습니다."}));
}

TEST_F(LoginTest, UnknownTypeWhileLoggedInLogsOut) {
    loginOk();
    ASSERT_TRUE(server.pushRaw("user01", packet::encodeSendResult(1, 2) + beInt(55) + std::string(12, '\0') +
                                             packet::encodeSendResult(1, 3)));
    ASSERT_TRUE(test::runUntil([&] { return session.connection() == nullptr; }));
    test::runFor(50ms);
    // The good packet before it is handled; nothing after it is.
    EXPECT_EQ(host.events, (Events{"refresh-balance", "info:총 [2] 건 전송이 완료되었습니다.",
                                   "error:데이터 수신에러. 프로그램을 다시 실행하세요!"}));
    EXPECT_FALSE(state.loggedIn);
    EXPECT_TRUE(server.waitForLogout("user01", 5s));
}

TEST_F(LoginTest, UnreachableServiceAndUnresolvableHost) {
    struct Row {
        const char* name;
        std::string host;
        int port;
    };
    const Row rows[] = {{"unreachable port", "127.0.0.1", test::deadPort()},
                        {"unresolvable host", "no-such-host.invalid", 40001}};
    for (const Row& row : rows) {
        reset();
        ServiceConfig config = service.config();
        config.host = row.host;
        config.loginPort = row.port;
        LoginSession s(state, host, notifier, log, config);
        state.userId = "user01";
        state.password = "pass01";
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(s.login());
        waitAttemptOver();
        expectEvents({"wait:show", "wait:close"}, errorBox("서버 접속실패 ::: 인터넷설정을 확인하세요."));
        EXPECT_EQ(logged(), lines({"Socket 연결실패...다시 시도바랍니다. "}));
        EXPECT_EQ(s.connection(), nullptr);
        EXPECT_FALSE(state.loggedIn);
    }
}

TEST_F(LoginTest, IdsAndPasswordsThatDoNotFitAreRefusedBeforeConnecting) {
    const std::string sixteen = "abcdefghijklmnop";
    const std::pair<std::string, std::string> refused[] = {
        {sixteen + "q", "pw"},
        {"user01", sixteen + "q"},
        {ko("가나다라마바사아자"), "pw"}, // nine syllables, eighteen bytes
    };
    for (const auto& [id, password] : refused) {
        reset();
        EXPECT_FALSE(start(id, password));
        expectEvents({}, errorBox("아이디와 비번은 영문 16자, 한글 8자 이내로 입력해주세요!"));
        EXPECT_EQ(session.connection(), nullptr);
    }
    test::runFor(50ms);
    EXPECT_TRUE(server.receivedRequests().empty());
    EXPECT_FALSE(test::fileExists(logPath()));

    // Exactly sixteen bytes fit, with no NUL after them.
    service.addAccount(sixteen, "0123456789abcdef");
    reset();
    loginOk(sixteen, "0123456789abcdef");
    EXPECT_EQ(server.receivedRequests().back(), beInt(1) + beInt(32) + sixteen + "0123456789abcdef");
    service.addAccount(ko("가나다라마바사아"), "pw");
    session.logout();
    reset();
    loginOk(ko("가나다라마바사아"), "pw");
}

// A socket that cannot be made, read or written: the user is told, the login does
// not happen; a connection kept is closed by the next login, which goes through.
TEST_F(LoginTest, SocketFailuresAreReportedAndChangeNothing) {
    using Fault = FailingSocket::Fault;
    const struct Row {
        Fault fault;
        Events before; // the box
        const char* message;
        std::string log; // empty: no log file
        bool keepsConnection;
    } rows[] = {
        {Fault::Create, {"wait:show", "wait:close"}, "네트워크 연결실패! 재시도 바랍니다.", "", false},
        {Fault::ReceiveError,
         {"wait:show"},
         "네트워크 에러! ::: 네트워크 환경을 확인하세요.",
         lines({kConnected, kRequestSent, "SOCKET (rcv()) ERROR. "}),
         true},
        {Fault::ShortSend,
         {"wait:show", "wait:close"},
         "서버 접속실패! 다시 시도하세요.",
         lines({kConnected, "SOCK_ERROR...send()-(프로그램 종료)"}),
         true},
        {Fault::SendError,
         {"wait:show", "wait:close"},
         "서버 접속실패! 다시 시도하세요.",
         lines({kConnected, "SOCK_ERROR...send()-(프로그램 종료)"}),
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.fault));
        reset();
        session.setSocketFactory([fault = row.fault] { return std::make_unique<FailingSocket>(fault); });
        EXPECT_EQ(start(), row.fault != Fault::Create);
        ASSERT_TRUE(test::runUntil([&] { return !notifier.shown().empty(); }));
        test::runFor(50ms); // anything that would still follow
        expectEvents(row.before, errorBox(row.message));
        if (row.log.empty())
            EXPECT_FALSE(test::fileExists(logPath()));
        else
            EXPECT_EQ(logged(), row.log);
        EXPECT_EQ(session.connection() != nullptr, row.keepsConnection);
        EXPECT_FALSE(state.loggedIn);
    }
    reset();
    session.setSocketFactory({});
    loginOk();
    EXPECT_TRUE(state.loggedIn);
}

TEST_F(LoginTest, ANewLoginClosesTheOldConnectionFirst) {
    loginOk();
    loginOk("user02", "pass02");
    EXPECT_TRUE(server.waitForLogout("user01", 5s));
    EXPECT_TRUE(server.isLoggedIn("user02"));
    // The old connection's close is not the user's business.
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(LoginTest, LogoutDuringThePauseStopsTheAfterLoginSteps) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(test::runUntil([&] { return state.loggedIn; }));
    session.logout();
    test::runFor(LoginConnection::kAfterLoginPause + 200ms);
    EXPECT_EQ(host.afterLoginRuns(), 0);
    EXPECT_EQ(host.events, (Events{"wait:show", "logged-out"}));
}
