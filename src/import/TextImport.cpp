#include "import/TextImport.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/Pipeline.h"
#include "import/FileBytes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace qb {
namespace {

// Reads as a file opened in text mode: CR LF becomes LF, a lone CR stays.
void crlfToLf(std::string& s) {
    const char* first = static_cast<const char*>(std::memchr(s.data(), '\r', s.size()));
    if (!first)
        return;
    std::size_t out = static_cast<std::size_t>(first - s.data());
    for (std::size_t i = out; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
            continue;
        s[out++] = s[i];
    }
    s.resize(out);
}

// The next piece of `text` from `pos`: a line, or the next 1023 bytes or fewer of a
// longer one. False at the end.
bool nextPiece(std::string_view text, std::size_t& pos, std::string_view& rest, bool& inLine,
               std::string_view& piece) {
    if (!inLine) {
        if (pos >= text.size())
            return false;
        const char* nl = static_cast<const char*>(std::memchr(text.data() + pos, '\n', text.size() - pos));
        const std::size_t end = nl ? static_cast<std::size_t>(nl - text.data()) : text.size();
        rest = text.substr(pos, end - pos);
        pos = end + 1;
        inLine = true;
    }
    if (rest.size() > kImportLineBytes) {
        const std::size_t cut = cp949::safeCutLength(rest, kImportLineBytes);
        piece = rest.substr(0, cut);
        rest.remove_prefix(cut);
        return true;
    }
    piece = rest;
    inLine = false;
    return true;
}

} // namespace

const std::vector<std::string>& delimiterItems() {
    static const std::vector<std::string> items = {ko("구분자없음"), ",", ":", ";", "|", "Tab"};
    return items;
}

std::string delimiterSet(std::string_view field) {
    if (field == "Tab")
        return "\t";
    return std::string(field);
}

void ImportLines::clear() {
    m_buffers.clear();
    m_count = 0;
    m_bytes = 0;
}

std::size_t ImportLines::appendFile(std::string content, Progress* progress) {
    std::size_t unmappable = 0;
    static constexpr std::string_view bom = "\xEF\xBB\xBF";
    const bool hasBom = content.size() >= 3 && std::string_view(content).substr(0, 3) == bom;
    if (hasBom || cp949::looksLikeUtf8(content)) {
        cp949::Conversion c = cp949::fromUtf8(std::string_view(content).substr(hasBom ? 3 : 0));
        unmappable = c.unmappable;
        content = std::move(c.text);
    }
    crlfToLf(content);
    m_buffers.push_back(std::move(content));
    const std::string_view text = m_buffers.back();
    m_bytes += text.size();

    // Counting is a scan for line breaks, far quicker than the fill that follows;
    // the bar shows the file's lines counted.
    std::size_t pos = 0, count = 0;
    std::string_view rest, piece;
    bool inLine = false;
    while (nextPiece(text, pos, rest, inLine, piece))
        ++count;
    m_count += count;
    if (progress) {
        progress->setRange(0, static_cast<std::int64_t>(count));
        progress->setValue(static_cast<std::int64_t>(count));
    }
    return unmappable;
}

bool ImportLines::Cursor::next(std::string_view& line) {
    while (m_buffer < m_lines.m_buffers.size()) {
        if (nextPiece(m_lines.m_buffers[m_buffer], m_pos, m_rest, m_inLine, line))
            return true;
        ++m_buffer;
        m_pos = 0;
    }
    return false;
}

bool readLines(const std::string& path, ImportLines& lines, Notifier& notifier, Progress& progress) {
    std::string content;
    if (!readFileBytes(path, content)) {
        notifier.error(ko("화일경로가 존재하지 않습니다."));
        return false;
    }
    const std::size_t replaced = lines.appendFile(std::move(content), &progress);
    if (replaced > 0)
        notifier.info(cp949::fromNativePath(path) + "\n" + ko("UTF-8 화일에서 CP949로 바꿀 수 없는 글자 ") +
                      std::to_string(replaced) + ko("개를 '?'로 바꾸었습니다."));
    return true;
}

namespace {

// Lines split into cells on the helper core, a block at a time, for the table on this one.
struct CellBlock {
    std::vector<std::array<std::string_view, 11>> cells; // [0] is left for the row label
    std::vector<int> counts;                             // fields the line had
};

constexpr std::size_t kCellBlock = 8192;

} // namespace

bool fillTableFromLines(RecipientTable& table, ImportLines& lines, std::string_view separators,
                        Notifier& notifier, int& rows) {
    static const std::string rowHeader = ko(" 번 호 ");
    static const std::string columnSuffix = ko(" 열");
    rows = static_cast<int>(lines.size());
    RowLabel rowLabel;
    ImportLines::Cursor cursor(lines);
    std::string_view line;

    if (separators.empty()) {
        table.setRowCount(rows + 1);
        table.setColumnCount(2);
        table.setColumnWidth(1, 100);
        table.setCell(0, 0, rowHeader);
        table.setCell(0, 1, ko(" 1 열 "));
        table.setHeaderBackground(0, colours::header);
        table.setHeaderBackground(1, colours::header);
        table.reserveText(lines.bytes() + lines.size() * 16);
        for (int r = 1; r <= rows && cursor.next(line); ++r) {
            const std::array<std::string_view, 2> cells{rowLabel(r),
                                                        line.empty() ? std::string_view(" ") : line};
            table.setRow(r, cells);
        }
        lines.clear();
        return true;
    }

    const bytes::RunSplitter splitter(separators);
    // Ten columns are kept; the count says how many the line had.
    auto split = [&](std::string_view text, std::array<std::string_view, 11>& cells) {
        std::size_t k = 1;
        return splitter.forEach(text, [&](std::string_view field) {
            if (k <= 10)
                cells[k++] = field;
        });
    };

    std::array<std::string_view, 11> first;
    if (!ImportLines::Cursor(lines).next(line) || split(line, first) == 0) {
        notifier.error(ko("화일포맷이 잘못되었습니다. 확인바랍니다."));
        lines.clear();
        rows = 0;
        return false;
    }
    table.setRowCount(rows + 1);
    table.setColumnCount(11);
    table.reserveText(lines.bytes() + lines.size() * 24);
    table.setCell(0, 0, rowHeader);
    for (int k = 1; k <= 10; ++k)
        table.setCell(0, k, std::to_string(k) + columnSuffix);
    table.setHeaderBackground(0, colours::header);
    table.setHeaderBackground(1, colours::header);

    std::size_t left = lines.size();
    const auto make = [&](std::size_t, CellBlock& block) {
        const std::size_t n = std::min(kCellBlock, left);
        left -= n;
        block.cells.resize(n);
        block.counts.resize(n);
        for (std::size_t i = 0; i < n && cursor.next(line); ++i)
            block.counts[i] = split(line, block.cells[i]);
    };
    int widest = 0;
    int r = 1;
    const auto take = [&](std::size_t, CellBlock& block) {
        for (std::size_t i = 0; i < block.cells.size(); ++i, ++r) {
            const int count = block.counts[i];
            widest = std::max(widest, count);
            block.cells[i][0] = rowLabel(r);
            table.setRow(r, std::span<const std::string_view>(
                                block.cells[i].data(), static_cast<std::size_t>(std::min(count, 10)) + 1));
        }
        return true;
    };
    runPipelined<CellBlock>((lines.size() + kCellBlock - 1) / kCellBlock, 4, make, take);
    lines.clear();
    table.setColumnCount(widest + 1);
    return true;
}

} // namespace qb
