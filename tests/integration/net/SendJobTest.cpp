#include "integration/net/SendJobFixture.h"

#include "net/SendConnection.h"

using namespace qb;
using namespace std::chrono_literals;
using test::record;
using Events = std::vector<std::string>;

namespace {

using test::SendJobTest;

} // namespace

TEST_F(SendJobTest, SmsJobWritesEveryRecordThenClosesAndTheServerReportsTheCount) {
    login();
    prepareSms(3, "안녕하세요");
    const long long announced = form.state().batchBytes;

    job.startSend();
    EXPECT_TRUE(job.running());
    EXPECT_FALSE(form.state().sendEnabled);
    ASSERT_TRUE(test::runUntil([&] { return progress.values.size() == 3; }));
    const auto lastRecord = std::chrono::steady_clock::now();
    EXPECT_TRUE(job.running()) << "the connection stays for half a second after the last record";
    ASSERT_TRUE(finish());
    // Measured from when the loop noticed the last record, so a little under.
    EXPECT_GE(std::chrono::steady_clock::now() - lastRecord, SendJob::kEndDelay - 50ms);

    EXPECT_EQ(progress.ranges, std::vector<std::int64_t>{3});
    EXPECT_EQ(progress.values, (std::vector<std::int64_t>{1, 2, 3, 0}));
    EXPECT_EQ(events, (Events{"running", "stopped", "form:refresh-balance", "refresh-balance",
                              "info:총 [3] 건 전송이 완료되었습니다."}));
    EXPECT_TRUE(form.state().queue.empty());
    EXPECT_TRUE(form.state().sendEnabled);

    // The check reply's values are in the login state and in every record.
    EXPECT_EQ(state.sendCode, "SMS");
    EXPECT_EQ(state.sendTime.size(), 19u);
    const auto jobs = service.service().sendServer().store().jobs("user01");
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(state.sendTag, jobs[0].sendTag);
    EXPECT_EQ(jobs[0].announcedCount, 3);
    EXPECT_EQ(jobs[0].announcedBytes, announced);
    EXPECT_EQ(jobs[0].kind, 0);
    EXPECT_EQ(jobs[0].result, 1);
    std::vector<std::string> expected;
    for (int i = 1; i <= 3; ++i)
        expected.push_back(record({"user01", number(i), "0212345678", ko("안녕하세요"), "0.0", "N", state.sendTime,
                                   "123456789", "SMS", state.sendTag, "TAG-01", state.sendTime}));
    EXPECT_EQ(storedRaw(0), expected);
}
