#include "FormTestSupport.h"
#include "import/CellText.h"
#include "import/ExcelAutomation.h"
#include "import/WorkbookReader.h"
#include "support/XlsxBuilder.h"

#include <gtest/gtest.h>

#include <optional>

using namespace qb;
using namespace qb::test;

using Rows = std::vector<Strings>;

namespace {

Rows rangeRows(const UsedRange& range) {
    Rows rows;
    for (int r = 1; r <= range.rows; ++r) {
        Strings row;
        for (int c = 1; c <= range.columns; ++c)
            row.push_back(cp949::toUtf8(range.value(r, c)));
        rows.push_back(row);
    }
    return rows;
}

// The range as ExcelAutomation::readRange gives it, row by row.
struct StreamedRows final : RangeRowTarget {
    int rowCount = -1, columns = 0;
    Rows rows;
    void begin(int r, int c, std::size_t) override {
        EXPECT_EQ(rowCount, -1) << "begun twice";
        rowCount = r;
        columns = c;
    }
    void row(int r, std::span<std::string_view> cells) override {
        EXPECT_EQ(r, static_cast<int>(rows.size()) + 1);
        EXPECT_TRUE(cells[0].empty());
        EXPECT_LE(cells.size(), static_cast<std::size_t>(columns) + 1);
        EXPECT_TRUE(cells.size() == 1 || !cells.back().empty()) << "a trailing empty cell";
        Strings row(static_cast<std::size_t>(columns));
        for (std::size_t j = 1; j < cells.size() && j <= row.size(); ++j)
            row[j - 1] = cp949::toUtf8(cells[j]);
        rows.push_back(row);
    }
};

// A sheet's used range read whole and read row by row, which must agree; nullopt
// when both refuse it.
std::optional<Rows> sheetRows(ExcelAutomation& excel, int sheet) {
    UsedRange range;
    const bool whole = excel.usedRange(sheet, range);
    StreamedRows streamed;
    const bool byRows = excel.readRange(sheet, streamed);
    EXPECT_EQ(whole, byRows) << "sheet " << sheet;
    if (!whole || !byRows)
        return std::nullopt;
    Rows rows = rangeRows(range);
    EXPECT_EQ(streamed.rowCount, range.rows);
    EXPECT_EQ(streamed.columns, range.columns);
    EXPECT_EQ(streamed.rows, rows) << "sheet " << sheet;
    return rows;
}

const Strings kHeader{"이름", "전화번호", "숫자번호", "날짜", "일시", "동의", "금액", "오류"};

} // namespace

TEST(ExcelAutomation, ReadsTheUsedRangeOfEachSheetAsDisplayTexts) {
    // Sheet 1, used range from C5; the last row holds formula results, a boolean
    // formula being a number with a TRUE/FALSE format.
    const Rows rows{kHeader,
                    {"홍길동", "01012345678", "1012345678", "2024-03-05", "2024-03-05 14:30:00", "TRUE",
                     "3.5", "#DIV/0!"},
                    {"김철수", "010-9876-5432", "", "1999-12-31", "2000-01-01 00:00:01", "FALSE", "-42",
                     "123456789012345"},
                    {"Lee & \"Park\"", "0.0001", "1E+20", "0.1", "", "", "", "끝"}};
    const auto withFormulas = [&](const char* text) {
        Rows all = rows;
        all.push_back({"2", text, "1", "0", "#N/A", "", "", ""});
        return all;
    };
    // The writer kept 0 as the cached result of the text formula in .xls.
    const struct Case {
        const char* file;
        Rows rows;
    } cases[] = {{"excel/recipients.xlsx", withFormulas("01055551234")},
                 {"excel/recipients.xls", withFormulas("0")}};
    for (const Case& c : cases) {
        ExcelAutomation excel;
        ASSERT_EQ(excel.open(dataPath(c.file)), 0) << c.file;
        ASSERT_EQ(excel.sheetCount(), 3);
        EXPECT_EQ(cp949::toUtf8(excel.sheetName(1)), "수신자");
        EXPECT_EQ(excel.sheetName(2), "Sheet2");
        EXPECT_EQ(cp949::toUtf8(excel.sheetName(3)), "빈 시트");
        EXPECT_EQ(excel.sheetName(4), "");

        EXPECT_EQ(sheetRows(excel, 1), c.rows) << c.file;
        EXPECT_EQ(sheetRows(excel, 2), Rows{{"only"}});
        EXPECT_EQ(sheetRows(excel, 3), Rows{{""}});
        EXPECT_EQ(sheetRows(excel, 4), std::nullopt);
        excel.quit();
        EXPECT_EQ(excel.sheetCount(), 0);
    }
}

