#include "common/Cp949.h"
#include "net/Packets.h"
#include "send/JobJournal.h"
#include "support/RunUntil.h"
#include "support/ServiceHarness.h"

#include <QProcess>

#include <chrono>
#include <set>

#include <gtest/gtest.h>

using namespace qb;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// Members are public: the failure table sets the fixture up from plain functions.
class QbsendSend : public ::testing::Test {
public:
    void SetUp() override {
        service.addAccount("user01", "pass01", 123456789, "TAG-01");
        service.service().webServer().store().addCallback("user01", "0212345678", "2024-01-01");
        std::string numbers;
        for (int i = 1; i <= 3; ++i)
            numbers += "0101000000" + std::to_string(i) + "\r\n";
        list = service.dir().write("list.txt", numbers);
    }

    // `bound` must stay well above the sum of the waits qbsend may make on its
    // way (connect, replies, a stalled write, the result), or the two race.
    Outcome qbsend(QStringList args, std::chrono::seconds bound = std::chrono::seconds(60)) {
        args =
            QStringList{"--workdir", q(service.workdir()), "--id", "user01", "--password", "pass01"} + args;
        QProcess p;
        p.start(QBSEND_PATH, args);
        EXPECT_TRUE(p.waitForFinished(static_cast<int>(std::chrono::milliseconds(bound).count())));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
    }
    QStringList sms(const std::string& file) {
        return {"--text",     q(file),      "--number-column", "1",
                "--callback", "0212345678", "--message",       "안녕\n하세요"};
    }
    // A file of `count` numbers from 01010000000 on.
    std::string numbers(const std::string& name, int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += "010" + std::to_string(10000000 + i) + "\n";
        return service.dir().write(name, text);
    }
    std::vector<qbs::SendJobRow> jobs() { return service.service().sendServer().store().jobs("user01"); }

    test::ServiceHarness service;
    std::string list;
};

// The service's default prices (SMS 20) and an account without a balance row:
// the summary's cost and shortfall, then the line the client's "전송하기" asks with.
const char* const kSummary3 =
    "[ 발송데이터 확인!] 총 데이터 [3] 건\n중복제거 [0] 건\n수신거부 [0] 건\n번호형식오류 "
    "[0] 건\n전송할 데이터 [3] 건\n예상금액 [60] 원\n잔액 [0] 원\n잔액이 [60] 원 부족합니다.\n"
    "[알림] 전송 [3] 건, 예상금액 [60] 원, 잔액 [0] 원\n잔액이 [60] 원 부족합니다.\n";

} // namespace

TEST_F(QbsendSend, SendsAJobAsTheClientDoesAndExitsZeroOnTheFullCount) {
    const Outcome r = qbsend(sms(list));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, std::string(kSummary3) + "[알림] 총 [3] 건 전송이 완료되었습니다.\n");
    EXPECT_EQ(r.err, "qbsend: encoding: CP949\n");
    const auto j = jobs();
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].stored, 3);
    // The byte total was estimated with the login's values, as the client's is.
    EXPECT_EQ(j[0].announcedBytes, 3 * (6 + 11 + 10 + 11 + 3 + 9 + 6 + 59));
    const auto records = service.service().sendServer().store().records(j[0].id);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].record.number, "01010000003");
    EXPECT_EQ(records[2].record.body, ko("안녕\n하세요"));
    EXPECT_TRUE(service.loginServer().waitForLogout("user01", std::chrono::seconds(5)));
}

TEST_F(QbsendSend, SeparatorsInTheRecipientsFileNeverMakeRecordsOfTheirOwn) {
    // Row 2's merge value carries a whole record to a number not on the list; row
    // 3's number holds a NUL; row 4's value a field separator.
    const std::string forged = "x\x02user01\x04"
                               "01099999999\x04"
                               "0212345678\x04"
                               "forged\x04"
                               "0.0\x04N";
    const std::string file = service.dir().write(
        "merge.txt", "01010000001,Kim\r\n01010000002," + forged + "\r\n0101000" + std::string(1, '\0') +
                         "003,Lee\r\n01010000004,Pa\x04rk\r\n01010000005,Choi\r\n");
    const Outcome r = qbsend({"--text", q(file), "--delimiter", ",", "--number-column", "1", "--merge", "1=2",
                              "--callback", "0212345678", "--message", "<@1@>님 안녕하세요"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out,
              "[ 발송데이터 확인!] 총 데이터 [5] 건\n중복제거 [0] 건\n수신거부 [0] 건\n번호형식오류 [3] "
              "건\n전송할 데이터 [2] 건\n예상금액 [40] 원\n잔액 [0] 원\n잔액이 [40] 원 부족합니다.\n"
              "[알림] 전송 [2] 건, 예상금액 [40] 원, 잔액 [0] 원\n잔액이 [40] 원 부족합니다.\n"
              "[알림] 총 [2] 건 전송이 완료되었습니다.\n");
    // What the server stores is what the preview showed, and nothing else.
    const auto j = jobs();
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0].received, 2);
    EXPECT_EQ(j[0].malformed, 0);
    const auto records = service.service().sendServer().store().records(j[0].id);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].record.number, "01010000001");
    EXPECT_EQ(records[0].record.body, ko("Kim님 안녕하세요"));
    EXPECT_EQ(records[1].record.number, "01010000005");
    EXPECT_EQ(records[1].record.body, ko("Choi님 안녕하세요"));
}

