#include "DryRun.h"
#include "common/Clock.h"
#include "common/Cp949.h"
#include "import/FileBytes.h"
#include "support/RecordingNotifier.h"
#include "support/TempDir.h"
#include "support/TestClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>

using namespace qb;
using namespace qb::test;

namespace {

struct DryRunResult {
    int code = 0;
    std::string out;
    std::vector<std::string> messages;
};

DryRunResult dryRun(const DryRunOptions& options) {
    RecordingNotifier notifier;
    std::ostringstream out;
    DryRunResult r;
    r.code = runDryRun(options, notifier, out);
    r.out = out.str();
    r.messages = notifier.texts();
    return r;
}

const char* const kSummary2 =
    "총 데이터 [3] 건\n중복제거 [1] 건\n수신거부 [0] 건\n번호형식오류 [0] 건\n전송할 데이터 [2] 건\n";

} // namespace

TEST(DryRun, PrintsTheSummaryAndOneLinePerRecord) {
    TempDir dir;
    DryRunOptions o;
    o.workingFolder = dir.path();
    o.textFiles = {dir.write("a.txt", "01011112222,김철수\n0101234567,이영희\n01011112222,dup\n")};
    o.delimiter = ",";
    o.numberColumn = 1;
    o.merges = {{1, 2}};
    o.callback = "0212345678";
    o.message = "<@1@>님\n안녕하세요";
    const DryRunResult r = dryRun(o);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.out, std::string(kSummary2) +
                         "1\t010-1111-2222\t0212345678\t김철수님  안녕하세요\t즉시전송\n"
                         "2\t010-123-4567\t0212345678\t이영희님  안녕하세요\t즉시전송\n");
}

TEST(DryRun, LongKindsReservationSplitRangeAndRejects) {
    const test::ClockAt clock(fromKorean({2024, 12, 1, 0, 0, 0}));
    TempDir dir;
    const std::string rejects = dir.write("rej.txt", "01000000002\n");
    dir.write("msg/RAZIDODU.ini", "[Reject]\r\nReject_001=TRUE,rej.txt," + rejects + "\r\n");
    DryRunOptions o;
    o.workingFolder = dir.path();
    o.textFiles = {dir.write("a.txt", "01000000001\n01000000002\n01000000003\n01000000004\n01000000005\n")};
    o.numberColumn = 1;
    o.kind = MessageKind::Lms;
    o.callback = "021234";
    o.title = "공지";
    o.messageFile = dir.write("m.txt", "line1\r\nline2\n");
    o.reserve = "2024-12-31 23:50";
    o.split = {{"2", "10"}};
    o.range = {{"2", "9"}};
    const DryRunResult r = dryRun(o);
    ASSERT_EQ(r.code, 0) << (r.messages.empty() ? "" : r.messages[0]);
    EXPECT_EQ(
        r.out,
        "총 데이터 [5] 건\n중복제거 [0] 건\n수신거부 [1] 건\n번호형식오류 [0] 건\n전송할 데이터 [3] 건\n"
        "1\t010-0000-0003\t021234\t공지\tline1  line2\t2024-12-31 23:50:00\n"
        "2\t010-0000-0004\t021234\t공지\tline1  line2\t2024-12-31 23:50:00\n"
        "3\t010-0000-0005\t021234\t공지\tline1  line2\t2025-01-01 00:00:00\n");
}

TEST(DryRun, MmsPicturesAndExcelRecipients) {
    TempDir dir;
    DryRunOptions o;
    o.workingFolder = dir.path();
    o.excelFile = dataPath("excel/recipients.xlsx");
    o.sheet = 1;
    o.numberColumn = 2;
    o.kind = MessageKind::Mms;
    o.callback = "021234";
    o.message = "사진";
    o.pictures = {dataPath("send/picture-64x48.jpg")};
    const DryRunResult r = dryRun(o);
    ASSERT_EQ(r.code, 0);
    // The header "전화번호" is no number, whatever its byte count.
    EXPECT_EQ(
        r.out,
        "총 데이터 [5] 건\n중복제거 [0] 건\n수신거부 [0] 건\n번호형식오류 [2] 건\n전송할 데이터 [3] 건\n"
        "1\t010-1234-5678\t021234\t\t사진\t즉시전송\n"
        "2\t010-9876-5432\t021234\t\t사진\t즉시전송\n"
        "3\t010-5555-1234\t021234\t\t사진\t즉시전송\n");
}

