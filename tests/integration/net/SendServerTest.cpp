#include "Database.h"

#include "common/Cp949.h"
#include "net/Packets.h"
#include "support/RawClient.h"
#include "support/ServiceHarness.h"
#include "support/TempDir.h"
#include "support/TextLists.h"
#include "web/HttpRequests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace qb;
using namespace std::chrono_literals;

namespace {

using test::RawClient;

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
        return test::record({"user01", number, "0212345678", "body", "0.0", "N", ack.sendTime, "123456789",
                             ack.sendCode, ack.sendTag, "TAG-01", ack.sendTime});
    }
    std::vector<qbs::SendJobRow> jobs() { return service.service().sendServer().store().jobs("user01"); }
    // What sendstatus.jsp answers: its body, or "HTTP <status>" for a refusal.
    std::string status(const std::string& query) {
        std::string body;
        HttpOutcome outcome;
        if (!HttpGetText(WebHost::from(service.config()), "sendstatus.jsp?" + query, body, &outcome))
            return "HTTP " + std::to_string(outcome.status);
        return body;
    }
    std::string status(const packet::SendCheckAck& ack) {
        return status("cid=user01&sendtag=" + ack.sendTag);
    }
    // Asks until the answer is `want`; the last answer otherwise.
    std::string statusBecomes(const packet::SendCheckAck& ack, const std::string& want) {
        std::string now;
        for (const auto until = std::chrono::steady_clock::now() + 10s;
             (now = status(ack)) != want && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(10ms);
        return now;
    }

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
    EXPECT_EQ(j.state, qbs::JobState::Interrupted); // 3 of the 4 announced
}

TEST_F(SendServerTest, AJobWithoutRecordsReportsNothing) {
    RawClient c(sendPort);
    EXPECT_EQ(packet::decodeSendCheckAck(check(c, MessageKind::Mms, 2))->result, 0);
    c.close();
    ASSERT_TRUE(service.service().sendServer().waitForJobs("user01", 1, 5s));
    EXPECT_EQ(login.read(packet::kSendResultSize, 300), "");
}

TEST_F(SendServerTest, TheStatusDocumentSaysHowEachJobStandsAndHowManyRecordsAreStored) {
    service.addAccount("user02", "pass02");
    // Two records of three while the connection stays open: committed within a
    // moment, not at the close.
    RawClient running(sendPort);
    const auto a = *packet::decodeSendCheckAck(check(running, MessageKind::Sms, 3));
    running.write(sms(a, "01000000001") + sms(a, "01000000002"));
    EXPECT_EQ(statusBecomes(a, "running|2"), "running|2");

    RawClient shortJob(sendPort);
    const auto b = *packet::decodeSendCheckAck(check(shortJob, MessageKind::Sms, 3));
    shortJob.write(sms(b, "01000000001") + sms(b, "01000000002"));
    shortJob.close();
    // A short job reports what it stored.
    EXPECT_EQ(login.read(packet::kSendResultSize), packet::encodeSendResult(1, 2));

    // One malformed record fails the whole job; the records after it are not
    // stored either: the stored records are always the first of the job's stream.
    RawClient refused(sendPort);
    const auto c = *packet::decodeSendCheckAck(check(refused, MessageKind::Sms, 3));
    std::string bad = sms(c, "01000000002");
    bad.replace(bad.find("0.0"), 3, "9.9");
    refused.write(sms(c, "01000000001") + bad + sms(c, "01000000003"));
    refused.close();
    EXPECT_EQ(login.read(packet::kSendResultSize), packet::encodeSendResult(0, 0));

    running.write(sms(a, "01000000003"));
    running.close();
    EXPECT_EQ(login.read(packet::kSendResultSize), packet::encodeSendResult(1, 3));
    ASSERT_TRUE(service.service().sendServer().waitForJobs("user01", 3, 5s));

    struct Row {
        std::string query, reply;
    };
    const Row rows[] = {
        {"cid=user01&sendtag=" + a.sendTag, "done|3"},
        {"cid=user01&sendtag=" + a.sendTag + "&later=1", "done|3|3,3"},
        {"cid=user01&sendtag=" + c.sendTag + "&later=1", "interrupted|0|"},
        {"cid=user01&sendtag=" + b.sendTag, "interrupted|2"},
        {"cid=user01&sendtag=" + c.sendTag, "interrupted|0"},
        {"cid=%75ser%30%31&sendtag=%3" + a.sendTag.substr(0, 1) + a.sendTag.substr(1), "done|3"},
        {"cid=user02&sendtag=" + a.sendTag, "unknown|0"},
        {"cid=user01&sendtag=9999999", "unknown|0"},
        {"cid=user01&sendtag=0" + a.sendTag, "unknown|0"},
        {"cid=user01&sendtag=", "unknown|0"},
        {"cid=user01", "HTTP 400"},
        {"sendtag=" + a.sendTag, "HTTP 400"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(status(row.query), row.reply) << row.query;

    const std::vector<qbs::SendJobRow> j = jobs();
    ASSERT_EQ(j.size(), 3u);
    EXPECT_EQ(j[0].state, qbs::JobState::Done);
    EXPECT_EQ(j[1].state, qbs::JobState::Interrupted);
    EXPECT_EQ(j[2].state, qbs::JobState::Refused);
    EXPECT_EQ(j[2].received, 3);
    EXPECT_EQ(j[2].malformed, 1);
    EXPECT_EQ(j[2].stored, 0);
    EXPECT_TRUE(service.service().sendServer().store().records(j[2].id).empty());
}

TEST_F(SendServerTest, AStoppingServiceStoresWhatItParsedAndReportsEveryJobInterrupted) {
    RawClient busy(sendPort);
    const auto a = *packet::decodeSendCheckAck(check(busy, MessageKind::Sms, 10));
    std::string records;
    for (int i = 1; i <= 5; ++i)
        records += sms(a, "0100000000" + std::to_string(i));
    busy.write(records + sms(a, "01000000006").substr(0, 20));
    ASSERT_EQ(statusBecomes(a, "running|5"), "running|5");
    // A job that has its go-ahead but no record yet learns its count too.
    RawClient idle(sendPort);
    const auto b = *packet::decodeSendCheckAck(check(idle, MessageKind::Sms, 2));
    ASSERT_EQ(statusBecomes(b, "running|0"), "running|0");

    service.service().stop();

    std::vector<std::string> pushed = {login.read(packet::kSendResultSize),
                                       login.read(packet::kSendResultSize)};
    std::sort(pushed.begin(), pushed.end());
    EXPECT_EQ(pushed,
              (std::vector<std::string>{packet::encodeSendResult(1, 0), packet::encodeSendResult(1, 5)}));
    EXPECT_TRUE(busy.closedByPeer());
    EXPECT_TRUE(login.closedByPeer());

    const std::vector<qbs::SendJobRow> j = jobs();
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0].state, qbs::JobState::Interrupted);
    EXPECT_EQ(j[0].stored, 5);
    EXPECT_EQ(j[0].truncatedBytes, 20);
    EXPECT_EQ(j[1].state, qbs::JobState::Interrupted);
    EXPECT_EQ(j[1].stored, 0);
    auto& store = service.service().sendServer().store();
    const auto stored = store.records(j[0].id);
    ASSERT_EQ(stored.size(), 5u);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i].seq, static_cast<std::int64_t>(i + 1));
        EXPECT_EQ(stored[i].record.number, "0100000000" + std::to_string(i + 1));
    }
    const std::string page = store.resultRows("user01");
    EXPECT_NE(page.find("<td>5</td><td>" + ko("중단") + "</td>"), std::string::npos) << page;
    EXPECT_NE(page.find("<td>0</td><td>" + ko("중단") + "</td>"), std::string::npos) << page;
}

