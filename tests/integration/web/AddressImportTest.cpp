// "파일등록(xls,txt)" of the register dialog: which files, which lines and rows,
// the messages, and what reaches the service.
#include "WebFixture.h"

#include "common/Cp949.h"
#include "web/AddressBookModel.h"
#include "web/AddressImport.h"

#include <gtest/gtest.h>

namespace qb::test {
namespace {

using Shown = std::vector<test::Shown>;

class ScriptedDialogs : public AddressImportHost {
public:
    std::optional<std::string> file;
    std::optional<int> sheet;
    std::vector<Strings> sheetLists; // what each sheet dialog offered, in UTF-8
    int filesAsked = 0;

    std::optional<std::string> chooseFile() override {
        ++filesAsked;
        return file;
    }
    std::optional<int> chooseSheet(const std::vector<std::string>& names) override {
        Strings utf8;
        for (const std::string& n : names)
            utf8.push_back(cp949::toUtf8(n));
        sheetLists.push_back(utf8);
        return sheet;
    }
};

class MaxProgress : public Progress {
public:
    void setRange(std::int64_t, std::int64_t maximum) override { range = maximum; }
    void setValue(std::int64_t v) override {
        last = v;
        highest = std::max(highest, v);
    }
    std::int64_t range = -1, last = -1, highest = -1;
};

Strings utf8Rows(const std::vector<AddressRow>& rows) {
    Strings out;
    for (const AddressRow& r : rows)
        out.push_back(cp949::toUtf8(r.name) + "|" + r.hpno + "|" + cp949::toUtf8(r.etc));
    return out;
}

TEST(AddressImport, FileKindByTheExtensionComparedExactly) {
    const std::vector<std::pair<std::string, AddressFileKind>> cases{
        {"/tmp/list.txt", AddressFileKind::Text},    {"a.b.xls", AddressFileKind::Workbook},
        {"book.xlsx", AddressFileKind::Workbook},    {"LIST.TXT", AddressFileKind::Unsupported},
        {"book.xlsm", AddressFileKind::Unsupported}, {"list.csv", AddressFileKind::Unsupported},
        {"txt", AddressFileKind::Unsupported},       {"/data.txt/list", AddressFileKind::Unsupported},
        {"list.", AddressFileKind::Unsupported},
    };
    for (const auto& [path, kind] : cases)
        EXPECT_EQ(addressFileKind(path), kind) << path;
}

TEST(AddressImport, TextLinesOfExactlyThreeCommaSeparatedValues) {
    TempDir dir;
    const std::string path = dir.write(
        "list.txt", ko("홍길동,01011112222,서울\n") + "two,,values\n" + "a,b,c,d\n" +
                        ",,x,,010 2222-3333,,z,,\r\n" + "\n" + "only\n" + "abc,abc,x\n" +
                        "short,0101234,x\n" + "long,0101234567890123,x\n" + "typo,010-1234-567o,x\n" +
                        std::string("nul,010\0"
                                    "1,m\n",
                                    12) +
                        "sep,0102,\x02m\n" + "last,010-9999-8888,no line end");
    std::vector<AddressRow> rows;
    RecordingNotifier notifier;
    MaxProgress progress;
    AddressSkips skips;
    ASSERT_TRUE(readAddressText(path, rows, notifier, progress, &skips));
    EXPECT_EQ(utf8Rows(rows),
              (Strings{"홍길동|01011112222|서울", "x|010 2222-3333|z", "last|010-9999-8888|no line end"}));
    // The empty line is no line of data; 7 and 16 digits are one too few and one too many.
    EXPECT_EQ(skips.notThreeValues, 3);
    EXPECT_EQ(skips.unstorable, 2);
    EXPECT_EQ(skips.badNumber, 4);
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_EQ(progress.range, 13);
    EXPECT_EQ(progress.highest, 13);

    EXPECT_FALSE(readAddressText(dir.file("missing.txt"), rows, notifier, progress));
    EXPECT_EQ(notifier.shown(), Shown{errorBox("화일경로가 존재하지 않습니다.")});
}

TEST(AddressImport, WorkbooksGiveTheirFirstThreeColumnsAndSkipRowsWithoutAPhone) {
    for (const char* file : {"excel/addresses.xlsx", "excel/addresses.xls"}) {
        ScriptedDialogs dialogs;
        RecordingNotifier notifier;
        MaxProgress progress;
        std::vector<AddressRow> rows;
        dialogs.sheet = 1;
        ASSERT_TRUE(readAddressWorkbook(dataPath(file), dialogs, rows, notifier, progress)) << file;
        EXPECT_EQ(utf8Rows(rows),
                  (Strings{"홍길동|01011112222|서울", "Kim|01033334444|", "|01055556666|무명"}))
            << file;
        EXPECT_EQ(dialogs.sheetLists, std::vector<Strings>{(Strings{"주소록", "두 열"})}) << file;
        EXPECT_TRUE(notifier.shown().empty()) << file;
        EXPECT_EQ(progress.highest, 4) << file;
    }

    struct Case {
        const char* file;
        std::optional<int> sheet;
        const char* message;
    };
    const std::vector<Case> failures{
        {"excel/addresses.xlsx", 2, "엑셀 시트열이 부족합니다.!"},
        {"excel/addresses.xls", std::nullopt, "취소 되었습니다."},
        {"excel/truncated.xlsx", 1, "엑셀화일을 열수 없습니다."},
        {"excel/missing.xls", 1, "엑셀화일을 열수 없습니다."},
    };
    for (const Case& c : failures) {
        ScriptedDialogs dialogs;
        dialogs.sheet = c.sheet;
        RecordingNotifier notifier;
        MaxProgress progress;
        std::vector<AddressRow> rows;
        EXPECT_FALSE(readAddressWorkbook(dataPath(c.file), dialogs, rows, notifier, progress)) << c.file;
        EXPECT_EQ(notifier.shown(), Shown{errorBox(c.message)}) << c.file;
        EXPECT_TRUE(rows.empty()) << c.file;
    }
}

class AddressImportTest : public WebFixture {
protected:
    void SetUp() override {
        store().addGroup(user(), ko("친구"));
        ASSERT_TRUE(model.open());
        model.selectItem(1);
    }
    Strings remote() {
        Strings out;
        for (const auto& e : store().entries(user()))
            out.push_back(cp949::toUtf8(e.groupname) + ":" + cp949::toUtf8(e.name) + ":" + e.hpno + ":" +
                          e.credate);
        return out;
    }

