#include "integration/send/SendJobFixture.h"

#include "LengthField.h"
#include "net/LoginConnection.h"

using namespace qb;
using test::SendJobTest;
using Events = std::vector<std::string>;

namespace {

class PacketLength : public SendJobTest, public ::testing::WithParamInterface<const char*> {};

} // namespace

// The client reads every server packet at its table size, whatever the header's
// length field says: the bytes after the header, the whole packet, zero or junk.
TEST_P(PacketLength, LoginPushesAndASendWorkWhateverTheLengthFieldSays) {
    const std::optional<qbs::LengthField> length = qbs::LengthField::parse(GetParam());
    ASSERT_TRUE(length);
    service.service().setLengthField(*length);
    login();
    ASSERT_NE(session.connection(), nullptr);
    std::string written(packet::kLoginAckSize, '\0');
    length->apply(written);
    EXPECT_EQ(session.connection()->lastLoginAck()->header.length, packet::readInt(written, 4));

    // A delivery acknowledgement and a result, each pushed on its own, back to back.
    ASSERT_TRUE(service.loginServer().pushDeliverAck("user01", 5));
    ASSERT_TRUE(service.loginServer().pushSendResult("user01", 1, 7));
    ASSERT_TRUE(test::runUntil([&] { return !notifier.shown().empty(); }));
    test::runFor(std::chrono::milliseconds(50));
    ASSERT_EQ(events, (Events{"refresh-balance", "info:총 [7] 건 전송이 완료되었습니다."}));
    EXPECT_EQ(session.connection()->lastDeliverAck()->value, 5);
    EXPECT_TRUE(state.loggedIn);

    events.clear();
    notifier.clear();
    prepareSms(3, "length");
    start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(events, (Events{"running", "stopped", "form:refresh-balance", "refresh-balance",
                              "info:총 [3] 건 전송이 완료되었습니다."}));
    EXPECT_EQ(storedRaw(0).size(), 3u);
    EXPECT_TRUE(state.loggedIn);
}

INSTANTIATE_TEST_SUITE_P(Forms, PacketLength,
                         ::testing::Values("after-header", "whole", "zero", "-1", "4096"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });
