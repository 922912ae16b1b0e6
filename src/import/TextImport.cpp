#include "import/TextImport.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/Pipeline.h"
#include "common/RegularFile.h"
#include "import/CsvRecords.h"
#include "import/FileBytes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <optional>
#include <sys/stat.h>

namespace qb {
namespace {

// Reads as a file opened in text mode: CR LF becomes LF, a lone CR stays. The
// offsets in `marks` (ascending) move with their bytes.
void crlfToLf(std::string& s, std::vector<std::size_t>& marks) {
    std::size_t out = s.find('\r');
    if (out == std::string::npos)
        return;
    auto mark = std::lower_bound(marks.begin(), marks.end(), out);
    for (std::size_t i = out; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
            continue;
        if (mark != marks.end() && *mark == i)
            *mark++ = out;
        s[out++] = s[i];
    }
    s.resize(out);
}

// Notes `line` when a mark lies before `end`, and passes the marks before it.
void noteReplaced(std::vector<std::size_t>::const_iterator& mark,
                  std::vector<std::size_t>::const_iterator last, std::size_t end, std::size_t line,
                  std::vector<std::size_t>& lines) {
    if (mark == last || *mark >= end)
        return;
    lines.push_back(line);
    while (mark != last && *mark < end)
        ++mark;
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
    static const std::vector<std::string> items = {ko("구분자없음"), ",", ":", ";", "|", "Tab", "CSV"};
    return items;
}

bool isCsvField(std::string_view field) {
    return field == "CSV";
}

std::string delimiterSet(std::string_view field) {
    if (field == "Tab")
        return "\t";
    if (isCsvField(field))
        return ",";
    return std::string(field);
}

void ImportLines::clear() {
    m_buffers.clear();
    m_marks.clear();
    m_count = 0;
    m_bytes = 0;
    m_replacedLines.clear();
}

TextFileRead ImportLines::appendFile(std::string content, TextEncoding choice, Progress* progress) {
    return appendFile(std::move(content), std::string(), choice, progress);
}

namespace {

std::string lineMessage(std::size_t line, std::string_view what) {
    return std::to_string(line) + ko("행") + std::string(what);
}

// CP949 text of a file in its encoding: the parts as they came, or (UTF-16, whose
// parts may not split at a character) the whole in `first`. `replaced[p]` gets
// where in part p each '?' of a replaced character stands.
std::size_t toCp949(const FileEncoding& e, std::string& first, std::string& second,
                    std::vector<std::size_t> (&replaced)[2]) {
    std::size_t unmappable = 0;
    if (e.kind == FileEncoding::Utf16Le || e.kind == FileEncoding::Utf16Be) {
        first.append(second);
        std::string().swap(second);
        std::string text;
        unmappable = utf16ToCp949(std::string_view(first).substr(e.bomBytes), e.kind == FileEncoding::Utf16Be,
                                  text, &replaced[0]);
        first = std::move(text);
        return unmappable;
    }
    if (e.kind == FileEncoding::Utf8) {
        for (std::string* part : {&first, &second}) {
            cp949::Conversion c =
                cp949::fromUtf8(std::string_view(*part).substr(part == &first ? e.bomBytes : 0),
                                &replaced[part == &first ? 0 : 1]);
            unmappable += c.unmappable;
            *part = std::move(c.text);
        }
    }
    return unmappable;
}

// Why a CSV file is refused at record `r`, found at `pos` of `text`; `linesBefore`
// are the lines of the part before it.
std::string recordRefusal(std::string_view text, const csv::Record& r, std::size_t pos,
                          std::size_t linesBefore) {
    const std::size_t at = r.fault == csv::Record::None ? pos : r.faultAt;
    const std::size_t line = 1 + linesBefore +
                             static_cast<std::size_t>(std::count(
                                 text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    return lineMessage(line, r.fault == csv::Record::Unclosed
                                 ? ko("의 따옴표가 닫히지 않았습니다. 확인바랍니다.")
                             : r.fault == csv::Record::TextAfterQuote
                                 ? ko("의 닫는 따옴표 뒤에 쉼표가 없습니다. 확인바랍니다.")
                                 : ko("에서 시작하는 행이 1023바이트를 넘습니다. 확인바랍니다."));
}

} // namespace

struct ImportLines::NewFile {
    std::array<std::string, 2> parts;
    std::vector<std::size_t> replaced[2]; // where each '?' of a replaced character stands, per part
    std::size_t count = 0;                // lines (CSV records) found so far
    // How far the lists went before the file, to take it back.
    std::size_t buffersBefore = 0, marksBefore = 0, replacedBefore = 0;

    // A record at `pos` of the first part that goes on in the second starts there
    // instead; `mark` is the first replaced place of the first part not passed.
    void carryOver(std::size_t pos, std::vector<std::size_t>::const_iterator mark) {
        const std::size_t moved = parts[0].size() - pos;
        for (std::size_t& m : replaced[1])
            m += moved;
        std::vector<std::size_t> carried;
        for (auto m = mark; m != replaced[0].cend(); ++m)
            carried.push_back(*m - pos);
        replaced[1].insert(replaced[1].begin(), carried.begin(), carried.end());
        parts[1].insert(0, parts[0], pos);
        parts[0].resize(pos);
    }
};

TextFileRead ImportLines::appendFile(std::string first, std::string second, TextEncoding choice,
                                     Progress* progress) {
    if (first.empty())
        first.swap(second); // the file starts in `second`, and so may its BOM
    TextFileRead read;
    {
        const std::string_view parts[] = {first, second};
        read.encoding = findEncoding(parts, choice);
    }
    if (read.encoding.mixed()) {
        read.refusal = "UTF-8 " + ko("줄(") + std::to_string(read.encoding.utf8Line) + ko("행)과 CP949 줄(") +
                       std::to_string(read.encoding.cp949Line) +
                       ko("행)이 섞여 있습니다. 인코딩을 골라 다시 불러오세요.");
        return read;
    }
    NewFile file;
    file.parts = {std::move(first), std::move(second)};
    read.unmappable = toCp949(read.encoding, file.parts[0], file.parts[1], file.replaced);
    file.buffersBefore = m_buffers.size();
    file.marksBefore = m_marks.size();
    file.replacedBefore = m_replacedLines.size();

    std::size_t bytes = 0;
    for (std::size_t p = 0; p < 2; ++p) {
        std::string& part = file.parts[p];
        if (p == 1 && part.empty())
            break;
        if (!m_csv) {
            crlfToLf(part, file.replaced[p]);
            noteLines(file, p);
        } else if (!noteRecords(file, p, read.refusal)) {
            while (m_buffers.size() > file.buffersBefore)
                m_buffers.pop_back();
            m_marks.resize(file.marksBefore);
            m_replacedLines.resize(file.replacedBefore);
            return read;
        }
        bytes += part.size();
        m_buffers.push_back(std::move(part));
    }
    m_count += file.count;
    m_bytes += bytes;
    // Counting is a scan for line breaks, far quicker than the fill that follows;
    // the bar shows the file's lines counted.
    if (progress) {
        progress->setRange(0, static_cast<std::int64_t>(file.count));
        progress->setValue(static_cast<std::int64_t>(file.count));
    }
    return read;
}

void ImportLines::noteLines(NewFile& file, std::size_t part) {
    const std::string_view text = file.parts[part];
    const std::vector<std::size_t>& marks = file.replaced[part];
    auto mark = marks.cbegin();
    const std::size_t first = m_count + file.count;
    std::size_t count = 0;
    Place at{m_buffers.size(), 0, {}, false};
    std::string_view piece;
    for (;;) {
        if (m_marks.size() * kLinesPerMark == first + count)
            m_marks.push_back(at);
        if (!nextPiece(text, at.pos, at.rest, at.inLine, piece))
            break;
        noteReplaced(mark, marks.cend(), static_cast<std::size_t>(piece.data() - text.data()) + piece.size(),
                     first + count, m_replacedLines);
        ++count;
    }
    file.count += count;
}

bool ImportLines::noteRecords(NewFile& file, std::size_t part, std::string& refusal) {
    const std::string_view text = file.parts[part];
    const std::vector<std::size_t>& marks = file.replaced[part];
    auto mark = marks.cbegin();
    const std::size_t index = m_buffers.size();
    const std::size_t first = m_count + file.count;
    std::size_t count = 0, pos = 0;
    for (;;) {
        if (m_marks.size() * kLinesPerMark == first + count)
            m_marks.push_back(Place{index, pos, {}, false});
        if (pos >= text.size())
            break;
        const csv::Record r = csv::next(text, pos);
        if (r.fault == csv::Record::Unclosed && part == 0 && !file.parts[1].empty()) {
            file.carryOver(pos, mark);
            break;
        }
        if (r.fault != csv::Record::None || r.bytes.size() > kImportLineBytes) {
            // The first part is already taken when the second is read.
            const std::string_view taken = part == 0 ? std::string_view() : m_buffers[file.buffersBefore];
            refusal = recordRefusal(text, r, pos,
                                    static_cast<std::size_t>(std::count(taken.begin(), taken.end(), '\n')));
            return false;
        }
        noteReplaced(mark, marks.cend(), r.next, first + count, m_replacedLines);
        ++count;
        pos = r.next;
    }
    file.count += count;
    return true;
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
        const std::string_view text = m_lines.m_buffers[m_at.buffer];
        if (m_lines.m_csv && m_at.pos < text.size()) {
            const csv::Record r = csv::next(text, m_at.pos);
            line = r.bytes;
            m_at.pos = r.next;
            return true;
        }
        if (!m_lines.m_csv && nextPiece(text, m_at.pos, m_at.rest, m_at.inLine, line))
            return true;
        ++m_at.buffer;
        m_at.pos = 0;
    }
    return false;
}

ReadResult readTextFile(const std::string& path, ImportLines& lines, TextEncoding choice, Notifier& notifier,
                        Progress& progress, FileEncoding* used) {
    std::string first, second;
    if (!readInTwo(path, first, second)) {
        notifier.error(ko("화일경로가 존재하지 않습니다."));
        return ReadResult::NotOpened;
    }
    const TextFileRead read = lines.appendFile(std::move(first), std::move(second), choice, &progress);
    if (used)
        *used = read.encoding;
    if (!read.refusal.empty()) {
        notifier.error(cp949::fromNativePath(path) + "\n" + read.refusal);
        return ReadResult::Refused;
    }
    if (read.unmappable > 0)
        notifier.info(cp949::fromNativePath(path) + "\n" + read.encoding.name() +
                      ko(" 화일에서 CP949로 바꿀 수 없는 글자 ") + std::to_string(read.unmappable) +
                      ko("개를 '?'로 바꾸었습니다."));
    return ReadResult::Read;
}

bool readLines(const std::string& path, ImportLines& lines, Notifier& notifier, Progress& progress) {
    return readTextFile(path, lines, TextEncoding::Auto, notifier, progress) == ReadResult::Read;
}

namespace {

// A block of lines made into table rows on one of the two cores, for the table on
// this one.
struct RowBlock {
    RowBlobs rows;
    int widest = 0; // most fields in one line
};

constexpr std::size_t kRowBlock = 8192;

// A line's cells from 1: column mode keeps ten fields and counts them all; a whole
// line is one field. `scratch` holds the CSV fields that lose a doubled quote.
class LineSplitter {
public:
    LineSplitter(std::string_view separators, bool csvRecords)
        : m_columns(!separators.empty()), m_csv(m_columns && csvRecords), m_splitter(separators) {}

