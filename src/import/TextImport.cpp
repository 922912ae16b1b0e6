#include "import/TextImport.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/HugePages.h"
#include "import/FileBytes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace qb {
namespace {

// At most a thousand progress steps, whatever the line count.
class ThrottledProgress {
public:
    ThrottledProgress(Progress* p, std::int64_t total)
        : m_p(p), m_step(std::max<std::int64_t>(1, total / 1000)) {
        if (m_p)
            m_p->setRange(0, total);
    }
    void advance() {
        ++m_value;
        if (m_p && m_value % m_step == 0)
            m_p->setValue(m_value);
    }
    void finish() {
        if (m_p && m_value % m_step != 0)
            m_p->setValue(m_value);
    }

private:
    Progress* m_p;
    std::int64_t m_step;
    std::int64_t m_value = 0;
};

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

template <typename F> void forEachPiece(std::string_view text, F&& f) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char* nl = static_cast<const char*>(std::memchr(text.data() + pos, '\n', text.size() - pos));
        const std::size_t end = nl ? static_cast<std::size_t>(nl - text.data()) : text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        while (line.size() > kImportLineBytes) {
            const std::size_t cut = cp949::safeCutLength(line, kImportLineBytes);
            f(line.substr(0, cut));
            line.remove_prefix(cut);
        }
        f(line);
    }
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
    m_lines.clear();
    m_lines.shrink_to_fit();
    m_buffers.clear();
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

    std::size_t count = 0;
    forEachPiece(text, [&](std::string_view) { ++count; });
    ThrottledProgress bar(progress, static_cast<std::int64_t>(count));
    m_lines.reserve(m_lines.size() + count);
    adviseHugePages(m_lines);
    forEachPiece(text, [&](std::string_view piece) {
        m_lines.push_back(piece);
        bar.advance();
    });
    bar.finish();
    return unmappable;
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

bool fillTableFromLines(RecipientTable& table, ImportLines& lines, std::string_view separators,
                        Notifier& notifier, int& rows) {
    static const std::string rowHeader = ko(" 번 호 ");
    static const std::string columnSuffix = ko(" 열");
    rows = static_cast<int>(lines.size());
    char number[16];
    auto rowLabel = [&](int r) {
        const auto res = std::to_chars(number, number + sizeof number, r);
        return std::string_view(number, static_cast<std::size_t>(res.ptr - number));
    };

    if (separators.empty()) {
        table.setRowCount(rows + 1);
        table.setColumnCount(2);
        table.setColumnWidth(1, 100);
        table.setCell(0, 0, rowHeader);
        table.setCell(0, 1, ko(" 1 열 "));
        table.setHeaderBackground(0, colours::header);
        table.setHeaderBackground(1, colours::header);
        std::size_t bytes = 0;
        for (std::size_t i = 0; i < lines.size(); ++i)
            bytes += lines[i].size();
        table.reserveText(bytes + lines.size() * 16);
        for (int r = 1; r <= rows; ++r) {
            const std::string_view line = lines[static_cast<std::size_t>(r - 1)];
            const std::array<std::string_view, 2> cells{rowLabel(r),
                                                        line.empty() ? std::string_view(" ") : line};
            table.setRow(r, cells);
        }
        lines.clear();
        return true;
    }

    const bytes::RunSplitter splitter(separators);
    // Ten columns are kept; the count says how many the line had.
    auto split = [&](std::string_view line, std::array<std::string_view, 11>& cells) {
        std::size_t k = 1;
        return splitter.forEach(line, [&](std::string_view field) {
            if (k <= 10)
                cells[k++] = field;
        });
    };

    std::array<std::string_view, 11> cells;
    if (lines.empty() || split(lines[0], cells) == 0) {
        notifier.error(ko("화일포맷이 잘못되었습니다. 확인바랍니다."));
        lines.clear();
        rows = 0;
        return false;
    }
    table.setRowCount(rows + 1);
    table.setColumnCount(11);
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        bytes += lines[i].size();
    table.reserveText(bytes + lines.size() * 24);
    table.setCell(0, 0, rowHeader);
    for (int k = 1; k <= 10; ++k)
        table.setCell(0, k, std::to_string(k) + columnSuffix);
    table.setHeaderBackground(0, colours::header);
    table.setHeaderBackground(1, colours::header);
    int widest = 0;
    for (int r = 1; r <= rows; ++r) {
        const int count = split(lines[static_cast<std::size_t>(r - 1)], cells);
        widest = std::max(widest, count);
        cells[0] = rowLabel(r);
        table.setRow(r, std::span<const std::string_view>(cells.data(),
                                                          static_cast<std::size_t>(std::min(count, 10)) + 1));
    }
    lines.clear();
    table.setColumnCount(widest + 1);
    return true;
}

} // namespace qb
