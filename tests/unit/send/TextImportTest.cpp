#include "import/TextImport.h"
#include "FormTestSupport.h"

#include <gtest/gtest.h>

using namespace qb;
using namespace qb::test;

using Strings = std::vector<std::string>;
using Rows = std::vector<Strings>;

namespace {

// Every data row's cells from column 1 to the last column, as UTF-8.
Rows dataRows(const FormFixture& f) {
    Rows rows;
    const RecipientTable& t = f.form.state().table;
    for (int r = 1; r < t.rowCount(); ++r) {
        Strings row;
        for (int c = 1; c < t.columnCount(); ++c)
            row.push_back(f.cell(r, c));
        rows.push_back(row);
    }
    return rows;
}

void importWith(FormFixture& f, const std::string& delimiterField, const std::vector<std::string>& contents) {
    f.state().delimiterField = delimiterField;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < contents.size(); ++i)
        paths.push_back(f.dir.write("in" + std::to_string(i) + ".txt", contents[i]));
    f.dialogs.textFiles.push_back(paths);
    f.form.imports().importTextFiles();
}

} // namespace

TEST(TextImport, DelimiterSetRules) {
    EXPECT_EQ(delimiterSet("Tab"), "\t");
    EXPECT_EQ(delimiterSet(",;"), ",;");
    EXPECT_EQ(delimiterSet("tab"), "tab");
    EXPECT_EQ(delimiterSet(""), "");
}

TEST(TextImport, ColumnModeSplitsAtRunsOfSeparatorBytes) {
    struct Case {
        const char* name;
        std::string field;
        std::string content;
        Rows rows;
    } cases[] = {
        {"edges and runs", ",", ",a,,b,\n", {{"a", "b"}}},
        {"two delimiters", ",;", "a,b;c\n", {{"a", "b", "c"}}},
        {"tab", "Tab", "a\tb c,d\n", {{"a", "b c,d"}}},
        {"empty line keeps its row", ",", "a,b\n\nc\n", {{"a", "b"}, {"", ""}, {"c", ""}}},
        {"no trim, no quotes", ",", " \"x\" ,y\n", {{" \"x\" ", "y"}}},
        {"crlf reads as lf, lone cr stays", ",", "a,b\r\nc\rd,e\r\n", {{"a", "b"}, {"c\rd", "e"}}},
        {"last line without break", "|", "1|2\n3|4", {{"1", "2"}, {"3", "4"}}},
    };
    for (const Case& c : cases) {
        FormFixture f;
        importWith(f, c.field, {c.content});
        EXPECT_EQ(dataRows(f), c.rows) << c.name;
        EXPECT_TRUE(f.notifier.shown().empty()) << c.name;
    }
}

TEST(TextImport, ColumnModeStoresTenFieldsAndSizesTheTableByTheWidestLine) {
    FormFixture f;
    importWith(f, ",", {"1,2,3,4,5,6,7,8,9,10,11,12\nx\n"});
    const RecipientTable& t = f.state().table;
    EXPECT_EQ(t.columnCount(), 13);
    EXPECT_EQ(f.cell(1, 10), "10");
    EXPECT_EQ(f.cell(1, 11), "");
    EXPECT_EQ(f.cell(0, 10), "10 열");
    EXPECT_EQ(f.cell(0, 11), "");
    EXPECT_EQ(f.cell(0, 0), " 번 호 ");
    EXPECT_EQ(t.background(0, 1), colours::header);
    EXPECT_EQ(t.background(0, 2), std::nullopt);
    EXPECT_EQ(f.state().numberColumn.items.size(), 11u);
    EXPECT_EQ(cp949::toUtf8(f.state().mergeColumn[0].items[10]), "10 열");
    EXPECT_EQ(f.state().rangeTo, "2");

    FormFixture narrow;
    importWith(narrow, ",", {"a,b\nc\n"});
    EXPECT_EQ(narrow.state().table.columnCount(), 3);
    EXPECT_EQ(narrow.state().numberColumn.items.size(), 11u);
}

