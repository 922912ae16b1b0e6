#include "import/TextImport.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/Pipeline.h"
#include "common/RegularFile.h"
#include "import/FileBytes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <sys/stat.h>

namespace qb {
namespace {

// Reads as a file opened in text mode: CR LF becomes LF, a lone CR stays.
void crlfToLf(std::string& s) {
    std::size_t out = s.find('\r');
    if (out == std::string::npos)
        return;
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

// A file's bytes; a big one in two parts read on both cores, the second starting
// just after the first line break at or past the middle, so that no line (and no
// character) is cut.
bool readInTwo(const std::string& path, std::string& first, std::string& second) {
    constexpr std::uint64_t kTwoParts = std::uint64_t{8} << 20;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) < kTwoParts)
        return readFileBytes(path, first);
    const auto middle = static_cast<std::uint64_t>(st.st_size) / 2;
    first.reserve(middle + 4096);
    second.reserve(static_cast<std::size_t>(st.st_size) - middle);
    std::string head; // of the second half, up to its first line break: the first part's
    bool read[2] = {false, false};
    onBothCores([&](std::size_t part) {
        if (part == 0) {
            read[0] = readRegularFileBlocksFrom(path, 0, [&](std::string_view block) {
                first.append(block.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(
                                                 block.size(), middle - first.size()))));
                return first.size() < middle;
            });
            return;
        }
        bool inHead = true;
        read[1] = readRegularFileBlocksFrom(path, middle, [&](std::string_view block) {
            if (inHead) {
                const std::size_t nl = block.find('\n');
                head.append(block.substr(0, nl == std::string_view::npos ? block.size() : nl + 1));
                if (nl == std::string_view::npos)
                    return true;
                inHead = false;
                block.remove_prefix(nl + 1);
            }
            second.append(block);
            return true;
        });
    });
    if (!read[0] || !read[1])
        return false;
    first.append(head);
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
    m_marks.clear();
    m_count = 0;
    m_bytes = 0;
}

std::size_t ImportLines::appendFile(std::string content, Progress* progress) {
    return appendFile(std::move(content), std::string(), progress);
}

std::size_t ImportLines::appendFile(std::string first, std::string second, Progress* progress) {
    if (first.empty())
        first.swap(second); // the file starts in `second`, and so may its BOM
    std::size_t unmappable = 0;
    static constexpr std::string_view bom = "\xEF\xBB\xBF";
    const bool hasBom = first.size() >= 3 && std::string_view(first).substr(0, 3) == bom;
    const std::string_view parts[] = {first, second};
    const bool utf8 = hasBom || cp949::looksLikeUtf8(parts);
    std::size_t count = 0;
    for (std::string* part : {&first, &second}) {
        if (part == &second && second.empty())
            break;
        if (utf8) {
            cp949::Conversion c =
                cp949::fromUtf8(std::string_view(*part).substr(part == &first && hasBom ? 3 : 0));
            unmappable += c.unmappable;
            *part = std::move(c.text);
        }
        crlfToLf(*part);
        m_buffers.push_back(std::move(*part));
        const std::string_view text = m_buffers.back();
        m_bytes += text.size();

        // Counting is a scan for line breaks, far quicker than the fill that follows;
        // the bar shows the file's lines counted.
        Place at{m_buffers.size() - 1, 0, {}, false};
        std::string_view piece;
        for (;;) {
            if (m_marks.size() * kLinesPerMark == m_count + count)
                m_marks.push_back(at);
            if (!nextPiece(text, at.pos, at.rest, at.inLine, piece))
                break;
            ++count;
        }
    }
    m_count += count;
    if (progress) {
        progress->setRange(0, static_cast<std::int64_t>(count));
        progress->setValue(static_cast<std::int64_t>(count));
    }
    return unmappable;
}

ImportLines::Cursor::Cursor(const ImportLines& lines, std::size_t first) : m_lines(lines) {
    if (lines.m_marks.empty())
        return;
    const std::size_t mark = std::min(first / kLinesPerMark, lines.m_marks.size() - 1);
    m_at = lines.m_marks[mark];
    std::string_view line;
    for (std::size_t skip = first - mark * kLinesPerMark; skip > 0 && next(line); --skip) {
    }
}

