#include "import/TextImport.h"
#include "FormTestSupport.h"

#include <gtest/gtest.h>

using namespace qb;
using namespace qb::test;

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

// The messages shown, each without the file's path and line break before it.
Strings messagesAfterPath(const FormFixture& f) {
    Strings texts = f.notifier.texts();
    for (std::string& t : texts)
        t = t.substr(t.find('\n') + 1);
    return texts;
}

std::string replacedNote(const std::string& encoding) {
    return encoding + " 화일에서 CP949로 바꿀 수 없는 글자 1개를 '?'로 바꾸었습니다.";
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

// The lines (CSV: records) where a '?' stands for a character CP949 lacks, the
// file read whole or in two parts.
TEST(TextImport, LinesWithReplacedCharactersAreNoted) {
    const std::string smile = "\xF0\x9F\x98\x80";
    const struct Case {
        bool csv;
        std::string text;
        std::vector<std::size_t> lines;
    } cases[] = {
        {false, "\xEA\xB0\x80?\r\n" + smile + "\r\nb\r\nc" + smile + smile + "\n", {1, 3}},
        {true, "\"\xEA\xB0\x80\n" + smile + "\",1\nb?,2\n" + smile + ",3\n", {0, 2}},
        {false, std::string(1500, 'x') + smile + "\n", {1}}, // in the second piece of a long line
    };
    for (const Case& c : cases)
        for (std::size_t at = 0; at <= c.text.size(); ++at) {
            if (at > 0 && at < c.text.size() && c.text[at - 1] != '\n')
                continue;
            ImportLines lines(c.csv);
            lines.appendFile(c.text.substr(0, at), c.text.substr(at));
            EXPECT_EQ(lines.replacedLines(), c.lines) << c.text << " at " << at;
        }
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
        const std::size_t replacedOnce = once.appendFile(whole).unmappable;
        const Strings want = linesOf(once);
        for (std::size_t at = 0; at <= whole.size(); ++at) {
            if (at > 0 && whole[at - 1] != '\n' && at < whole.size())
                continue;
            ImportLines parts;
            EXPECT_EQ(parts.appendFile(whole.substr(0, at), whole.substr(at)).unmappable, replacedOnce) << at;
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

// UTF-8 files are converted, CP949 files taken as they are, also those that are
// valid UTF-8 too.
TEST(TextImport, Utf8FilesAreConvertedAndCp949FilesTakenAsTheyAre) {
    const std::string syllables = syllablesThatLookLikeUtf8();
    ASSERT_EQ(syllables.size(), 2u * 345);
    ASSERT_TRUE(cp949::isValidUtf8(syllables));
    const std::string bom = "\xEF\xBB\xBF";
    struct Case {
        const char* name;
        std::string content;
        std::string cell; // CP949
        Strings messages; // after the file's path
    } cases[] = {
        {"cp949", ko("홍길동,1\n"), ko("홍길동"), {}},
        {"utf-8 hangul", "홍길동,1\n", ko("홍길동"), {}},
        {"utf-8 with bom", bom + "abc,1\n", "abc", {}},
        {"unmappable", bom + "😀가,1\n", "?" + ko("가"), {replacedNote("UTF-8")}},
        {"all 345", syllables + ",1\n", syllables, {}},
        {"홍채", ko("홍채,1\n"), ko("홍채"), {}},
        {"첸 among ASCII", ko("Mr 첸,1\n"), ko("Mr 첸"), {}},
        {"utf-8 korean", "홍채 첸,1\n", ko("홍채 첸"), {}},
        // Valid UTF-8 without Hangul that CP949 cannot read: an ellipsis.
        {"utf-8 punctuation", "a\xE2\x80\xA6" + std::string("b,1\n"), ko("a…b"), {}},
    };
    for (const Case& c : cases) {
        FormFixture f;
        importWith(f, ",", {c.content});
        EXPECT_EQ(f.state().table.text(1, 1), c.cell) << c.name;
        EXPECT_EQ(messagesAfterPath(f), c.messages) << c.name;
    }
}

TEST(TextImport, MessagesNameTheFileReadably) {
    FormFixture f;
    f.state().delimiterField = ",";
    const std::string path = f.dir.write("목록/명단.txt", "\xEF\xBB\xBF😀,1\n");
    f.form.imports().importTextPaths({path});
    EXPECT_EQ(f.notifier.texts(), Strings{path + "\n" + replacedNote("UTF-8")});
}

TEST(TextImport, ProgressCoversTheLinesAndReturnsToZero) {
    FormFixture f;
    importWith(f, ",", {"a\nb\nc\n", "d\n"});
    EXPECT_EQ(f.progress.ranges, (std::vector<std::int64_t>{3, 1}));
    EXPECT_EQ(f.progress.value, 0);
}

// The fields as Python's csv module reads them (csv.reader, strict=True, files opened
// with newline=''): RFC 4180's cases, then lines as Excel, LibreOffice and Google
// Sheets write them. A refused file names its line and leaves the table as it was.
TEST(TextImport, CsvReadsQuotedFieldsAsPythonsCsvModule) {
    struct Case {
        const char* name;
        std::string content;
        Rows rows; // UTF-8
        const char* refusal = nullptr;
    } cases[] = {
        {"crlf inside quotes", "\"l1\r\nl2\",x\r\ny,z\r\n", {{"l1\r\nl2", "x"}, {"y", "z"}}},
        {"empty fields", "a,,b\n,\n", {{"a", "", "b"}, {"", ""}}},
        {"no trailing newline", "a,b\r\nc,\"d\"", {{"a", "b"}, {"c", "d"}}},
        {"quote in unquoted field", "a\"b,c\"\"\n", {{"a\"b", "c\"\""}}},
        {"empty quoted, empty line", "\"\",x\n\n\" y \", \"z\"\n", {{"", "x"}, {}, {" y ", " \"z\""}}},
        {"excel cp949",
         ko("010-1234-5678,홍길동,\"서울시, 강남구\"\r\n01022223333,김영희,\r\n"),
         {{"010-1234-5678", "홍길동", "서울시, 강남구"}, {"01022223333", "김영희", ""}}},
        {"excel utf-8 bom",
         "\xEF\xBB\xBF"
         "010-1234-5678,홍길동,\"서울시, 강남구\"\r\n",
         {{"010-1234-5678", "홍길동", "서울시, 강남구"}}},
        {"libreoffice",
         "01012345678,김철수,\"메모 \"\"중요\"\"\"\n01098765432,박민수,\n",
         {{"01012345678", "김철수", "메모 \"중요\""}, {"01098765432", "박민수", ""}}},
        {"google sheets",
         "01011112222,이영희,\"첫줄\n둘째줄\"\r\n01033334444,최지훈,일반\r\n",
         {{"01011112222", "이영희", "첫줄\n둘째줄"}, {"01033334444", "최지훈", "일반"}}},
        {"unclosed quote", "a\r\nb,\"c\nd\n", {}, "2행의 따옴표가 닫히지 않았습니다. 확인바랍니다."},
        {"text after a closing quote",
         "x\n\"a\"b,c\n",
         {},
         "2행의 닫는 따옴표 뒤에 쉼표가 없습니다. 확인바랍니다."},
        {"record of 1023 bytes", "\"" + std::string(1020, 'a') + "\n\"\n", {{std::string(1020, 'a') + "\n"}}},
        {"record over 1023 bytes",
         "x\n\"" + std::string(1021, 'a') + "\n\"\n",
         {},
         "2행에서 시작하는 행이 1023바이트를 넘습니다. 확인바랍니다."},
    };
    for (Case& c : cases) {
        FormFixture f;
        f.loadRows({{"01011112222"}});
        importWith(f, "CSV", {c.content});
        if (c.refusal) {
            EXPECT_EQ(f.notifier.texts(), Strings{f.dir.file("in0.txt") + "\n" + c.refusal}) << c.name;
            EXPECT_EQ(dataRows(f), (Rows{{"01011112222", ""}})) << c.name;
            continue;
        }
        std::size_t width = 0;
        for (const Strings& row : c.rows)
            width = std::max(width, row.size());
        for (Strings& row : c.rows)
            row.resize(width);
        EXPECT_EQ(dataRows(f), c.rows) << c.name;
        EXPECT_TRUE(f.notifier.shown().empty()) << c.name;
    }
}

// UTF-16 files with their mark are read as such, either byte order; without one only
// when chosen, as little-endian. A file whose lines mix UTF-8 and CP949 is refused
// unless its encoding is chosen.
TEST(TextImport, EncodingsFoundOrChosen) {
    const auto utf16 = [](bool big, bool mark) {
        std::string out = mark ? (big ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (const char16_t c : std::u16string(u"\uD55C\uAE00,1\r\n\U0001F600,2\n")) {
            const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
            out += big ? std::string{hi, lo} : std::string{lo, hi};
        }
        return out;
    };
    const std::string mixed = "a,1\n\xED\x95\x9C,2\n" + ko("한,3\n글,4\n");
    const Rows read16{{"한글", "1"}, {"?", "2"}};
    const struct Case {
        std::string content;
        int encoding; // the chooser's item
        Rows rows;
        std::string used, message; // the message after the file's path
    } cases[] = {
        {utf16(false, true), 0, read16, "UTF-16 LE", replacedNote("UTF-16 LE")},
        {utf16(true, true), 0, read16, "UTF-16 BE", replacedNote("UTF-16 BE")},
        {utf16(false, false), 3, read16, "UTF-16 LE", replacedNote("UTF-16 LE")}, // chosen, no mark
        {mixed,
         0,
         {{"01011112222", ""}},
         "",
         "UTF-8 줄(2행)과 CP949 줄(3행)이 섞여 있습니다. 인코딩을 골라 다시 불러오세요."},
        {mixed, 2, {{"a", "1"}, {"한", "3"}, {"글", "4"}}, "CP949", ""},
    };
    for (const Case& c : cases) {
        FormFixture f;
        f.loadRows({{"01011112222"}});
        f.state().encodingList.select(c.encoding);
        importWith(f, ",", {c.content});
        Rows rows = dataRows(f);
        SCOPED_TRACE(&c - cases);
        if (c.encoding == 2) { // CP949 chosen: the UTF-8 line's bytes stay as they are
            EXPECT_EQ(f.state().table.text(2, 1), "\xED\x95\x9C");
            rows.erase(rows.begin() + 1);
        }
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(f.state().encodingUsed, c.used);
        EXPECT_EQ(messagesAfterPath(f), c.message.empty() ? Strings{} : Strings{c.message});
    }
}