TEST(TextImport, ColumnModeRefusesAFileWithoutAFirstField) {
    const char* contents[] = {"", "\nabc\n", ",,,\nabc\n"};
    for (const char* content : contents) {
        FormFixture f;
        f.loadRows({{"01011112222"}});
        importWith(f, ",", {content});
        EXPECT_EQ(f.notifier.shown(),
                  std::vector<Shown>{errorBox("화일포맷이 잘못되었습니다. 확인바랍니다.")});
        EXPECT_EQ(f.state().table.rowCount(), 2);
        EXPECT_EQ(f.cell(0, 0), " 번호 ");
        EXPECT_EQ(f.progress.value, 0);
        EXPECT_EQ(f.state().rangeTo, "1"); // range fields untouched
    }
}

TEST(TextImport, SingleColumnModeTakesWholeLines) {
    FormFixture f;
    importWith(f, "", {"010 1234,5678\n\nlast"});
    EXPECT_EQ(dataRows(f), (Rows{{"010 1234,5678"}, {" "}, {"last"}}));
    EXPECT_EQ(f.headers(), (Strings{" 번 호 ", " 1 열 "}));
    EXPECT_EQ(f.state().table.columnWidth(1), 100);
    EXPECT_EQ(f.state().numberColumn.items.size(), 2u);
    EXPECT_EQ(f.state().rangeFrom, "1");
    EXPECT_EQ(f.state().rangeTo, "3");
}

TEST(TextImport, LongLinesAreCutInto1023BytePieces) {
    const std::string hangul = ko("가");
    struct Case {
        const char* name;
        std::string line;
        std::vector<std::size_t> pieces;
    } cases[] = {
        {"1500 bytes", std::string(1500, 'a'), {1023, 477}},
        {"exactly 1023", std::string(1023, 'a'), {1023}},
        {"1024", std::string(1024, 'a'), {1023, 1}},
        {"2046", std::string(2046, 'a'), {1023, 1023}},
        // 1022 ASCII bytes then a Hangul syllable: the cut moves before it.
        {"no half character", std::string(1022, 'a') + hangul + "b", {1022, 3}},
    };
    for (const Case& c : cases) {
        FormFixture f;
        importWith(f, "", {c.line + "\nnext\n"});
        std::vector<std::size_t> sizes;
        for (int r = 1; r < f.state().table.rowCount() - 1; ++r)
            sizes.push_back(f.state().table.text(r, 1).size());
        EXPECT_EQ(sizes, c.pieces) << c.name;
        EXPECT_EQ(f.cell(f.state().table.rowCount() - 1, 1), "next") << c.name;
    }
}

// A cursor started at any line reads what one walked from the start reads there:
// across marks, files and long lines cut into pieces.
TEST(TextImport, CursorsStartAnywhere) {
    ImportLines lines;
    std::string a, b;
    for (int i = 0; i < 9000; ++i)
        a += (i % 1000 == 7 ? std::string(2500, 'x') : "a" + std::to_string(i)) + "\n";
    for (int i = 0; i < 9000; ++i)
        b += "b" + std::to_string(i) + "\n";
    lines.appendFile(a);
    lines.appendFile("");
    lines.appendFile(b);
    std::vector<std::string_view> walked;
    ImportLines::Cursor all(lines);
    for (std::string_view line; all.next(line);)
        walked.push_back(line);
    ASSERT_EQ(walked.size(), 18000u + 9 * 2); // nine long lines in three pieces each
    std::string_view line;
    for (std::size_t first : {0, 1, 8191, 8192, 8193, 9017, 9018, 16384, 16385, 18017})
        EXPECT_TRUE(ImportLines::Cursor(lines, first).next(line) && line == walked[first]) << first;
    EXPECT_FALSE(ImportLines::Cursor(lines, walked.size()).next(line));
}

