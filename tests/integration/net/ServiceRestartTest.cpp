// qb-service as a real process: stopped by SIGTERM or killed in the middle of
// a job, then started again on the same database and the same ports.
#include "Database.h"
#include "SendStore.h"

#include "common/Cp949.h"
#include "net/Packets.h"
#include "support/RawClient.h"
#include "support/ServiceProcess.h"
#include "support/TempDir.h"
#include "support/TextLists.h"
#include "web/HttpRequests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace qb;
using namespace std::chrono_literals;

namespace {

using test::RawClient;

std::string sms(const packet::SendCheckAck& ack, int n) {
    return test::record({"user01", "010" + std::to_string(10000000 + n), "0212345678", "body", "0.0", "N",
                         ack.sendTime, "123456789", ack.sendCode, ack.sendTag, "TAG-01", ack.sendTime});
}

class ServiceRestartTest : public ::testing::Test {
protected:
    std::string get(const std::string& path) {
        std::string body;
        HttpOutcome outcome;
        if (!HttpGetText(WebHost::from(service.config()), path, body, &outcome))
            return "HTTP " + std::to_string(outcome.status);
        return body;
    }
    std::string status(const std::string& tag) { return get("sendstatus.jsp?cid=user01&sendtag=" + tag); }
    // The stored count of a running job once it reaches `atLeast`; -1 when it never does.
    long long storedOnceAtLeast(const std::string& tag, long long atLeast) {
        for (const auto until = std::chrono::steady_clock::now() + 30s;
             std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(10ms)) {
            const std::string s = status(tag);
            if (s.rfind("running|", 0) == 0 && std::stoll(s.substr(8)) >= atLeast)
                return std::stoll(s.substr(8));
        }
        return -1;
    }
    void login(RawClient& c) {
        c.write(packet::encodeLogin("user01", "pass01"));
        ASSERT_EQ(packet::decodeLoginAck(c.read(packet::kLoginAckSize))->result, 0);
    }
    packet::SendCheckAck check(RawClient& c, std::int32_t count) {
        c.write(packet::encodeSendCheck(MessageKind::Sms, "user01", count, count * 80));
        const auto ack = packet::decodeSendCheckAck(c.read(packet::kSendCheckAckSize));
        EXPECT_TRUE(ack && ack->result == 0);
        return ack.value_or(packet::SendCheckAck{});
    }

    test::TempDir dir;
    test::ServiceProcess service{QB_SERVICE_PATH,
                                 dir.file("service.db"),
                                 {"--seed", dir.write("seed.txt", "user01 pass01 123456789 TAG-01\n")}};
};

} // namespace

TEST_F(ServiceRestartTest, AJobCutByTheServiceKeepsExactlyItsFirstStoredRecordsAcrossARestart) {
    struct Row {
        int signal;
        bool stalledFirst; // SIGSTOP: a service that reads nothing when the signal comes
        int exitCode;
        bool reported; // DATA_SENDRESULT on the login connection before it closes
    };
    const Row rows[] = {
        {SIGTERM, false, 0, true}, {SIGTERM, true, 0, true}, {SIGKILL, false, 128 + SIGKILL, false}};
    service.start();
    const int loginPort = service.loginPort(), sendPort = service.sendPort(), webPort = service.webPort();
    std::vector<std::string> tags;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.signal) + (row.stalledFirst ? " after SIGSTOP" : ""));
        RawClient loginConnection(service.loginPort());
        login(loginConnection);
        RawClient send(service.sendPort());
        const packet::SendCheckAck ack = check(send, 1000000);
        tags.push_back(ack.sendTag);
        // Writes until the service is gone; `offered`: the records handed to the socket, at most.
        std::atomic<int> offered{0};
        std::thread writer([&] {
            for (int n = 1; n <= 1000000; n += 500) {
                std::string chunk;
                for (int i = n; i < n + 500; ++i)
                    chunk += sms(ack, i);
                offered = n + 499;
                if (!send.tryWrite(chunk))
                    return;
            }
        });
        ASSERT_GT(storedOnceAtLeast(ack.sendTag, 4096), 0);
        if (row.stalledFirst)
            service.signal(SIGSTOP);
        EXPECT_EQ(service.stop(row.signal), row.exitCode);
        writer.join();
        const std::string pushed = loginConnection.read(packet::kSendResultSize);

        // The same database and ports, taken again at once.
        service.start();
        EXPECT_EQ(service.loginPort(), loginPort);
        EXPECT_EQ(service.sendPort(), sendPort);
        EXPECT_EQ(service.webPort(), webPort);
        const std::string st = status(ack.sendTag);
        ASSERT_EQ(st.rfind("interrupted|", 0), 0u) << st;
        const long long stored = std::stoll(st.substr(12));
        EXPECT_GE(stored, 4096);
        EXPECT_LE(stored, offered.load());
        EXPECT_EQ(pushed, row.reported ? packet::encodeSendResult(1, static_cast<std::int32_t>(stored)) : "");

        // What the database holds is the first `stored` records of the stream, in order.
        qbs::Database db(service.databasePath());
        qbs::SendStore store(db);
        const std::vector<qbs::SendJobRow> jobs = store.jobs("user01");
        ASSERT_FALSE(jobs.empty());
        EXPECT_EQ(jobs.back().sendTag, ack.sendTag);
        EXPECT_EQ(jobs.back().state, qbs::JobState::Interrupted);
        const std::vector<qbs::SendRecordRow> records = store.records(jobs.back().id);
        ASSERT_EQ(static_cast<long long>(records.size()), stored);
        for (std::size_t i = 0; i < records.size(); ++i)
            ASSERT_EQ(records[i].record.raw, sms(ack, static_cast<int>(i + 1))) << i;
        EXPECT_NE(get("ClientStatMgrd.jsp?mode=init&cid=user01")
                      .find("<td>" + std::to_string(stored) + "</td><td>" + ko("중단") + "</td>"),
                  std::string::npos);
    }
    EXPECT_TRUE(service.waitForLog("was left running by a service that was killed", 5s)) << service.log();

    // The account outlives the restarts (the seed is not read again), and a
    // new job's tag is new.
    service.stop();
    service.setArgs({});
    service.start();
    RawClient loginConnection(service.loginPort());
    login(loginConnection);
    RawClient send(service.sendPort());
    const packet::SendCheckAck ack = check(send, 1);
    EXPECT_EQ(std::count(tags.begin(), tags.end(), ack.sendTag), 0) << ack.sendTag;
    send.write(sms(ack, 1));
    send.close();
    EXPECT_EQ(loginConnection.read(packet::kSendResultSize), packet::encodeSendResult(1, 1));
    EXPECT_EQ(status(ack.sendTag), "done|1");
    EXPECT_EQ(service.stop(SIGINT), 0);
}