TEST(SendServerDatabase, ADatabaseOfAServiceWithoutJobStatesIsTakenOverWithItsJobs) {
    test::TempDir dir;
    const std::string path = dir.file("old.db");
    {
        qbs::Database db(path);
        db.exec(R"(
CREATE TABLE send_jobs(
    id INTEGER PRIMARY KEY AUTOINCREMENT, user_id BLOB, kind INTEGER,
    announced_count INTEGER, announced_bytes INTEGER, send_code BLOB, send_time BLOB, send_tag BLOB,
    received INTEGER DEFAULT 0, stored INTEGER DEFAULT 0, malformed INTEGER DEFAULT 0,
    duplicates INTEGER DEFAULT 0, truncated_bytes INTEGER DEFAULT 0, received_bytes INTEGER DEFAULT 0,
    result INTEGER);
CREATE TABLE send_records(
    job_id INTEGER, seq INTEGER, user_id BLOB, number BLOB, callback BLOB, title BLOB, body BLOB,
    reserved INTEGER, send_when BLOB, picture1 BLOB, picture2 BLOB, picture3 BLOB, sizes BLOB, raw BLOB,
    PRIMARY KEY(job_id, seq));
INSERT INTO send_jobs(user_id, announced_count, send_tag, stored, result) VALUES
    (CAST('user01' AS BLOB), 1, CAST('1' AS BLOB), 1, 1),
    (CAST('user01' AS BLOB), 5, CAST('2' AS BLOB), 0, 0),
    (CAST('user01' AS BLOB), 5, CAST('3' AS BLOB), 0, NULL);
INSERT INTO send_records(job_id, seq) VALUES (1, 1), (3, 1), (3, 2);
)");
    }
    qbs::ServiceOptions options;
    options.databasePath = path;
    test::ServiceHarness service(options);
    qbs::SendStore& store = service.service().sendServer().store();
    EXPECT_EQ(store.statusLine("user01", "1"), "done|1");
    EXPECT_EQ(store.statusLine("user01", "2"), "interrupted|0");
    // Its records were committed, its count never was.
    EXPECT_EQ(store.statusLine("user01", "3"), "interrupted|2");
    // Numbers go on after the old ones.
    service.addAccount("user01", "pass01");
    RawClient login(service.config().loginPort);
    login.write(packet::encodeLogin("user01", "pass01"));
    ASSERT_EQ(login.read(packet::kLoginAckSize).size(), packet::kLoginAckSize);
    RawClient c(service.config().sendPort);
    c.write(packet::encodeSendCheck(MessageKind::Sms, "user01", 1, 100));
    EXPECT_EQ(packet::decodeSendCheckAck(c.read(packet::kSendCheckAckSize))->sendTag, "4");
}