// A file in two parts, the second after any line break, reads as the whole file:
// its encoding decided over both parts. A big file is read so from disk.
TEST(TextImport, AFileInTwoPartsReadsAsAWhole) {
    const auto linesOf = [](ImportLines& lines) {
        Strings out;
        ImportLines::Cursor c(lines);
        for (std::string_view line; c.next(line);)
            out.emplace_back(line);
        return out;
    };
    const std::string cp949 = ko("홍길동");
    const std::string contents[] = {
        "01011112222,a\r\n01033334444,b\r\n\r\n0105,c",
        "ascii first\nthen \xEA\xB0\x80 in UTF-8 last\n", // the second part decides
        "\xEF\xBB\xBF"
        "bom\nline \xEC\x95\x88\n\xEF\xBB\xBFnot a bom\n", // only the file's start is one
        "cp949 " + cp949 + "\nand more " + cp949 + "\n",
        std::string(1500, 'x') + "\n" + std::string(2100, 'y') + "\n",
    };
    for (const std::string& whole : contents) {
        ImportLines once;
        const std::size_t replacedOnce = once.appendFile(whole);
        const Strings want = linesOf(once);
        for (std::size_t at = 0; at <= whole.size(); ++at) {
            if (at > 0 && whole[at - 1] != '\n' && at < whole.size())
                continue;
            ImportLines parts;
            EXPECT_EQ(parts.appendFile(whole.substr(0, at), whole.substr(at)), replacedOnce) << at;
            ASSERT_EQ(linesOf(parts), want) << whole << " at " << at;
            ASSERT_EQ(parts.size(), once.size());
        }
    }

    // Eight megabytes and more: read in two parts, the middle inside a line.
    FormFixture f;
    std::string big;
    for (int i = 0; big.size() < (std::size_t{9} << 20); ++i)
        big += "010" + std::to_string(10000000 + i) + "," + cp949 + std::to_string(i) + "\r\n";
    big += std::string(3000, 'z'); // a last line without a break, cut in pieces
    // The middle inside a line, whose rest the first part must take.
    while (big[big.size() / 2] == '\r' || big[big.size() / 2] == '\n' || big[big.size() / 2 - 1] == '\n')
        big.insert(big.begin(), '0');
    ImportLines fromDisk, once;
    ASSERT_TRUE(readLines(f.dir.write("big.txt", big), fromDisk, f.notifier, f.progress));
    once.appendFile(big);
    EXPECT_EQ(linesOf(fromDisk), linesOf(once));
}

TEST(TextImport, SeveralFilesInOrderAndFailuresOnTheWay) {
    FormFixture f;
    f.state().delimiterField = ",";
    const std::string a = f.dir.write("a.txt", "1,a\n2,b\n");
    const std::string b = f.dir.write("sub/b.txt", "3,c\n");
    f.dialogs.textFiles.push_back(std::vector<std::string>{a, f.dir.file("missing.txt"), b});
    f.form.imports().importTextFiles();
    EXPECT_EQ(dataRows(f), (Rows{{"1", "a"}, {"2", "b"}, {"3", "c"}}));
    EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{errorBox("화일경로가 존재하지 않습니다.")});
    EXPECT_EQ(f.state().textFileName, "b.txt");

    // The next dialog offers the remembered name; an empty path stops everything.
    f.notifier.clear();
    f.dialogs.textFiles.push_back(std::vector<std::string>{a, ""});
    f.form.imports().importTextFiles();
    EXPECT_EQ(f.dialogs.initialNames.back(), "b.txt");
    EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{errorBox("화일경로   가 존재하지 않습니다.")});
    EXPECT_EQ(f.state().table.rowCount(), 4);

    // Cancel: nothing happens.
    f.notifier.clear();
    f.form.imports().importTextFiles();
    EXPECT_TRUE(f.notifier.shown().empty());
    EXPECT_EQ(f.state().table.rowCount(), 4);

    f.state().delimiterList.selected = -1;
    f.form.imports().importTextFiles();
    EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{errorBox("구분자를 먼저 선택해주세요!")});
}

TEST(TextImport, DelimiterListFillsTheField) {
    FormFixture f;
    const std::pair<int, const char*> cases[] = {{5, "Tab"}, {1, ","}, {0, ""}, {4, "|"}};
    for (const auto& [index, field] : cases) {
        f.state().delimiterList.select(index);
        f.form.imports().onDelimiterChosen();
        EXPECT_EQ(f.state().delimiterField, field);
    }
}