    bool columns() const { return m_columns; }
    int width() const { return m_columns ? 11 : 2; }

    int operator()(std::string_view line, std::array<std::string_view, 11>& cells,
                   std::string& scratch) const {
        if (!m_columns) {
            cells[1] = line.empty() ? std::string_view(" ") : line;
            return 1;
        }
        std::size_t k = 1;
        const auto take = [&](std::string_view field) {
            if (k <= 10)
                cells[k++] = field;
        };
        return m_csv ? csv::forEachField(line, scratch, take) : m_splitter.forEach(line, take);
    }

private:
    bool m_columns;
    bool m_csv;
    bytes::RunSplitter m_splitter;
};

// Shows the first lines as the table would split them; the fields of the first
// line when the user takes it as the header row.
std::optional<int> chosenHeaderRow(const ImportLines& lines, const LineSplitter& split,
                                   const HeaderRowChoice& headerRow) {
    ColumnSample sample;
    ImportLines::Cursor cursor(lines);
    std::array<std::string_view, 11> cells;
    std::string scratch;
    std::string_view line;
    while (!sample.full() && cursor.next(line)) {
        const int fields = std::min(split(line, cells, scratch), 10);
        sample.add(std::span<const std::string_view>(cells.data() + 1, static_cast<std::size_t>(fields)));
    }
    if (sample.rows.empty() || !headerRow(sample))
        return std::nullopt;
    return static_cast<int>(sample.rows.front().size());
}

// The table's size and room, and its header row and column.
void setUpTable(RecipientTable& table, const ImportLines& lines, const LineSplitter& split, int rows) {
    static const std::string rowHeader = ko(" 번 호 ");
    static const std::string columnSuffix = ko(" 열");
    table.setRowCount(rows + 1);
    table.setColumnCount(split.width());
    table.reserveText(lines.bytes() + lines.size() * (split.columns() ? 24 : 16));
    table.setCell(0, 0, rowHeader);
    if (split.columns()) {
        for (int k = 1; k <= 10; ++k)
            table.setCell(0, k, std::to_string(k) + columnSuffix);
    } else {
        table.setColumnWidth(1, 100);
        table.setCell(0, 1, ko(" 1 열 "));
    }
    table.setHeaderBackground(0, colours::header);
    table.setHeaderBackground(1, colours::header);
}

// Fills the rows from line `skip` on, blocks made on both cores; the most fields
// of a line.
int fillRows(RecipientTable& table, const ImportLines& lines, const LineSplitter& split, std::size_t skip) {
    const std::size_t count = lines.size() - skip;
    const auto make = [&](std::size_t b, RowBlock& block) {
        const std::size_t from = b * kRowBlock, to = std::min(count, from + kRowBlock);
        block.rows.clear(static_cast<std::size_t>(split.width()));
        block.widest = 0;
        ImportLines::Cursor cursor(lines, from + skip);
        RowLabel rowLabel;
        std::array<std::string_view, 11> cells;
        std::string scratch;
        std::string_view text;
        for (std::size_t i = from; i < to && cursor.next(text); ++i) {
            const int fields = split(text, cells, scratch);
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
    return widest;
}

} // namespace

bool fillTableFromLines(RecipientTable& table, ImportLines& lines, std::string_view separators,
                        Notifier& notifier, int& rows, const HeaderRowChoice& headerRow) {
    rows = static_cast<int>(lines.size());
    const LineSplitter split(separators, lines.csv());
    std::string_view line;
    std::array<std::string_view, 11> first;
    std::string firstScratch;
    if (split.columns() &&
        (!ImportLines::Cursor(lines).next(line) || split(line, first, firstScratch) == 0)) {
        notifier.error(ko("화일포맷이 잘못되었습니다. 확인바랍니다."));
        lines.clear();
        rows = 0;
        return false;
    }
    // The header line, when taken, is skipped: row r is line r + skip.
    std::size_t skip = 0;
    int headerFields = 0;
    if (headerRow)
        if (const std::optional<int> fields = chosenHeaderRow(lines, split, headerRow)) {
            skip = 1;
            headerFields = *fields;
            --rows;
        }
    setUpTable(table, lines, split, rows);
    const int widest = std::max(headerFields, fillRows(table, lines, split, skip));
    std::vector<int> replaced;
    replaced.reserve(lines.replacedLines().size());
    for (const std::size_t replacedLine : lines.replacedLines())
        if (replacedLine >= skip) // a header line is no row
            replaced.push_back(static_cast<int>(replacedLine - skip) + 1);
    table.setReplacedRows(std::move(replaced));
    lines.clear();
    if (split.columns())
        table.setColumnCount(widest + 1);
    return true;
}

} // namespace qb
