#include "send/RecordsAhead.h"

#include <gtest/gtest.h>

#include <string>

using namespace qb;

namespace {

LoginState login() {
    LoginState s;
    s.loggedIn = true;
    s.userId = "user01";
    s.userNumber = "123456789";
    s.userTag = "TAG";
    s.sendCode = "SMS";
    s.sendTime = "2016-09-10 09:05:07";
    s.sendTag = "1";
    return s;
}

std::string direct(const RecordEncoder& e, const SendQueue& q, std::size_t i) {
    const SendQueue::View v = q.record(i);
    std::string out;
    e.append(out, RecordText{v.number, v.callbackNumber, v.title, v.body, v.reservation});
    return out;
}

} // namespace

TEST(RecordsAhead, HandsOverWhatTheWriterWouldEncodeAndStopsWhereItCannot) {
    SendQueue queue;
    SendRecord r;
    r.callbackNumber = "0212345678";
    r.reservation = immediateReservation();
    for (int i = 0; i < 3000; ++i) {
        r.number = "010" + std::to_string(10000000 + i);
        r.body = r.displayBody = i == 2500 ? std::string("bad\x02") : "body " + std::to_string(i);
        queue.push_back(r);
    }
    const RecordEncoder encoder(MessageKind::Sms, login(), {}, "");
    RecordsAhead ahead;
    ahead.start(queue, encoder, 100);
    std::string_view bytes;
    EXPECT_FALSE(ahead.take(99, bytes)); // out of turn
    for (std::size_t i = 100; i < 2500; ++i) {
        ASSERT_TRUE(ahead.take(i, bytes)) << i;
        ASSERT_EQ(bytes, direct(encoder, queue, i)) << i;
    }
    // The refused record is the writer's to meet; after it the writer starts again.
    EXPECT_FALSE(ahead.take(2500, bytes));
    // Runs: each record where the run's ends put it, never more than asked for.
    ahead.start(queue, encoder, 2501);
    for (std::size_t i = 2501, most = 1; i < 3000; most = most % 70 + 23) {
        const RecordsAhead::Run run = ahead.takeRun(i, most);
        ASSERT_GE(run.count, 1u) << i;
        ASSERT_LE(run.count, most) << i;
        for (std::size_t k = 0; k < run.count; ++k, ++i) {
            const std::uint32_t begin = k == 0 ? run.base : run.ends[k - 1];
            ASSERT_EQ(run.bytes.substr(begin - run.base, run.ends[k] - begin), direct(encoder, queue, i))
                << i;
        }
        ASSERT_EQ(run.bytes.size(), run.ends[run.count - 1] - run.base) << i;
    }
    EXPECT_EQ(ahead.takeRun(3000, 5).count, 0u);
    ahead.stop();
    EXPECT_FALSE(ahead.take(3000, bytes));
}