TEST(TextImport, Utf8FilesAreConvertedAndCp949FilesTakenAsTheyAre) {
    struct Case {
        const char* name;
        std::string content;
        std::string cell; // CP949
        Strings messages;
    } cases[] = {
        {"cp949", ko("홍길동,1\n"), ko("홍길동"), {}},
        {"utf-8 hangul", "홍길동,1\n", ko("홍길동"), {}},
        {"utf-8 with bom",
         "\xEF\xBB\xBF"
         "abc,1\n",
         "abc",
         {}},
        {"unmappable",
         "\xEF\xBB\xBF😀가,1\n",
         "?" + ko("가"),
         {"\nUTF-8 화일에서 CP949로 바꿀 수 없는 글자 1개를 '?'로 바꾸었습니다."}},
    };
    for (const Case& c : cases) {
        FormFixture f;
        importWith(f, ",", {c.content});
        EXPECT_EQ(f.state().table.text(1, 1), c.cell) << c.name;
        Strings texts = f.notifier.texts();
        for (auto& t : texts)
            t = t.substr(t.find('\n'));
        EXPECT_EQ(texts, c.messages) << c.name;
    }
}

// The CP949 syllables whose two bytes are also a valid UTF-8 sequence (lead C2..DF,
// trail 80..BF): 345 of them, among them 홍, 채, 천, 첸.
std::string syllablesThatLookLikeUtf8() {
    std::string all;
    for (char32_t cp = 0xAC00; cp <= 0xD7A3; ++cp) {
        const char utf8[] = {static_cast<char>(0xE0 | (cp >> 12)),
                             static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                             static_cast<char>(0x80 | (cp & 0x3F))};
        const std::string b = ko(std::string_view(utf8, 3));
        const auto lead = static_cast<unsigned char>(b[0]), trail = static_cast<unsigned char>(b[1]);
        if (lead >= 0xC2 && lead <= 0xDF && trail >= 0x80 && trail <= 0xBF)
            all += b;
    }
    return all;
}

TEST(TextImport, Cp949FilesThatAreAlsoValidUtf8StayCp949) {
    const std::string syllables = syllablesThatLookLikeUtf8();
    ASSERT_EQ(syllables.size(), 2u * 345);
    ASSERT_TRUE(cp949::isValidUtf8(syllables));
    struct Case {
        const char* name;
        std::string content;
        std::string cell; // CP949
    } cases[] = {
        {"all 345", syllables + ",1\n", syllables},
        {"홍채", ko("홍채,1\n"), ko("홍채")},
        {"첸 among ASCII", ko("Mr 첸,1\n"), ko("Mr 첸")},
        {"utf-8 korean", "홍채 첸,1\n", ko("홍채 첸")},
        // Valid UTF-8 without Hangul that CP949 cannot read: an ellipsis.
        {"utf-8 punctuation",
         "a\xE2\x80\xA6"
         "b,1\n",
         ko("a…b")},
    };
    for (const Case& c : cases) {
        FormFixture f;
        importWith(f, ",", {c.content});
        EXPECT_EQ(f.state().table.text(1, 1), c.cell) << c.name;
        EXPECT_TRUE(f.notifier.shown().empty()) << c.name;
    }
}

TEST(TextImport, MessagesNameTheFileReadably) {
    FormFixture f;
    f.state().delimiterField = ",";
    const std::string path = f.dir.write("목록/명단.txt", "\xEF\xBB\xBF😀,1\n");
    f.form.imports().importTextPaths({path});
    ASSERT_EQ(f.notifier.texts().size(), 1u);
    EXPECT_EQ(f.notifier.texts()[0],
              path + "\nUTF-8 화일에서 CP949로 바꿀 수 없는 글자 1개를 '?'로 바꾸었습니다.");
}

TEST(TextImport, ProgressCoversTheLinesAndReturnsToZero) {
    FormFixture f;
    importWith(f, ",", {"a\nb\nc\n", "d\n"});
    EXPECT_EQ(f.progress.ranges, (std::vector<std::int64_t>{3, 1}));
    EXPECT_EQ(f.progress.value, 0);
}
