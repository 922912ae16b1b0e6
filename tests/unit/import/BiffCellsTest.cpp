#include "import/BiffCells.h"

#include "common/Cp949.h"
#include "import/ExcelAutomation.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

using namespace qb;

namespace {

void put16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}
void put32(std::string& s, std::size_t at, std::uint32_t v) {
    put16(s, at, v & 0xFFFF);
    put16(s, at + 2, v >> 16);
}
std::string record(unsigned id, const std::string& data) {
    std::string r(4, '\0');
    put16(r, 0, id);
    put16(r, 2, static_cast<unsigned>(data.size()));
    return r + data;
}
std::string le16(unsigned v) {
    std::string s(2, '\0');
    put16(s, 0, v);
    return s;
}
std::string formula(unsigned row, unsigned col, unsigned xf, const std::string& result8) {
    std::string d = le16(row) + le16(col) + le16(xf) + result8 + std::string(6, '\0') + le16(0);
    return record(0x0006, d);
}
std::string special(unsigned kind, unsigned value) {
    std::string r(8, '\0');
    r[0] = static_cast<char>(kind);
    r[2] = static_cast<char>(value);
    r[6] = r[7] = '\xFF';
    return r;
}
std::string number(double v) {
    std::string r(8, '\0');
    std::memcpy(r.data(), &v, 8);
    return r;
}