bool ImportLines::Cursor::next(std::string_view& line) {
    while (m_at.buffer < m_lines.m_buffers.size()) {
        if (nextPiece(m_lines.m_buffers[m_at.buffer], m_at.pos, m_at.rest, m_at.inLine, line))
            return true;
        ++m_at.buffer;
        m_at.pos = 0;
    }
    return false;
}

bool readLines(const std::string& path, ImportLines& lines, Notifier& notifier, Progress& progress) {
    std::string first, second;
    if (!readInTwo(path, first, second)) {
        notifier.error(ko("화일경로가 존재하지 않습니다."));
        return false;
    }
    const std::size_t replaced = lines.appendFile(std::move(first), std::move(second), &progress);
    if (replaced > 0)
        notifier.info(cp949::fromNativePath(path) + "\n" + ko("UTF-8 화일에서 CP949로 바꿀 수 없는 글자 ") +
                      std::to_string(replaced) + ko("개를 '?'로 바꾸었습니다."));
    return true;
}

namespace {

// A block of lines made into table rows on one of the two cores, for the table on
// this one.
struct RowBlock {
    RowBlobs rows;
    int widest = 0; // most fields in one line
};

constexpr std::size_t kRowBlock = 8192;

} // namespace

bool fillTableFromLines(RecipientTable& table, ImportLines& lines, std::string_view separators,
                        Notifier& notifier, int& rows) {
    static const std::string rowHeader = ko(" 번 호 ");
    static const std::string columnSuffix = ko(" 열");
    rows = static_cast<int>(lines.size());
    const bool columns = !separators.empty();
    const bytes::RunSplitter splitter(separators);
    // Column mode keeps ten fields and counts them all; a whole line is one field.
    auto split = [&](std::string_view line, std::array<std::string_view, 11>& cells) {
        if (!columns) {
            cells[1] = line.empty() ? std::string_view(" ") : line;
            return 1;
        }
        std::size_t k = 1;
        return splitter.forEach(line, [&](std::string_view field) {
            if (k <= 10)
                cells[k++] = field;
        });
    };

    std::string_view line;
    std::array<std::string_view, 11> first;
    if (columns && (!ImportLines::Cursor(lines).next(line) || split(line, first) == 0)) {
        notifier.error(ko("화일포맷이 잘못되었습니다. 확인바랍니다."));
        lines.clear();
        rows = 0;
        return false;
    }
    const int width = columns ? 11 : 2;
    table.setRowCount(rows + 1);
    table.setColumnCount(width);
    table.reserveText(lines.bytes() + lines.size() * (columns ? 24 : 16));
    table.setCell(0, 0, rowHeader);
    if (columns) {
        for (int k = 1; k <= 10; ++k)
            table.setCell(0, k, std::to_string(k) + columnSuffix);
    } else {
        table.setColumnWidth(1, 100);
        table.setCell(0, 1, ko(" 1 열 "));
    }
    table.setHeaderBackground(0, colours::header);
    table.setHeaderBackground(1, colours::header);

    const std::size_t count = lines.size();
    const auto make = [&](std::size_t b, RowBlock& block) {
        const std::size_t from = b * kRowBlock, to = std::min(count, from + kRowBlock);
        block.rows.clear(static_cast<std::size_t>(width));
        block.widest = 0;
        ImportLines::Cursor cursor(lines, from);
        RowLabel rowLabel;
        std::array<std::string_view, 11> cells;
        std::string_view text;
        for (std::size_t i = from; i < to && cursor.next(text); ++i) {
            const int fields = split(text, cells);
            block.widest = std::max(block.widest, fields);
            cells[0] = rowLabel(static_cast<long long>(i) + 1);
            block.rows.add(std::span<const std::string_view>(
                cells.data(), static_cast<std::size_t>(std::min(fields, 10)) + 1));
        }
    };
    int widest = 0;
    const auto take = [&](std::size_t b, RowBlock& block) {
        widest = std::max(widest, block.widest);
        table.setRows(static_cast<int>(b * kRowBlock) + 1, block.rows);
        return true;
    };
    runPipelined<RowBlock>((count + kRowBlock - 1) / kRowBlock, 4, make, take, 2);
    lines.clear();
    if (columns)
        table.setColumnCount(widest + 1);
    return true;
}

} // namespace qb