    std::string transfer;
    long long total = 0;
    AddressBookModel model{*web, transfer, total};
    ScriptedDialogs dialogs;
    MaxProgress progress;
};

TEST_F(AddressImportTest, TheButtonRegistersTheFileIntoTheCurrentGroup) {
    const std::string text = dir.write("list.txt", "a,01000000101,m\nb,01000000102,n\nskipped line\n");
    const std::string empty = dir.write("none.txt", "no,rows\n");
    const std::string control = dir.write("control.txt", "c,01000000103,m\nd,01\x04"
                                                         "04,n\ne,0105,\x02x\nabc,abc,x\n\n");
    struct Case {
        std::optional<std::string> file;
        bool fault; // the service refuses the rows
        bool closes;
        Shown shown;
        std::size_t entries; // in the group afterwards
    };
    const std::vector<Case> cases{
        {std::nullopt, false, false, {}, 0},
        {"", false, false, {errorBox("화일경로가 존재하지 않습니다.")}, 0},
        {dir.file("list.csv"), false, false, {errorBox("지원하지 않는 확장자입니다.")}, 0},
        {dir.file("missing.txt"), false, false, {errorBox("화일경로가 존재하지 않습니다.")}, 0},
        {text, true, false, {errorBox("에러발생! 다시 시도해 주시기 바랍니다.")}, 0},
        {text,
         false,
         true,
         {plainBox("2 개의 데이터가 입력되었습니다.\n쉼표로 나눈 값이 세 개가 아닌 1 줄은 건너뛰었습니다.")},
         2},
        // Registered even when the file gave no rows.
        {empty,
         false,
         true,
         {plainBox("0 개의 데이터가 입력되었습니다.\n쉼표로 나눈 값이 세 개가 아닌 1 줄은 건너뛰었습니다.")},
         2},
        {control,
         false,
         true,
         {plainBox("1 개의 데이터가 입력되었습니다.\n쓸 수 없는 문자(NUL, 0x02, 0x04)가 들어 있는 2 건은 "
                   "건너뛰었습니다.\n전화번호가 올바르지 않은 1 건은 건너뛰었습니다.")},
         3},
        {dataPath("excel/addresses.xlsx"),
         false,
         true,
         {plainBox("3 개의 데이터가 입력되었습니다.\n전화번호가 없는 1 행은 건너뛰었습니다.")},
         6},
    };
    dialogs.sheet = 1;
    for (const Case& c : cases) {
        notifier.clear();
        server.faults().set("setaddrdata.jsp",
                            c.fault ? qbs::FaultRule(qbs::WebFault::ServerError) : qbs::FaultRule());
        dialogs.file = c.file;
        const std::string what = c.file.value_or("(cancelled)");
        EXPECT_EQ(importAddressFile(model, dialogs, progress), c.closes) << what;
        EXPECT_EQ(notifier.shown(), c.shown) << what;
        EXPECT_EQ(model.table().rowCount(), c.entries) << what;
        EXPECT_LE(progress.last, 0) << what; // the bar is back at the start
    }
    EXPECT_EQ(
        remote(),
        (Strings{"친구:a:01000000101:2024-03-05 14:07:09", "친구:b:01000000102:2024-03-05 14:07:09",
                 "친구:c:01000000103:2024-03-05 14:07:09", "친구:홍길동:01011112222:2024-03-05 14:07:09",
                 "친구:Kim:01033334444:2024-03-05 14:07:09", "친구::01055556666:2024-03-05 14:07:09"}));

    // Logged out: the dialog closes before a file is asked for.
    notifier.clear();
    login.loggedIn = false;
    const int asked = dialogs.filesAsked;
    EXPECT_TRUE(importAddressFile(model, dialogs, progress));
    EXPECT_EQ(notifier.shown(), Shown{errorBox("로그인이 되어 있지 않습니다.")});
    EXPECT_EQ(dialogs.filesAsked, asked);
}

} // namespace
} // namespace qb::test