// A compound file of 512-byte sectors: FAT in sector 0, directory in 1, the
// "Workbook" stream from sector 2 on.
std::string compoundFile(std::string stream) {
    stream.resize(std::max<std::size_t>(stream.size(), 4096), '\0'); // past the mini-stream cutoff
    const std::size_t streamSectors = (stream.size() + 511) / 512;
    std::string header(512, '\0');
    std::memcpy(header.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    put16(header, 0x1A, 3);
    put16(header, 0x1C, 0xFFFE);
    put16(header, 0x1E, 9);
    put16(header, 0x20, 6);
    put32(header, 0x2C, 1);
    put32(header, 0x30, 1);
    put32(header, 0x38, 4096);
    put32(header, 0x3C, 0xFFFFFFFE);
    put32(header, 0x44, 0xFFFFFFFE);
    for (std::size_t i = 0; i < 109; ++i)
        put32(header, 0x4C + 4 * i, i == 0 ? 0 : 0xFFFFFFFF);
    std::string fat(512, '\xFF');
    put32(fat, 0, 0xFFFFFFFD);
    put32(fat, 4, 0xFFFFFFFE);
    for (std::size_t i = 0; i < streamSectors; ++i)
        put32(fat, 4 * (2 + i), i + 1 < streamSectors ? static_cast<std::uint32_t>(3 + i) : 0xFFFFFFFE);
    std::string dir(512, '\0');
    auto entry = [&](std::size_t n, const std::u16string& name, int type, std::uint32_t start,
                     std::uint32_t size) {
        const std::size_t at = n * 128;
        for (std::size_t i = 0; i < name.size(); ++i)
            put16(dir, at + 2 * i, name[i]);
        put16(dir, at + 64, static_cast<unsigned>(2 * (name.size() + 1)));
        dir[at + 66] = static_cast<char>(type);
        put32(dir, at + 116, start);
        put32(dir, at + 120, size);
    };
    entry(0, u"Root Entry", 5, 0xFFFFFFFE, 0);
    entry(1, u"Workbook", 2, 2, static_cast<std::uint32_t>(stream.size()));
    stream.resize(streamSectors * 512, '\0');
    return header + fat + dir + stream;
}

std::string workbook() {
    const std::string bof = record(0x0809, le16(0x0600) + le16(0x0005) + std::string(12, '\0'));
    const std::string bofSheet = record(0x0809, le16(0x0600) + le16(0x0010) + std::string(12, '\0'));
    const std::string eof = record(0x000A, "");
    std::string xf;
    for (unsigned f : {0u, 14u, 22u, 200u})
        xf += record(0x00E0, le16(0) + le16(f) + std::string(16, '\0'));
    const std::string format = record(0x041E, le16(200) + le16(10) + std::string(1, '\0') + "yyyy-mm-dd");
    auto boundsheet = [](std::uint32_t offset) {
        std::string d(4, '\0');
        put32(d, 0, offset);
        return record(0x0085, d + le16(0) + std::string(1, '\x01') + std::string(1, '\0') + "S");
    };
    const std::string globalsHead = bof + xf + format;
    const std::size_t globalsSize = globalsHead.size() + boundsheet(0).size() + eof.size();
    std::string sheet = bofSheet;
    sheet +=
        formula(0, 0, 0, special(0, 0)) + record(0x0207, le16(11) + std::string(1, '\0') + "01055551234");
    sheet += formula(0, 1, 0, special(0, 0)) +
             record(0x0207, le16(2) + std::string(1, '\x01') + std::string("\x5C\xD5\x00\xAE", 4));
    sheet += formula(1, 0, 0, special(1, 1)) + formula(1, 1, 0, special(1, 0)) +
             formula(1, 2, 0, special(2, 0x07));
    sheet +=
        formula(2, 0, 1, number(45356)) + formula(2, 1, 2, number(45356.5)) + formula(2, 2, 3, number(36525));
    sheet += formula(2, 3, 0, number(1012345678));
    sheet += record(0x0205, le16(3) + le16(0) + le16(0) + std::string(1, '\x01') + std::string(1, '\0'));
    sheet += record(0x0205, le16(3) + le16(1) + le16(0) + std::string(1, '\x2A') + std::string(1, '\x01'));
    // A chart inside the sheet is skipped whole.
    sheet += bofSheet + formula(9, 9, 0, number(1)) + eof;
    sheet += formula(4, 0, 0, special(3, 0)) + eof;
    return globalsHead + boundsheet(static_cast<std::uint32_t>(globalsSize)) + eof + sheet;
}

std::string le32(std::uint32_t v) {
    std::string s(4, '\0');
    put32(s, 0, v);
    return s;
}
std::string cell(unsigned row, unsigned col, unsigned xf) {
    return le16(row) + le16(col) + le16(xf);
}

// As a spreadsheet program writes it with the UTF-16 code page: sheet names with
// characters past ASCII (one of them cut inside a surrogate pair, which libfreexl
// refuses by reporting success with no workbook), shared strings split across a
// CONTINUE record with the rest in the other width, numbers as NUMBER, RK and MULRK.
std::string utf16CodePageWorkbook() {
    const std::string bof = record(0x0809, le16(0x0600) + le16(0x0005) + std::string(12, '\0'));
    const std::string bofSheet = record(0x0809, le16(0x0600) + le16(0x0010) + std::string(12, '\0'));
    const std::string eof = record(0x000A, "");
    std::string head = bof + record(0x0042, le16(1200));
    for (unsigned f : {0u, 14u})
        head += record(0x00E0, le16(0) + le16(f) + std::string(16, '\0'));
    // "01012345678", then "홍길동" starting wide and finished in the CONTINUE record,
    // "Müller" in 8 bits, a rich string with one formatting run.
    const std::string sst =
        record(0x00FC, le32(4) + le32(4) + le16(11) + std::string(1, '\0') + "01012345678" + le16(3) +
                           std::string(1, '\x01') + std::string("\x4D\xD6", 2));
    const std::string cont = record(0x003C, std::string(1, '\x01') + std::string("\x38\xAE\xD9\xB3", 4) +
                                                le16(6) + std::string(1, '\0') + "M\xFCller" + le16(2) +
                                                std::string(1, '\x08') + le16(1) + "ab" + le16(0) + le16(0));
    auto boundsheet = [](std::uint32_t offset, const std::string& name) {
        return record(0x0085, le32(offset) + le16(0) + name);
    };
    const std::string name1 = std::string(1, '\x06') + std::string(1, '\0') + "Bl\xE4tt1";
    const std::string name2 =
        std::string(1, '\x03') + std::string(1, '\x01') + std::string("\x54\xBA\xA8\xBA\x3D\xD8", 6);
    const std::size_t globalsSize = head.size() + boundsheet(0, name1).size() + boundsheet(0, name2).size() +
                                    sst.size() + cont.size() + eof.size();

    std::string sheet1 = bofSheet;
    sheet1 += record(0x00FD, cell(0, 0, 0) + le32(0)) + record(0x00FD, cell(0, 1, 0) + le32(1));
    sheet1 += record(0x0203, cell(0, 2, 0) + number(0.1 + 0.2));
    sheet1 += record(0x00FD, cell(1, 0, 0) + le32(2)) + record(0x00FD, cell(1, 1, 0) + le32(3));
    sheet1 += record(0x027E, cell(1, 2, 0) + le32((42u << 2) | 2));    // integer 42
    sheet1 += record(0x027E, cell(1, 3, 0) + le32((26749u << 2) | 3)); // 267.49
    sheet1 += record(0x00BD, le16(2) + le16(0) + le16(1) + le32((45356u << 2) | 2) + le16(0) +
                                 le32((7u << 2) | 2) + le16(1)); // a date, then 7
    sheet1 +=
        record(0x0204, cell(2, 2, 0) + le16(2) + std::string(1, '\x01') + std::string("\x00\xAC\x98\xB0", 4));
    sheet1 += record(0x0205, cell(2, 3, 0) + std::string(1, '\x01') + std::string(1, '\0')) + eof;
    const std::string sheet2 = bofSheet + record(0x00FD, cell(0, 0, 0) + le32(2)) + eof;
    return head + boundsheet(static_cast<std::uint32_t>(globalsSize), name1) +
           boundsheet(static_cast<std::uint32_t>(globalsSize + sheet1.size()), name2) + sst + cont + eof +
           sheet1 + sheet2;
}

} // namespace