TEST(ExcelAutomation, KeepsEverySheetName) {
    for (const char* file : {"excel/many-sheets.xlsx", "excel/many-sheets.xls"}) {
        ExcelAutomation excel;
        ASSERT_EQ(excel.open(dataPath(file)), 0);
        ASSERT_EQ(excel.sheetCount(), 22);
        EXPECT_EQ(cp949::toUtf8(excel.sheetName(22)), "시트22");
        EXPECT_EQ(sheetRows(excel, 21), Rows{{"21"}});
    }
}

TEST(ExcelAutomation, RefusesWhatIsNotAReadableWorkbook) {
    TempDir dir;
    const std::string files[] = {
        dataPath("excel/truncated.xlsx"),
        dataPath("excel/truncated.xls"),
        // makes libfreexl 1.0.6 read past a buffer; found by fuzzing
        dataPath("excel/freexl-overread.xls"),
        dir.write("text.xlsx", "01012345678\n"),
        dir.write("empty.xls", ""),
        dir.write("zip.xlsx", std::string("PK\x03\x04", 4) + std::string(100, '\0')),
        dir.file("missing.xlsx"),
        dir.mkdir("folder.xlsx"),
    };
    for (const std::string& file : files) {
        ExcelAutomation excel;
        EXPECT_LT(excel.open(file), 0) << file;
        EXPECT_EQ(excel.sheetCount(), 0);
    }
}

TEST(ExcelAutomation, DropsRowsAndCellsPastTheSheetsEnd) {
    TempDir dir;
    const std::string path = test::writeXlsx(
        dir.file("edge.xlsx"),
        {{"Sheet1",
          "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>01012345678</t></is></c>"
          "<c r=\"B1\"><v>0.30000000000000004</v></c></row>"
          "<row r=\"2\"><c t=\"s\"><v>0</v></c><c r=\"XFE2\"><v>9</v></c><c r=\"B1048577\"><v>8</v></c></row>"
          "<row r=\"1048577\"><c r=\"A1048577\" t=\"inlineStr\"><is><t>past the end</t></is></c></row>"
          "<row r=\"99999999999999999999\"><c t=\"inlineStr\"><is><t>far past</t></is></c></row>"
          "<row><c t=\"inlineStr\"><is><t>after them</t></is></c></row>"}},
        {"  "});
    ExcelAutomation excel;
    ASSERT_EQ(excel.open(path), 0);
    EXPECT_EQ(sheetRows(excel, 1), (Rows{{"01012345678", "0.3"}, {"  ", ""}}));
}

