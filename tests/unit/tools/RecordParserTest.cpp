#include "RecordParser.h"
#include "support/TextLists.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qbs;
using qb::MessageKind;
using qb::test::record;

namespace {

const std::string kSendTime = "2016-09-10 09:05:07";
const std::string kStamp = "20160910090507";

RecordContext context(MessageKind kind) {
    RecordContext c;
    c.kind = kind;
    c.userId = "user01";
    c.userNumber = "123456789";
    c.userTag = "TAG-01";
    c.sendCode = "SMS";
    c.sendTime = kSendTime;
    c.sendTag = "42";
    return c;
}

// The fields of a good record of each kind, ready to be spoilt by a test.
std::vector<std::string> fields(MessageKind kind, int pictures = 1) {
    std::vector<std::string> f = {"user01", "01012345678", "0212345678"};
    if (kind != MessageKind::Sms)
        f.push_back("title");
    f.insert(f.end(), {"body", "0.0", "N", kSendTime, "123456789", "SMS", "42", "TAG-01", kSendTime});
    if (kind == MessageKind::Mms) {
        for (int slot = 1; slot <= 3; ++slot)
            f.push_back(slot <= pictures ? "user01_" + kStamp + "_0" + std::to_string(slot) + ".jpg" : "");
        for (int slot = 1; slot <= 3; ++slot) {
            f.push_back(slot <= pictures ? std::to_string(slot * 100) : "");
            f.push_back(slot <= pictures ? std::to_string(slot * 10) : "");
        }
    }
    return f;
}

// Every record the stream holds: the good ones as their number, the refused as "!" and the reason.
std::vector<std::string> parseAll(RecordParser& p, std::string_view stream) {
    p.append(stream);
    std::vector<std::string> out;
    while (auto r = p.next())
        out.push_back(r->record ? r->record->number : "!" + r->error);
    return out;
}

} // namespace

TEST(RecordParser, TakesEveryKindApart) {
    {
        RecordParser p(context(MessageKind::Sms));
        std::vector<std::string> f = fields(MessageKind::Sms);
        f[5] = "Y";
        f[6] = "2016-09-10 09:30:00";
        p.append(record(f));
        const auto r = p.next();
        ASSERT_TRUE(r && r->record) << (r ? r->error : "");
        EXPECT_EQ(r->record->raw, record(f));
        EXPECT_EQ(r->record->number, "01012345678");
        EXPECT_EQ(r->record->callback, "0212345678");
        EXPECT_EQ(r->record->body, "body");
        EXPECT_TRUE(r->record->reserved);
        EXPECT_EQ(r->record->when, "2016-09-10 09:30:00");
        EXPECT_EQ(r->record->title, "");
    }
    {
        RecordParser p(context(MessageKind::Lms));
        std::vector<std::string> f = fields(MessageKind::Lms);
        f[3] = ""; // an empty title keeps its place
        p.append(record(f));
        const auto r = p.next();
        ASSERT_TRUE(r && r->record) << (r ? r->error : "");
        EXPECT_EQ(r->record->title, "");
        EXPECT_EQ(r->record->body, "body");
        EXPECT_FALSE(r->record->reserved);
        EXPECT_EQ(r->record->when, kSendTime);
    }
    for (int pictures = 1; pictures <= 3; ++pictures) {
        RecordParser p(context(MessageKind::Mms));
        p.append(record(fields(MessageKind::Mms, pictures)));
        const auto r = p.next();
        ASSERT_TRUE(r && r->record) << pictures << ": " << (r ? r->error : "");
        EXPECT_EQ(r->record->pictureStamp, kStamp);
        for (int slot = 1; slot <= 3; ++slot) {
            const auto i = static_cast<std::size_t>(slot - 1);
            EXPECT_EQ(r->record->pictures[i].empty(), slot > pictures);
            EXPECT_EQ(r->record->sizes[2 * i], slot <= pictures ? std::to_string(slot * 100) : "");
        }
    }
}