TEST(BiffCells, WholeWorkbooksLibfreexlRefuses) {
    test::TempDir dir;
    const std::string path = dir.write("utf16.xls", compoundFile(utf16CodePageWorkbook()));
    ExcelAutomation excel;
    ASSERT_EQ(excel.open(path), 0);
    ASSERT_EQ(excel.sheetCount(), 2);
    EXPECT_EQ(excel.sheetName(1), "Bl?tt1"); // CP949 has no ä
    EXPECT_EQ(cp949::toUtf8(excel.sheetName(2)), "메모?");
    UsedRange range;
    ASSERT_TRUE(excel.usedRange(1, range));
    std::vector<std::vector<std::string>> rows;
    for (int r = 1; r <= range.rows; ++r) {
        rows.emplace_back();
        for (int c = 1; c <= range.columns; ++c)
            rows.back().push_back(cp949::toUtf8(range.value(r, c)));
    }
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{{"01012345678", "홍길동", "0.3", ""},
                                                           {"M?ller", "ab", "42", "267.49"},
                                                           {"2024-03-05", "7", "가나", "TRUE"}}));
    ASSERT_TRUE(excel.usedRange(2, range));
    EXPECT_EQ(cp949::toUtf8(range.value(1, 1)), "M?ller");

    // Cut short, it is refused as before.
    const std::string cut = compoundFile(utf16CodePageWorkbook()).substr(0, 1100);
    EXPECT_LT(ExcelAutomation().open(dir.write("cut.xls", cut)), 0);
}

TEST(BiffCells, FormulaResultsAndConstantsFreexlLeavesOut) {
    std::map<std::pair<int, int>, std::string> cells;
    ASSERT_TRUE(readBiffExtraCells(compoundFile(workbook()), 0, [&](int r, int c, std::string t) {
        cells[{r, c}] = std::move(t);
    }));
    const std::map<std::pair<int, int>, std::string> want = {
        {{0, 0}, "01055551234"},
        {{0, 1}, "\xED\x95\x9C\xEA\xB8\x80"}, // U+D55C U+AE00, "한글"
        {{1, 0}, "TRUE"},
        {{1, 1}, "FALSE"},
        {{1, 2}, "#DIV/0!"},
        {{2, 0}, "2024-03-05"},
        {{2, 1}, "2024-03-05 12:00:00"},
        {{2, 2}, "1999-12-31"},
        {{2, 3}, "1012345678"},
        {{3, 0}, "TRUE"},
        {{3, 1}, "#N/A"},
    };
    EXPECT_EQ(cells, want);
}

TEST(BiffCells, RefusesWhatItCannotRead) {
    const auto ignore = [](int, int, const std::string&) {};
    std::string wb = compoundFile(workbook());
    EXPECT_FALSE(readBiffExtraCells(wb, 1, ignore)); // no such sheet
    EXPECT_FALSE(readBiffExtraCells(wb.substr(0, 1000), 0, ignore));
    EXPECT_FALSE(readBiffExtraCells("PK\x03\x04", 0, ignore));
    std::string looped = wb;
    put32(looped, 512 + 8, 2); // the stream's first sector points at itself
    EXPECT_FALSE(readBiffExtraCells(looped, 0, ignore));
    std::string biff5 = compoundFile(record(0x0809, le16(0x0500) + std::string(14, '\0')));
    EXPECT_FALSE(readBiffExtraCells(biff5, 0, ignore));
}
