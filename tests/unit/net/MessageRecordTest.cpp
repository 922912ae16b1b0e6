#include "net/MessageRecord.h"

#include "common/Cp949.h"
#include "support/TextLists.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

const std::string kSendTime = "2016-09-10 09:00:00";

LoginState login() {
    LoginState s;
    s.userId = "user01";
    s.userNumber = "123456789";
    s.userTag = "TAG01";
    s.sendCode = "S01";
    s.sendTime = kSendTime;
    s.sendTag = "TG7";
    return s;
}

SendRecord record(std::string reservation = immediateReservation()) {
    SendRecord r;
    r.number = "01012345678";
    r.callbackNumber = "0212345678";
    r.body = "hello";
    r.title = "title";
    r.reservation = std::move(reservation);
    return r;
}

PictureSlots slots(int filled, bool thirdOnlyWithFirst = false) {
    PictureSlots p;
    const int sizes[3][2] = {{640, 480}, {320, 240}, {1024, 768}};
    for (int i = 0; i < 3; ++i) {
        const bool on = thirdOnlyWithFirst ? (i == 0 || i == 2) : i < filled;
        if (on)
            p[i] = {"/pics/" + std::to_string(i + 1) + ".jpg", sizes[i][0], sizes[i][1]};
    }
    return p;
}

const std::vector<std::string> kCommonTail = {"0.0", "N",   kSendTime, "123456789",
                                              "S01", "TG7", "TAG01",   kSendTime};

} // namespace

TEST(MessageRecord, SmsImmediateHasTwelveFields) {
    EXPECT_EQ(buildMessageRecord(MessageKind::Sms, record(), login(), {}, "20160910090000"),
              test::record({"user01", "01012345678", "0212345678", "hello", "0.0", "N", kSendTime,
                            "123456789", "S01", "TG7", "TAG01", kSendTime}));
}

TEST(MessageRecord, ReservedRecordsCarryTheirTimeInFieldSevenAndStillSendTimeLast) {
    const std::string when = "2016-09-10 09:30:00";
    EXPECT_EQ(buildMessageRecord(MessageKind::Sms, record(when), login(), {}, "x"),
              test::record({"user01", "01012345678", "0212345678", "hello", "0.0", "Y", when, "123456789",
                            "S01", "TG7", "TAG01", kSendTime}));
    // The comparison is on bytes: "즉시전송" in UTF-8 is not the CP949 text, so it reads as a reservation.
    const std::string rec = buildMessageRecord(MessageKind::Sms, record("즉시전송"), login(), {}, "x");
    EXPECT_NE(rec.find("\x04Y\x04"), std::string::npos);
}

TEST(MessageRecord, LmsWithEmptyTitleKeepsFieldFour) {
    SendRecord r = record();
    r.title.clear();
    std::vector<std::string> expected = {"user01", "01012345678", "0212345678", "", "hello"};
    expected.insert(expected.end(), kCommonTail.begin(), kCommonTail.end());
    const std::string rec = buildMessageRecord(MessageKind::Lms, r, login(), {}, "x");
    EXPECT_EQ(rec, test::record(expected));
    EXPECT_EQ(std::count(rec.begin(), rec.end(), '\x04'), 12); // 13 fields
    EXPECT_NE(rec.find("0212345678\x04\x04hello"), std::string::npos);
}