TEST_F(QbsendSend, SendsAnMmsWithItsPicture) {
    const std::string picture = test::dataPath("send/picture-64x48.jpg");
    const Outcome r = qbsend({"--text", q(list), "--number-column", "1", "--callback", "0212345678", "--kind",
                              "mms", "--title", "사진", "--message", "보세요", "--picture", q(picture)});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    const auto pictures = service.service().webServer().store().sendPictures("user01");
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].data, test::readFile(picture));
    const auto records = service.service().sendServer().store().records(jobs().at(0).id);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].record.pictures[0], pictures[0].name);
}

// A failure with nothing pending exits 1, a refusal by the service 5; neither
// leaves a journal behind, so the same command may run again.
TEST_F(QbsendSend, EveryFailureMessageExitsOneOrFiveForARefusal) {
    struct Row {
        const char* name;
        std::function<void(QbsendSend&)> setup;
        QStringList args;
        std::string out;
        int exitCode;
    };
    const Row rows[] = {
        {"limit",
         [](QbsendSend& t) { t.service.service().webServer().store().setBalance("user01", qbs::Balance{}); },
         {},
         std::string(kSummary3) + "[알림] [확인] 잔여한도가 부족합니다!\n",
         5},
        {"refused preview", nullptr, {"--callback", ""}, "", 1},
        {"no recipient file", nullptr, {"--text", "/no/such/file.txt"}, "", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.setup)
            row.setup(*this);
        QStringList args = sms(list);
        for (int i = 0; i + 1 < row.args.size(); i += 2) {
            const int at = static_cast<int>(args.indexOf(row.args[i]));
            if (at >= 0 && !row.args[i + 1].isEmpty())
                args[at + 1] = row.args[i + 1];
            else if (at >= 0)
                args.remove(at, 2);
        }
        const Outcome r = qbsend(args);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.out << r.err;
        EXPECT_TRUE(JobJournal::pending(JobJournal::folderOf(service.workdir()), "user01").empty());
        if (!row.out.empty()) {
            EXPECT_EQ(r.out, row.out);
        }
        EXPECT_NE(r.out.find("[알림] "), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("전송이 완료되었습니다"), std::string::npos);
    }
    EXPECT_TRUE(jobs().empty() || jobs().front().stored == 0);
}

TEST_F(QbsendSend, ALongJobShowsProgressAndAShortCountIsAFailure) {
    const std::string big = numbers("big.txt", 40000);
    // qbsend's waits add up to 15 + 10 + 10 + 10 + 20 s at most; the test waits
    // for its end far longer, so no two time-outs meet.
    const QStringList waits{"--reply-timeout", "10", "--write-timeout", "10", "--wait", "20"};
    const auto bound = std::chrono::seconds(120);
    service.service().sendServer().setQuirks(qbs::SendQuirks::slowReader());
    const Outcome ok = qbsend(sms(big) + waits, bound);
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_NE(ok.out.find("[알림] 총 [40000] 건 전송이 완료되었습니다.\n"), std::string::npos) << ok.out;
    EXPECT_NE(ok.err.find("qbsend: sending "), std::string::npos) << ok.err;
    EXPECT_NE(ok.err.find("qbsend: sending 40000 / 40000\n"), std::string::npos) << ok.err;

    // The server drops the connection part way: the rest is pending.
    // More records than the sockets' buffers hold (about 13 MB), so that the drop
    // meets a job still writing however fast it writes.
    const std::string bigger = numbers("bigger.txt", 100000);
    qbs::SendQuirks dropping = qbs::SendQuirks::slowReader();
    dropping.closeAfterRecords = 500;
    service.service().sendServer().setQuirks(dropping);
    const Outcome cut = qbsend(sms(bigger) + waits, bound);
    EXPECT_EQ(cut.exitCode, 4) << cut.err;
    EXPECT_NE(cut.out.find("[알림] 네트워크 에러! 다시 시도해 주시기 바랍니다.\n"), std::string::npos)
        << cut.out;
}

// SIGTERM (as SIGINT) stops a job as "전송중지" does: the service's count decides,
// the rest is pending, and --resume sends exactly the rest.
TEST_F(QbsendSend, ASignalStopsTheJobAndTheResumeSendsExactlyTheRest) {
    constexpr int kCount = 60000;
    const std::string big = numbers("big.txt", kCount);
    service.service().sendServer().setQuirks(qbs::SendQuirks::slowReader());
    QProcess p;
    p.start(QBSEND_PATH,
            QStringList{"--workdir", q(service.workdir()), "--id", "user01", "--password", "pass01"} +
                sms(big));
    ASSERT_TRUE(
        test::runUntil([&] { return !jobs().empty() && jobs()[0].received > 0; }, std::chrono::seconds(60)));
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(60000));
    const std::string out = p.readAllStandardOutput().toStdString(),
                      err = p.readAllStandardError().toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 4) << err;
    EXPECT_NE(out.find("[알림] 전송을 중지했습니다.\n전송이 중단되었습니다. ["), std::string::npos) << out;
    EXPECT_NE(out.find("이어서 전송을 누르면 남은 건을 전송합니다.\n"), std::string::npos) << out;
    EXPECT_NE(err.find("; qbsend --resume sends it\n"), std::string::npos) << err;
    ASSERT_LT(jobs().at(0).stored, kCount);

    service.service().sendServer().clearQuirks();
    const Outcome resumed = qbsend({"--resume"}, std::chrono::seconds(120));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.out << resumed.err;
    std::set<std::string> stored;
    std::size_t records = 0;
    for (const qbs::SendJobRow& j : jobs())
        for (const auto& r : service.service().sendServer().store().records(j.id)) {
            stored.insert(r.record.number);
            ++records;
        }
    EXPECT_EQ(records, static_cast<std::size_t>(kCount));
    EXPECT_EQ(stored.size(), static_cast<std::size_t>(kCount));
}

TEST_F(QbsendSend, GivesUpWhenTheResultDoesNotComeInTime) {
    qbs::SendQuirks stalling;
    stalling.readPause = std::chrono::milliseconds(3000);
    service.service().sendServer().setQuirks(stalling);
    const Outcome r = qbsend(sms(list) + QStringList{"--wait", "1"});
    EXPECT_EQ(r.exitCode, 4) << "the service may hold the job: only --resume can tell";
    EXPECT_EQ(r.out, kSummary3);
    EXPECT_TRUE(r.err.starts_with("qbsend: encoding: CP949\nqbsend: no send result within 1 s\nqbsend: the "
                                  "rest of the job is kept in "))
        << r.err;
}

TEST_F(QbsendSend, EveryWaitEndsAndSaysWhy) {
    // A check that is never answered.
    qbs::SendQuirks silent;
    silent.neverReply = true;
    service.service().sendServer().setQuirks(silent);
    const Outcome unanswered = qbsend(sms(list) + QStringList{"--reply-timeout", "1"});
    EXPECT_EQ(unanswered.exitCode, 1);
    EXPECT_EQ(unanswered.out, std::string(kSummary3) + "[알림] 네트워크 에러!! 다시 시도해 주세요!\n");
    EXPECT_EQ(unanswered.err, "qbsend: encoding: CP949\n");

    // A server that stops reading in the middle: the stalled write ends the job.
    const std::string big = numbers("big.txt", 60000);
    qbs::SendQuirks stopping;
    stopping.receiveBuffer = 16 * 1024;
    stopping.stopReadingAfterRecords = 100;
    service.service().sendServer().setQuirks(stopping);
    const Outcome stalled = qbsend(sms(big) + QStringList{"--write-timeout", "1", "--wait", "1"});
    EXPECT_EQ(stalled.exitCode, 4);
    EXPECT_NE(
        stalled.out.find("[알림] 네트워크 에러! 다시 시도해 주시기 바랍니다.\n전송이 중단되었습니다. ["),
        std::string::npos)
        << stalled.out;
    EXPECT_NE(stalled.out.find("]건 미전송.\n"), std::string::npos) << stalled.out;
    // Cut short, it waits for no result: the rest waits in the journal.
    EXPECT_NE(stalled.err.find("; qbsend --resume sends it\n"), std::string::npos) << stalled.err;
    service.service().sendServer().resumeReading();
}

TEST_F(QbsendSend, AFloodOfPushedResultsDoesNotFloodTheTerminal) {
    std::string flood;
    for (int i = 0; i < 5000; ++i)
        flood += packet::encodeSendResult(1, 12);
    qbs::LoginQuirks pushing;
    pushing.appendToReply = flood;
    service.loginServer().setQuirks(pushing);
    const Outcome r = qbsend(sms(list));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("[알림] 총 [3] 건 전송이 완료되었습니다.\n"), std::string::npos) << r.out;
    EXPECT_LT(r.out.size(), 1000u) << r.out;
    EXPECT_NE(r.err.find(" more times\n"), std::string::npos) << r.err;
}