// The range is framed by the cells holding a value, wherever they are; a workbook
// whose cells come in order is given row by row as it is read, any other is put in
// order first.
TEST(ExcelAutomation, FramesTheRangeByTheCellsHoldingAValue) {
    const auto text = [](const std::string& ref, const std::string& t) {
        return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + t + "</t></is></c>";
    };
    const auto shared = [](const std::string& ref, int i) {
        return "<c r=\"" + ref + "\" t=\"s\"><v>" + std::to_string(i) + "</v></c>";
    };
    const struct {
        const char* name;
        std::string cells;
        Rows rows;
    } cases[] = {
        {"in order from C5, a row and cells left out",
         "<row r=\"5\">" + text("C5", "a") + text("E5", "b") + "</row><row r=\"7\">" + text("D7", "c") +
             "</row>",
         {{"a", "", "b"}, {"", "", ""}, {"", "c", ""}}},
        {"rows out of order, a cell written twice",
         "<row r=\"3\">" + text("B3", "c") + "</row><row r=\"2\">" + text("C2", "b") + text("A2", "a") +
             text("C2", "b2") + "</row>",
         {{"a", "", "b2"}, {"", "c", ""}}},
        {"empty texts at the edges do not count",
         "<row r=\"1\">" + shared("A1", 0) + "</row><row r=\"2\">" + shared("B2", 1) + shared("D2", 0) +
             shared("E2", 9) + "</row><row r=\"3\">" + shared("F3", 0) + "</row>",
         {{"x"}}},
        {"no values", "<row r=\"4\">" + shared("B4", 0) + "</row>", {{""}}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        ExcelAutomation excel;
        ASSERT_EQ(excel.open(test::writeXlsx(dir.file("f.xlsx"), {{"S", c.cells}}, {"", "x"})), 0) << c.name;
        EXPECT_EQ(sheetRows(excel, 1), c.rows) << c.name;
    }
}

// Sheets are read by a quick reader of plain XML, and by expat when it meets
// anything else; either way the cells, and the refusals, are those of XML.
TEST(ExcelAutomation, ReadsEveryWellFormedSheetAndRefusesTheRest) {
    const std::string ns = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const auto sheet = [&](const std::string& cells, const std::string& prolog = "<?xml version=\"1.0\"?>") {
        return prolog + "<worksheet xmlns=\"" + ns + "\"><sheetData>" + cells + "</sheetData></worksheet>";
    };
    const auto inlineCell = [](const std::string& attributes, const std::string& text) {
        return "<row><c" + attributes + " t=\"inlineStr\"><is><t>" + text + "</t></is></c></row>";
    };
    struct Case {
        const char* name;
        std::string part;
        std::optional<Rows> rows; // nullopt: refused
    } cases[] = {
        {"entities", sheet(inlineCell("", "a&amp;b &lt;&#54620;&#xAE00;&gt; &quot;&apos;")),
         Rows{{"a&b <한글> \"'"}}},
        {"line ends", sheet(inlineCell("", "x\r\ny\rz\tw")), Rows{{"x\ny\nz\tw"}}},
        {"attribute spelling",
         sheet("<row r = '2' ><c\tr='B2'\nt = \"inlineStr\" ><is><t>b</t></is></c></row>"), Rows{{"b"}}},
        {"empty elements and text split by tags",
         sheet("<row><c/><c t=\"inlineStr\"><is><r><t>ab</t></r><r><t>cd</t></r></is></c></row>"),
         Rows{{"abcd"}}},
        {"byte order mark and declaration",
         sheet(inlineCell("", "bom"),
               "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8' standalone=\"yes\" ?>"),
         Rows{{"bom"}}},
        {"no declaration", sheet(inlineCell("", "none"), ""), Rows{{"none"}}},
        {"comment", sheet("<!-- made by hand -->" + inlineCell("", "c")), Rows{{"c"}}},
        {"CDATA", sheet(inlineCell("", "<![CDATA[<b>&amp;]]>")), Rows{{"<b>&amp;"}}},
        {"internal entity",
         sheet(inlineCell("", "&who;"), "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY who \"홍\">]>"),
         Rows{{"홍"}}},
        {"another encoding", sheet(inlineCell("", "ascii"), "<?xml version=\"1.0\" encoding=\"US-ASCII\"?>"),
         Rows{{"ascii"}}},
        {"prefixed names",
         "<x:worksheet xmlns:x=\"" + ns +
             "\"><x:sheetData><x:row><x:c t=\"inlineStr\"><x:is><x:t>p</x:t></x:is></x:c></x:row>"
             "</x:sheetData></x:worksheet>",
         Rows{{"p"}}},
        {"a text of two megabytes", sheet(inlineCell("", std::string(2 << 20, 'x'))),
         Rows{{std::string(2 << 20, 'x')}}},
        {"instruction after the root", sheet(inlineCell("", "pi")) + "<?done?>\n", Rows{{"pi"}}},
        {"crossed tags", sheet("<row><c t=\"inlineStr\"><is><t>x</is></t></c></row>"), std::nullopt},
        {"unknown entity", sheet(inlineCell("", "&nbsp;")), std::nullopt},
        {"control character", sheet(inlineCell("", "a\x01")), std::nullopt},
        {"broken UTF-8", sheet(inlineCell("", "\xC3\x28")), std::nullopt},
        {"U+FFFE", sheet(inlineCell("", "\xEF\xBF\xBE")), std::nullopt},
        {"character reference to NUL", sheet(inlineCell("", "&#0;")), std::nullopt},
        {"duplicate attribute", sheet(inlineCell(" r=\"A1\" r=\"B1\"", "d")), std::nullopt},
        {"no space between attributes", sheet(inlineCell(" r=\"A1\"s=\"0\"", "d")), std::nullopt},
        {"'<' in a value", sheet(inlineCell(" r=\"A<1\"", "d")), std::nullopt},
        {"]]> in text", sheet(inlineCell("", "a]]>b")), std::nullopt},
        {"second root", sheet(inlineCell("", "a")) + "<worksheet/>", std::nullopt},
        {"text after the root", sheet(inlineCell("", "a")) + "junk", std::nullopt},
        {"cut short", sheet(inlineCell("", "a")).substr(0, 140), std::nullopt},
        {"declaration not first", " " + sheet(inlineCell("", "a")), std::nullopt},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = test::writeXlsxSheetPart(dir.file("x.xlsx"), c.part);
        ExcelAutomation excel;
        ASSERT_EQ(excel.open(path), 0) << c.name;
        EXPECT_EQ(sheetRows(excel, 1), c.rows) << c.name;
    }
}

// A sheet of megabytes comes in blocks, and tags, references and characters are
// cut where a block ends; a text longer than a block spans several; a reason to
// give up may come last, after everything else was read.
TEST(ExcelAutomation, LargeSheetsReadWholeAcrossBlocks) {
    constexpr int kRows = 60000;
    std::string cells;
    for (int r = 1; r <= kRows; ++r)
        cells += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) +
                 "\" t=\"inlineStr\"><is><t>a&amp;b\r\n한" + std::to_string(r) + "</t></is></c><c r=\"B" +
                 std::to_string(r) + "\"><v>" + std::to_string(r) + ".5</v></c></row>";
    const std::string ns = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const auto sheet = [&](const std::string& tail) {
        return "<?xml version=\"1.0\"?><worksheet xmlns=\"" + ns + "\"><sheetData>" + cells + tail +
               "</sheetData></worksheet>";
    };
    const std::string longText(600000, 'x');
    const struct {
        const char* name;
        std::string part;
        bool read;
        bool quick;          // read by the quick reader alone
        std::string lastRow; // a row after the others, when there is one
    } cases[] = {
        {"plain", sheet(""), true, true, ""},
        {"a comment at the end", sheet("<!-- end -->"), true, false, ""},
        {"a fault at the end", sheet("<row><c t=\"inlineStr\"><is><t>&bad;</t></is></c></row>"), false, false,
         ""},
        {"a text longer than a block",
         sheet("<row><c t=\"inlineStr\"><is><t>" + longText + "</t></is></c></row>"), true, true, longText},
    };
    TempDir dir;
    for (const auto& c : cases) {
        ExcelAutomation excel;
        ASSERT_EQ(excel.open(test::writeXlsxSheetPart(dir.file("big.xlsx"), c.part)), 0) << c.name;
        UsedRange range;
        const std::size_t readAgain = xlsxPartsReadAgain();
        ASSERT_EQ(excel.usedRange(1, range), c.read) << c.name;
        EXPECT_EQ(xlsxPartsReadAgain() == readAgain, c.quick) << c.name;
        if (!c.read)
            continue;
        ASSERT_EQ(range.rows, kRows + (c.lastRow.empty() ? 0 : 1)) << c.name;
        ASSERT_EQ(range.columns, 2) << c.name;
        int wrong = 0;
        for (int r = 1; r <= kRows; ++r)
            wrong += range.value(r, 1) != ko("a&b\n한") + std::to_string(r) ||
                     range.value(r, 2) != std::to_string(r) + ".5";
        EXPECT_EQ(wrong, 0) << c.name;
        if (!c.lastRow.empty()) {
            EXPECT_EQ(range.value(kRows + 1, 1), c.lastRow) << c.name;
        }
        StreamedRows streamed;
        ASSERT_TRUE(excel.readRange(1, streamed)) << c.name;
        EXPECT_TRUE(streamed.rows == rangeRows(range)) << c.name;
    }
}