TEST(DryRun, RefusalsPrintNothingAndExitOne) {
    TempDir dir;
    const std::string numbers = dir.write("a.txt", "01011112222\n");
    struct Case {
        const char* name;
        std::function<void(DryRunOptions&)> change;
        std::string message;
    } cases[] = {
        {"no callback", [](DryRunOptions& o) { o.callback.clear(); }, "회신번호를 확인해주세요."},
        {"no number column found",
         [&](DryRunOptions& o) {
             o.numberColumn = 0;
             o.textFiles = {dir.write("names.txt", "김철수\n")};
         },
         "수신번호열 를 선택해주세요."},
        {"a merge name the header row lacks",
         [&](DryRunOptions& o) {
             o.header = true;
             o.mergeNames = {{1, "이름"}};
         },
         "제목 줄에 없는 열 이름입니다: 이름"},
        {"column out of range", [](DryRunOptions& o) { o.numberColumn = 2; }, "수신번호열 를 선택해주세요."},
        {"sms over 90 is not cut", [](DryRunOptions& o) { o.message = std::string(91, 'a'); },
         "[SMS] 내용이 90바이트 이상입니다.!"},
        {"split minutes not offered",
         [](DryRunOptions& o) {
             o.split = {{"10", "15"}};
         },
         "분할전송을 확인해주세요."},
        {"reservation not on the lists", [](DryRunOptions& o) { o.reserve = "2024-01-01 09:07"; },
         "예약일시를 확인해주세요."},
        {"reservation without a date", [](DryRunOptions& o) { o.reserve = "2024-02-30 09:00"; },
         "예약일시를 확인해주세요."},
        {"missing file", [&](DryRunOptions& o) { o.textFiles.push_back(dir.file("gone.txt")); },
         "화일경로가 존재하지 않습니다."},
        {"mms without picture", [](DryRunOptions& o) { o.kind = MessageKind::Mms; },
         " [MMS] 사진을 선택해주세요."},
        {"picture not a jpeg",
         [&](DryRunOptions& o) {
             o.kind = MessageKind::Mms;
             o.pictures = {numbers};
         },
         numbers + "\nJPG 그림파일이 아닙니다.!"},
        {"message file CP949 cannot hold",
         [&](DryRunOptions& o) {
             o.message.reset();
             o.messageFile = dir.write("emoji.txt", "hi 😀\n");
         },
         dir.file("emoji.txt") + "\nCP949로 바꿀 수 없는 글자 1개가 있습니다."},
        {"--strict: a row with an empty merge value",
         [&](DryRunOptions& o) {
             o.textFiles = {dir.write("m.txt", "01011112222,a\n01022223333, \n")};
             o.delimiter = ",";
             o.merges = {{1, 2}};
             o.message = "<@1@>님";
             o.strict = true;
         },
         "메시지 조합 값이 비어 있는 행이 [1] 건 있습니다. (행 2)"},
        {"sheet out of range",
         [](DryRunOptions& o) {
             o.excelFile = dataPath("excel/recipients.xls");
             o.sheet = 4;
         },
         "엑셀시트 번호를 확인해주세요."},
    };
    for (const Case& c : cases) {
        DryRunOptions o;
        o.workingFolder = dir.path();
        o.textFiles = {numbers};
        o.numberColumn = 1;
        o.callback = "021234";
        o.message = "hi";
        c.change(o);
        const DryRunResult r = dryRun(o);
        EXPECT_EQ(r.code, 1) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_EQ(r.messages, std::vector<std::string>{c.message}) << c.name;
    }
}

TEST(DryRun, TheRowsLeftOutGoToTheFileGiven) {
    TempDir dir;
    DryRunOptions o;
    o.workingFolder = dir.path();
    o.textFiles = {dir.write("a.txt", "01011112222\n010-1111-2222\nphone\n")};
    o.numberColumn = 1;
    o.callback = "021234";
    o.message = "hi";
    o.excludedFile = dir.file("x.csv");
    ASSERT_EQ(dryRun(o).code, 0);
    std::string bytes;
    ASSERT_TRUE(readFileBytes(*o.excludedFile, bytes));
    EXPECT_EQ(bytes, "\xEF\xBB\xBF행,수신번호,사유\r\n2,010-1111-2222,중복\r\n3,phone,번호형식오류\r\n");
    o.excludedFile = dir.file("none/x.csv");
    const DryRunResult r = dryRun(o);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.messages, std::vector<std::string>{*o.excludedFile + "\n화일을 저장할 수 없습니다."});
}

TEST(DryRun, MessagesBecomeCp949WithCrLf) {
    EXPECT_EQ(messageFromUtf8("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(messageFromUtf8("가"), ko("가"));
}