TEST(RecordParser, RefusesWhatTheLayoutDoesNotAllow) {
    struct Row {
        const char* name;
        MessageKind kind;
        int pictures;
        std::function<void(std::vector<std::string>&)> spoil;
        const char* reason; // empty: still good
    };
    using K = MessageKind;
    const Row rows[] = {
        {"one field short", K::Sms, 0, [](auto& f) { f.pop_back(); }, "11 fields where an SMS record has 12"},
        {"one field more", K::Sms, 0, [](auto& f) { f.push_back(""); },
         "13 fields where an SMS record has 12"},
        {"an SMS on an LMS job", K::Lms, 0, [](auto& f) { f.erase(f.begin() + 3); },
         "12 fields where an LMS record has 13"},
        {"0x04 in the body", K::Sms, 0,
         [](auto& f) {
             f[3] = "a\x04"
                    "b";
         },
         "13 fields where an SMS record has 12"},
        {"another user", K::Sms, 0, [](auto& f) { f[0] = "user02"; },
         "field 1 is not the user id of the send check"},
        {"number of 7 bytes", K::Sms, 0, [](auto& f) { f[1] = "0101234"; },
         "the number in field 2 is not 8 to 15 bytes long"},
        {"number of 8 bytes", K::Sms, 0, [](auto& f) { f[1] = "01012345"; }, ""},
        {"number of 15 bytes", K::Sms, 0, [](auto& f) { f[1] = "010123456789012"; }, ""},
        {"number of 16 bytes", K::Sms, 0, [](auto& f) { f[1] = "0101234567890123"; },
         "the number in field 2 is not 8 to 15 bytes long"},
        {"no callback", K::Sms, 0, [](auto& f) { f[2] = ""; }, "no callback number in field 3"},
        {"client field", K::Sms, 0, [](auto& f) { f[4] = "0.1"; }, "field 5 is not \"0.0\""},
        {"client field of an LMS", K::Lms, 0, [](auto& f) { f[5] = ""; }, "field 6 is not \"0.0\""},
        {"flag", K::Sms, 0, [](auto& f) { f[5] = "y"; }, "field 6 is neither Y nor N"},
        {"immediate with another time", K::Sms, 0, [](auto& f) { f[6] = "2016-09-10 09:05:08"; },
         "an immediate record without the send time of the check reply"},
        {"reserved without a time", K::Sms, 0,
         [](auto& f) {
             f[5] = "Y";
             f[6] = "2016-09-10 9:30:00";
         },
         "a reserved record without a YYYY-MM-DD HH:MM:SS time"},
        {"user number", K::Sms, 0, [](auto& f) { f[7] = "123456780"; },
         "user number or user tag differ from the login's"},
        {"user tag", K::Lms, 0, [](auto& f) { f[11] = "TAG-02"; },
         "user number or user tag differ from the login's"},
        {"send code", K::Sms, 0, [](auto& f) { f[8] = "LMS"; },
         "send code, send tag or send time differ from the check reply's"},
        {"send tag", K::Sms, 0, [](auto& f) { f[9] = "43"; },
         "send code, send tag or send time differ from the check reply's"},
        {"send time last", K::Sms, 0, [](auto& f) { f[11] = "2016-09-10 09:05:08"; },
         "send code, send tag or send time differ from the check reply's"},
        {"picture 3 without 2", K::Mms, 3, [](auto& f) { f[14] = ""; }, "picture 3 without picture 2"},
        {"a size without its picture", K::Mms, 1, [](auto& f) { f[18] = "5"; },
         "a size for picture 2, which is not there"},
        {"no first picture", K::Mms, 1, [](auto& f) { f[13] = ""; },
         "picture name 1 is not ID_YYYYMMDDhhmmss_01.jpg"},
        {"another user's picture", K::Mms, 1, [](auto& f) { f[13] = "user02_" + kStamp + "_01.jpg"; },
         "picture name 1 is not ID_YYYYMMDDhhmmss_01.jpg"},
        {"slot number", K::Mms, 2, [](auto& f) { f[14] = "user01_" + kStamp + "_01.jpg"; },
         "picture name 2 is not ID_YYYYMMDDhhmmss_02.jpg"},
        {"stamp of letters", K::Mms, 1, [](auto& f) { f[13] = "user01_2016091009050x_01.jpg"; },
         "picture name 1 is not ID_YYYYMMDDhhmmss_01.jpg"},
        {"two stamps", K::Mms, 2, [](auto& f) { f[14] = "user01_20160910090508_02.jpg"; },
         "the picture names of one record carry different stamps"},
        {"no height", K::Mms, 2, [](auto& f) { f[19] = ""; }, "picture 2 has no width and height"},
        {"size not a number", K::Mms, 1, [](auto& f) { f[16] = "6x"; }, "picture 1 has no width and height"},
    };
    for (const Row& row : rows) {
        RecordParser p(context(row.kind));
        std::vector<std::string> f = fields(row.kind, row.pictures);
        row.spoil(f);
        p.append(record(f));
        const auto r = p.next();
        ASSERT_TRUE(r) << row.name;
        EXPECT_EQ(r->error, row.reason) << row.name;
        EXPECT_EQ(r->record.has_value(), std::string(row.reason).empty()) << row.name;
        EXPECT_FALSE(p.next()) << row.name;
    }
}