// A part whose deflated bytes or checksum are damaged makes the sheet unreadable,
// whichever way it is read.
TEST(ExcelAutomation, RefusesDamagedParts) {
    std::string rows;
    std::vector<std::string> strings;
    for (int r = 1; r <= 300; ++r) {
        const std::string n = std::to_string(r);
        rows +=
            "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"s\"><v>" + std::to_string(r - 1) + "</v></c></row>";
        strings.push_back("name " + n);
    }
    TempDir dir;
    const std::string good = readFile(writeXlsx(dir.file("good.xlsx"), {{"S", rows}}, strings));
    // Flips a byte of the entry's deflated data, or of its CRC-32 in both headers.
    const auto damage = [&](const std::string& part, bool crc) {
        std::string bytes = good;
        const auto u16 = [&](std::size_t at) {
            return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at])) |
                   static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
        };
        const std::size_t local = bytes.find(std::string("PK\x03\x04", 4));
        for (std::size_t at = local; at != std::string::npos;
             at = bytes.find(std::string("PK\x03\x04", 4), at + 4)) {
            if (bytes.compare(at + 30, part.size(), part) != 0)
                continue;
            const std::size_t size = u16(at + 18) | u16(at + 20) << 16;
            if (crc)
                bytes[at + 14] ^= 1;
            else
                bytes[at + 30 + u16(at + 26) + u16(at + 28) + size / 2] ^= 0x55;
            break;
        }
        for (std::size_t at = bytes.find(std::string("PK\x01\x02", 4)); at != std::string::npos;
             at = bytes.find(std::string("PK\x01\x02", 4), at + 4))
            if (crc && bytes.compare(at + 46, part.size(), part) == 0)
                bytes[at + 16] ^= 1;
        return dir.write("damaged.xlsx", bytes);
    };
    {
        ExcelAutomation excel;
        ASSERT_EQ(excel.open(dir.write("intact.xlsx", good)), 0);
        UsedRange range;
        ASSERT_TRUE(excel.usedRange(1, range));
        EXPECT_EQ(range.value(300, 1), "name 300");
    }
    for (const char* part : {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml"})
        for (const bool crc : {true, false}) {
            ExcelAutomation excel;
            ASSERT_EQ(excel.open(damage(part, crc)), 0) << part << crc;
            UsedRange range;
            EXPECT_FALSE(excel.usedRange(1, range)) << part << crc;
            EXPECT_TRUE(range.cells.empty());
        }
}

// Numbers as the file writes them: most are shown as written, the rest as the
// value they stand for.
TEST(ExcelAutomation, NumberCellsShowTheirValue) {
    const std::pair<const char*, const char*> cases[] = {
        {"1.5", "1.5"},
        {"0", "0"},
        {"-0", "0"},
        {"-0.0", "0"},
        {"-0.5", "-0.5"},
        {"00.5", "0.5"},
        {"1.50", "1.5"},
        {"1.", "1"},
        {".5", "0.5"},
        {"+1", "+1"},
        {"1e3", "1000"},
        {"0.0001", "0.0001"},
        {"0.00012", "0.00012"},
        {"0.00001", "1E-05"},
        {"-0.000012", "-1.2E-05"},
        {"123456789012345", "123456789012345"},
        {"-123456789012345", "-123456789012345"},
        {"1234567890123456", "1.23456789012346E+15"},
        {"12345678.9012345", "12345678.9012345"},
        {"12345678.90123456", "12345678.9012346"},
        {"0.123456789012345", "0.123456789012345"},
        {"0.1234567890123456", "0.123456789012346"},
        {"0.000123456789012345", "0.000123456789012345"},
        {"1E+20", "1E+20"},
        {"12x", "12x"},
    };
    std::string rows;
    for (const auto& c : cases)
        rows += std::string("<row><c><v>") + c.first + "</v></c></row>";
    TempDir dir;
    ExcelAutomation excel;
    ASSERT_EQ(
        excel.open(test::writeXlsxSheetPart(
            dir.file("numbers.xlsx"),
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
                rows + "</sheetData></worksheet>")),
        0);
    UsedRange range;
    ASSERT_TRUE(excel.usedRange(1, range));
    ASSERT_EQ(range.rows, static_cast<int>(std::size(cases)));
    for (int r = 1; r <= range.rows; ++r)
        EXPECT_EQ(range.value(r, 1), cases[r - 1].second) << cases[r - 1].first;
}

TEST(ExcelImport, FillsTheTableFromTheChosenSheet) {
    FormFixture f;
    f.dialogs.workbooks.push_back(dataPath("excel/recipients.xlsx"));
    f.dialogs.sheets.push_back(1);
    f.form.imports().importExcelFile();
    // Its first row is offered as a header row; "아니요" keeps it as row 1.
    EXPECT_EQ(f.notifier.texts(), Strings{"첫 줄을 제목 줄로 쓸까요?"});
    f.notifier.clear();
    const SendFormState& s = f.state();
    EXPECT_EQ(f.headers(),
              (Strings{" 번 호 ", "1 열", "수신번호", "3 열", "4 열", "5 열", "6 열", "7 열", "8 열"}));
    EXPECT_EQ(f.column(0), (Strings{"1", "2", "3", "4", "5"}));
    // Column C of the sheet is "1 열", row 5 is table row 1.
    EXPECT_EQ(f.cell(1, 1), "이름");
    EXPECT_EQ(f.cell(2, 2), "01012345678");
    EXPECT_EQ(f.cell(2, 3), "1012345678");
    EXPECT_EQ(s.table.background(0, 1), colours::header);
    EXPECT_EQ(s.rangeFrom, "1");
    EXPECT_EQ(s.rangeTo, "5");
    EXPECT_EQ(s.numberColumn.items.size(), 9u);
    EXPECT_EQ(s.sheetChooser.items.size(), 4u);
    EXPECT_EQ(s.sheetChooser.selected, 1);
    EXPECT_EQ(cp949::toUtf8(s.sheetNameField), "수신자");
    EXPECT_EQ(f.dialogs.sheetListShown.size(), 3u);
    EXPECT_EQ(f.progress.ranges.back(), 5);
    EXPECT_EQ(f.progress.value, 0);

    // The chooser switches sheets, and back to "시트선택" empties the table.
    f.state().sheetChooser.select(2);
    f.form.imports().onSheetChosen();
    EXPECT_EQ(f.headers(), (Strings{" 번 호 ", "1 열"}));
    EXPECT_EQ(f.column(1), Strings{"only"});
    EXPECT_EQ(f.state().sheetNameField, "Sheet2");
    EXPECT_EQ(f.state().rangeTo, "1");
    f.state().sheetChooser.select(0);
    f.form.imports().onSheetChosen();
    EXPECT_EQ(f.state().table.rowCount(), 2);
    EXPECT_EQ(f.state().sheetNameField, "");
    EXPECT_TRUE(f.notifier.shown().empty());

    // The next dialog offers the remembered file name.
    f.form.imports().importExcelFile();
    EXPECT_EQ(f.dialogs.initialNames.back(), "recipients.xlsx");
}

TEST(ExcelImport, FailuresShowOneMessageAndKeepTheTable) {
    struct Case {
        const char* name;
        std::optional<std::string> path;
        std::optional<int> sheet;
        std::vector<Shown> shown;
        bool chooserFilled;
    } cases[] = {
        {"cancelled file dialog", std::nullopt, 1, {}, false},
        {"empty path", std::string(), 1, {errorBox("화일경로가 존재하지 않습니다.")}, false},
        {"corrupt", dataPath("excel/truncated.xlsx"), 1, {errorBox("엑셀화일을 열수 없습니다.")}, false},
        {"sheet dialog closed",
         dataPath("excel/recipients.xls"),
         std::nullopt,
         {plainBox("취소 되었습니다.")},
         true},
    };
    for (const Case& c : cases) {
        FormFixture f;
        f.loadRows({{"01011112222"}});
        f.dialogs.workbooks.push_back(c.path);
        f.dialogs.sheets.push_back(c.sheet);
        f.form.imports().importExcelFile();
        EXPECT_EQ(f.notifier.shown(), c.shown) << c.name;
        EXPECT_EQ(f.column(1), Strings{"01011112222"}) << c.name;
        EXPECT_EQ(f.state().sheetChooser.items.size(), c.chooserFilled ? 4u : 1u) << c.name;
    }
    FormFixture f;
    f.state().sheetChooser.fill({"x", "y"});
    f.state().sheetChooser.select(1);
    f.form.imports().onSheetChosen();
    EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{errorBox("화일경로가 존재하지 않습니다.")});
}