TEST(MessageRecord, MmsPictureVariants) {
    const std::string p1 = "user01_20160910090000_01.jpg";
    const std::string p2 = "user01_20160910090000_02.jpg";
    const std::string p3 = "user01_20160910090000_03.jpg";
    struct Row {
        const char* name;
        PictureSlots pictures;
        std::vector<std::string> tail; // fields 14 to 22
    };
    const Row rows[] = {
        {"three", slots(3), {p1, p2, p3, "640", "480", "320", "240", "1024", "768"}},
        {"slots 1 and 2", slots(2), {p1, p2, "", "640", "480", "320", "240", "", ""}},
        {"slot 1", slots(1), {p1, "", "", "640", "480", "", "", "", ""}},
        // Anything else takes the one-picture layout.
        {"slots 1 and 3", slots(0, true), {p1, "", "", "640", "480", "", "", "", ""}},
        {"none", slots(0), {p1, "", "", "0", "0", "", "", "", ""}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> expected = {"user01", "01012345678", "0212345678", "title", "hello"};
        expected.insert(expected.end(), kCommonTail.begin(), kCommonTail.end());
        expected.insert(expected.end(), row.tail.begin(), row.tail.end());
        EXPECT_EQ(buildMessageRecord(MessageKind::Mms, record(), login(), row.pictures, "20160910090000"),
                  test::record(expected))
            << row.name;
    }
    // The two-picture tail, byte by byte.
    const std::string two =
        buildMessageRecord(MessageKind::Mms, record(), login(), slots(2), "20160910090000");
    const std::string tail = p2 + "\x04\x04"
                                  "640\x04"
                                  "480\x04"
                                  "320\x04"
                                  "240\x04\x04\x02";
    EXPECT_EQ(two.substr(two.size() - tail.size()), tail);
}

TEST(MessageRecord, AppendKeepsWhatIsThere) {
    std::string out = "prefix";
    appendMessageRecord(out, MessageKind::Sms, record(), login(), {}, "x");
    EXPECT_EQ(out, "prefix" + buildMessageRecord(MessageKind::Sms, record(), login(), {}, "x"));
    EXPECT_EQ(pictureFileName("id", "20161231235959", 3), "id_20161231235959_03.jpg");
}

TEST(MessageRecord, ByteEstimate) {
    const LoginState s = login();
    SendRecord r = record();
    // 6 + 11 + 10 + 5 + 3 + 9 + 5 + 59
    const std::int64_t sms = 108;
    EXPECT_EQ(estimateRecordBytes(MessageKind::Sms, r, s, {}, 0), sms);
    EXPECT_EQ(estimateRecordBytes(MessageKind::Lms, r, s, {}, 0), sms + 5 + 1);
    // pictures: 2 * (6 + 22) + 3, sizes "640" "480" "320" "240", then 6
    EXPECT_EQ(estimateRecordBytes(MessageKind::Mms, r, s, slots(2), 2), sms + 6 + 59 + 12 + 6);
    EXPECT_EQ(estimateRecordBytes(MessageKind::Mms, r, s, slots(3), 3), sms + 6 + 3 * 28 + 3 + 19 + 6);
    // A slot counts its sizes when its width is not 0, picture or not.
    PictureSlots odd;
    odd[1].width = 7;
    odd[1].height = 12345;
    EXPECT_EQ(estimateRecordBytes(MessageKind::Mms, r, s, odd, 0), sms + 6 + 3 + 6 + 6);
    // Lengths are CP949 bytes: four syllables are eight.
    r.body = ko("안녕하세");
    EXPECT_EQ(estimateRecordBytes(MessageKind::Sms, r, s, {}, 0), sms - 5 + 8);
}

TEST(MessageRecord, TheJobsEncoderWritesTheSameBytes) {
    const LoginState s = login();
    for (const MessageKind kind : {MessageKind::Sms, MessageKind::Lms, MessageKind::Mms})
        for (int filled = 0; filled <= 3; ++filled)
            for (const std::string& when : {immediateReservation(), std::string("2016-09-10 09:30:00")}) {
                SendRecord r = record(when);
                const PictureSlots p = slots(filled);
                const RecordEncoder encoder(kind, s, p, "20160910090507");
                std::string out = "kept";
                encoder.append(out, recordText(r));
                EXPECT_EQ(out, "kept" + buildMessageRecord(kind, r, s, p, "20160910090507"))
                    << static_cast<int>(kind) << " " << filled << " " << when;
                // Empty texts and a long body.
                r.title.clear();
                r.body = std::string(2000, 'x');
                out.clear();
                encoder.append(out, recordText(r));
                EXPECT_EQ(out, buildMessageRecord(kind, r, s, p, "20160910090507"));
            }
}

TEST(MessageRecord, TextsThatWouldBreakTheRecordAreRefused) {
    using Field = std::string SendRecord::*;
    using JobField = std::string LoginState::*;
    const std::pair<const char*, Field> recordFields[] = {{"number", &SendRecord::number},
                                                          {"callback", &SendRecord::callbackNumber},
                                                          {"title", &SendRecord::title},
                                                          {"body", &SendRecord::body},
                                                          {"reservation", &SendRecord::reservation}};
    const std::pair<const char*, JobField> jobFields[] = {
        {"user id", &LoginState::userId},     {"user tag", &LoginState::userTag},
        {"send code", &LoginState::sendCode}, {"send time", &LoginState::sendTime},
        {"send tag", &LoginState::sendTag},   {"user number", &LoginState::userNumber}};
    for (const char bad : {'\0', '\x02', '\x04'}) {
        for (const auto& [name, field] : recordFields) {
            SendRecord r = record();
            (r.*field).insert(1, 1, bad);
            std::string out = "kept";
            EXPECT_FALSE(appendMessageRecord(out, MessageKind::Lms, r, login(), {}, "x")) << name;
            EXPECT_FALSE(RecordEncoder(MessageKind::Lms, login(), {}, "x").append(out, recordText(r)))
                << name;
            EXPECT_EQ(out, "kept") << name;
        }
        for (const auto& [name, field] : jobFields) {
            LoginState s = login();
            (s.*field) += bad;
            std::string out;
            EXPECT_FALSE(appendMessageRecord(out, MessageKind::Sms, record(), s, {}, "x")) << name;
            const RecordEncoder encoder(MessageKind::Sms, s, {}, "x");
            EXPECT_FALSE(encoder.usable()) << name;
            EXPECT_FALSE(encoder.append(out, recordText(record()))) << name;
            EXPECT_EQ(out, "") << name;
        }
        EXPECT_FALSE(fitsInRecord(std::string("01012345678") + bad));
    }
    // Every other byte is the text's own, CR, LF and 0x01, 0x03 included.
    SendRecord r = record();
    r.body = "a\r\nb\x01\x03\x05\x7F" + ko("가");
    EXPECT_TRUE(RecordEncoder(MessageKind::Sms, login(), {}, "x").usable());
    EXPECT_EQ(buildMessageRecord(MessageKind::Sms, r, login(), {}, "x"),
              test::record({"user01", "01012345678", "0212345678", r.body, "0.0", "N", kSendTime, "123456789",
                            "S01", "TG7", "TAG01", kSendTime}));
}

TEST(MessageRecord, ARecordPastTheLongestTheServerTakesIsNeverMade) {
    // The record with an empty body; each byte of body adds one.
    SendRecord r = record();
    r.body.clear();
    const std::size_t bare = buildMessageRecord(MessageKind::Lms, r, login(), {}, "x").size();
    ASSERT_EQ(bare, test::record({"user01", "01012345678", "0212345678", "title", ""}).size() +
                        test::record(kCommonTail).size());
    struct Case {
        std::size_t length;
        bool made;
    };
    for (const Case c :
         {Case{kMaxRecordBytes - 1, true}, Case{kMaxRecordBytes, true}, Case{kMaxRecordBytes + 1, false}}) {
        r.body.assign(c.length - bare, 'b');
        const RecordEncoder encoder(MessageKind::Lms, login(), {}, "x");
        EXPECT_EQ(encoder.size(recordText(r)), c.length);
        std::string viaEncoder = "kept", direct = "kept";
        EXPECT_EQ(encoder.append(viaEncoder, recordText(r)), c.made) << c.length;
        EXPECT_EQ(appendMessageRecord(direct, MessageKind::Lms, r, login(), {}, "x"), c.made) << c.length;
        EXPECT_EQ(viaEncoder.size(), c.made ? 4 + c.length : 4) << c.length;
        EXPECT_EQ(direct, viaEncoder) << c.length;
    }

    // Before the check reply is known, its texts count at their packet widths
    // (4, 24 and 8 bytes), for both times of an immediate record and for the
    // picture names' stamp (14 bytes).
    r.body = "hello";
    for (const MessageKind kind : {MessageKind::Sms, MessageKind::Lms, MessageKind::Mms}) {
        LoginState widest = login();
        widest.sendCode = "CODE";
        widest.sendTime = std::string(24, 't');
        widest.sendTag = "TAG45678";
        const PictureSlots p = slots(kind == MessageKind::Mms ? 3 : 0);
        EXPECT_EQ(RecordEncoder::withLongestReply(kind, login(), p).size(recordText(r)),
                  buildMessageRecord(kind, r, widest, p, "20160910090507").size())
            << static_cast<int>(kind);
    }
}