TEST(RecordParser, OneJobUsesOneStamp) {
    RecordParser p(context(MessageKind::Mms));
    std::vector<std::string> other = fields(MessageKind::Mms, 1);
    other[13] = "user01_20160910090508_01.jpg";
    other[1] = "01099999999";
    EXPECT_EQ(parseAll(p, record(fields(MessageKind::Mms, 1)) + record(other)),
              (std::vector<std::string>{
                  "01012345678", "!the pictures are named with another stamp than the job's first record"}));
}

TEST(RecordParser, RecordsComeOutWhateverPiecesTheStreamArrivesIn) {
    std::string stream;
    std::vector<std::string> want;
    for (int i = 0; i < 3; ++i) {
        std::vector<std::string> f = fields(MessageKind::Lms);
        f[1] = "0101234567" + std::to_string(i);
        f[4] = std::string(static_cast<std::size_t>(i * 40), 'x');
        stream += record(f);
        want.push_back(f[1]);
    }
    for (std::size_t piece = 1; piece <= stream.size(); ++piece) {
        RecordParser p(context(MessageKind::Lms));
        std::vector<std::string> got;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            const auto more = parseAll(p, std::string_view(stream).substr(at, piece));
            got.insert(got.end(), more.begin(), more.end());
        }
        ASSERT_EQ(got, want) << "pieces of " << piece;
        EXPECT_EQ(p.pendingBytes(), 0u);
    }
    // A stream that ends inside a record leaves that record's bytes pending.
    RecordParser p(context(MessageKind::Lms));
    EXPECT_EQ(parseAll(p, stream.substr(0, stream.size() - 5)), (std::vector<std::string>{want[0], want[1]}));
    EXPECT_EQ(p.pendingBytes(), record(fields(MessageKind::Lms)).size() - 4 + 80 - 5);
}

TEST(RecordParser, RecordsAreAtMost4095BytesLong) {
    // Padded through the body to an exact length, its 0x02 included.
    const auto ofLength = [](std::size_t n, const std::string& number) {
        std::vector<std::string> f = fields(MessageKind::Sms);
        f[1] = number;
        f[3] = std::string(n - record(f).size() + f[3].size(), 'b');
        return record(f);
    };
    RecordParser p(context(MessageKind::Sms));
    EXPECT_EQ(parseAll(p, ofLength(4095, "01000000001") + ofLength(4096, "01000000002") +
                              ofLength(4095, "01000000003")),
              (std::vector<std::string>{"01000000001", "!a record longer than 4095 bytes", "01000000003"}));

    // One without its 0x02 is refused once it passes the limit, however it arrives,
    // and the stream goes on after its end.
    RecordParser q(context(MessageKind::Sms));
    const std::string huge = ofLength(20000, "01000000004");
    std::vector<std::string> got;
    for (std::size_t at = 0; at < huge.size(); at += 1000) {
        const auto more = parseAll(q, std::string_view(huge).substr(at, 1000));
        got.insert(got.end(), more.begin(), more.end());
        EXPECT_LE(q.pendingBytes(), 4096u);
    }
    const auto last = parseAll(q, ofLength(200, "01000000005"));
    got.insert(got.end(), last.begin(), last.end());
    EXPECT_EQ(got, (std::vector<std::string>{"!a record longer than 4095 bytes", "01000000005"}));
}