TEST(CellText, NumbersWithFifteenSignificantDigits) {
    const std::pair<double, const char*> cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1012345678, "1012345678"},
        {123456789012345, "123456789012345"},
        {999999999999999, "999999999999999"},
        {-999999999999999, "-999999999999999"},
        {1e15, "1E+15"},
        {1234567890123456, "1.23456789012346E+15"},
        {999999999999999.9, "1E+15"},
        {1e20, "1E+20"},
        {1e100, "1E+100"},
        {3.5, "3.5"},
        {-42, "-42"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {-(0.1 + 0.2), "-0.3"},
        {1.1 + 2.2, "3.3"},
        {267.49999999999997, "267.5"},
        {0.1 + 0.7, "0.8"},
        {123.456, "123.456"},
        {1.0 / 3, "0.333333333333333"},
        {-2.0 / 3, "-0.666666666666667"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {-0.000012345, "-1.2345E-05"},
        {1.5e-7, "1.5E-07"},
        {5e-324, "4.94065645841247E-324"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(celltext::number(value), text) << value;
}

TEST(CellText, DateFormatsAndSerials) {
    using celltext::DateParts;
    const std::pair<const char*, DateParts> formats[] = {
        {"yyyy\\-mm\\-dd", DateParts::Date},
        {"yyyy\\-mm\\-dd\\ hh:mm:ss", DateParts::DateTime},
        {"h:mm AM/PM", DateParts::Time},
        {"mm:ss", DateParts::Time},
        {"[h]:mm", DateParts::Time},
        {"mmm", DateParts::Date},
        {"General", DateParts::None},
        {"0.00E+00", DateParts::None},
        {"\"TRUE\";\"TRUE\";\"FALSE\"", DateParts::None},
        {"#,##0\"원\"", DateParts::None},
        {"[$-412]yyyy\"년\" m\"월\" d\"일\"", DateParts::Date},
        {"[Red]0.00", DateParts::None},
    };
    for (const auto& [code, parts] : formats)
        EXPECT_EQ(celltext::datePartsOfFormat(code), parts) << code;
    EXPECT_EQ(celltext::datePartsOfBuiltinFormat(14), DateParts::Date);
    EXPECT_EQ(celltext::datePartsOfBuiltinFormat(22), DateParts::DateTime);
    EXPECT_EQ(celltext::datePartsOfBuiltinFormat(20), DateParts::Time);
    EXPECT_EQ(celltext::datePartsOfBuiltinFormat(0), DateParts::None);

    struct Serial {
        double value;
        DateParts parts;
        bool date1904;
        const char* text;
    } serials[] = {
        {45356, DateParts::Date, false, "2024-03-05"},
        {45356.6041666667, DateParts::DateTime, false, "2024-03-05 14:30:00"},
        {45356.6041666667, DateParts::Date, false, "2024-03-05"},
        {36526.0000115741, DateParts::DateTime, false, "2000-01-01 00:00:01"},
        {0.999999999, DateParts::DateTime, false, "1900-01-01 00:00:00"},
        {1, DateParts::Date, false, "1900-01-01"},
        {59, DateParts::Date, false, "1900-02-28"},
        {60, DateParts::Date, false, "1900-02-29"},
        {61, DateParts::Date, false, "1900-03-01"},
        {0.5, DateParts::Time, false, "12:00:00"},
        {1.5, DateParts::Time, false, "1900-01-01 12:00:00"},
        {0, DateParts::Date, true, "1904-01-01"},
        {43890, DateParts::Date, true, "2024-03-01"},
        {2958465, DateParts::Date, false, "9999-12-31"},
        {-1, DateParts::Date, false, "-1"},
        {3e6, DateParts::Date, false, "3000000"},
    };
    for (const Serial& s : serials)
        EXPECT_EQ(celltext::serialDate(s.value, s.parts, s.date1904), s.text) << s.value;
}
