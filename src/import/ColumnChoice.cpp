#include "import/ColumnChoice.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/PhoneNumber.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace qb {
namespace {

constexpr std::size_t kNameBytes = 30;

std::string_view cellOf(const std::vector<std::string>& row, std::size_t c) {
    return c < row.size() ? std::string_view(row[c]) : std::string_view();
}

bool validNumber(std::string_view cell) {
    PhoneDigits digits;
    return phoneDigits(cell, digits);
}

bool holdsText(std::string_view cell) {
    if (validNumber(cell))
        return false;
    return std::any_of(cell.begin(), cell.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

// Compared at character starts only, so that no match straddles two Hangul syllables.
bool containsAligned(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size();
         i += cp949::isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1)
        if (bytes::equalsIgnoreCase(text.substr(i, word.size()), word))
            return true;
    return false;
}

std::size_t widest(const ColumnSample& sample) {
    std::size_t n = 0;
    for (const auto& row : sample.rows)
        n = std::max(n, row.size());
    return n;
}

// Columns (from 0) where at least half of the data rows hold a valid number.
std::vector<std::size_t> mostlyNumbers(const ColumnSample& sample, std::size_t firstData) {
    const std::size_t rows = sample.rows.size() > firstData ? sample.rows.size() - firstData : 0;
    std::vector<std::size_t> valid(widest(sample), 0);
    for (std::size_t r = firstData; r < sample.rows.size(); ++r)
        for (std::size_t c = 0; c < sample.rows[r].size(); ++c)
            valid[c] += validNumber(sample.rows[r][c]) ? 1 : 0;
    std::vector<std::size_t> out;
    for (std::size_t c = 0; c < valid.size(); ++c)
        if (rows > 0 && valid[c] * 2 >= rows)
            out.push_back(c);
    return out;
}

// One column of `among` (every column when empty) that the header names; npos
// when none or several.
std::size_t namedAmong(const std::vector<std::string>& header, const std::vector<std::size_t>& among) {
    std::size_t found = std::string::npos;
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (!among.empty() && std::find(among.begin(), among.end(), c) == among.end())
            continue;
        if (!namesNumberColumn(header[c]))
            continue;
        if (found != std::string::npos)
            return std::string::npos;
        found = c;
    }
    return found;
}

} // namespace

int findNumberColumn(const ColumnSample& sample, bool header) {
    const std::vector<std::size_t> numbers = mostlyNumbers(sample, header ? 1 : 0);
    if (numbers.size() == 1)
        return static_cast<int>(numbers.front()) + 1;
    if (!header || sample.rows.empty())
        return 0;
    const std::size_t named = namedAmong(sample.rows.front(), numbers);
    return named == std::string::npos ? 0 : static_cast<int>(named) + 1;
}

void ColumnSample::add(std::span<const std::string_view> cells) {
    if (full())
        return;
    std::vector<std::string>& row = rows.emplace_back();
    row.reserve(cells.size());
    for (const std::string_view cell : cells)
        row.emplace_back(cell);
}

bool namesNumberColumn(std::string_view headerText) {
    static const std::array<std::string, 7> words = {ko("전화"), ko("휴대폰"), ko("핸드폰"), ko("연락처"),
                                                     ko("번호"), "phone",      "mobile"};
    return std::any_of(words.begin(), words.end(),
                       [&](const std::string& w) { return containsAligned(headerText, w); });
}

bool offerHeaderRow(const ColumnSample& sample) {
    if (sample.rows.empty())
        return false;
    const std::vector<std::string>& first = sample.rows.front();
    std::size_t filled = 0, text = 0;
    for (const std::string& cell : first) {
        if (bytes::trim(cell).empty())
            continue;
        ++filled;
        text += holdsText(cell) ? 1 : 0;
    }
    if (filled == 0 || text * 2 <= filled)
        return false;
    const int found = findNumberColumn(sample, true);
    const std::vector<std::size_t> columns =
        found > 0 ? std::vector<std::size_t>{static_cast<std::size_t>(found) - 1} : mostlyNumbers(sample, 1);
    return !columns.empty() && std::none_of(columns.begin(), columns.end(),
                                            [&](std::size_t c) { return validNumber(cellOf(first, c)); });
}

std::string headerName(std::string_view cell) {
    return cp949::cutBytes(bytes::trim(cell), kNameBytes);
}

std::string columnCaption(int column, std::string_view name) {
    std::string caption = std::to_string(column) + ko(" 열");
    if (!name.empty())
        caption.append(" (").append(name).append(")");
    return caption;
}

std::string headerSignature(const std::vector<std::string>& names) {
    // FNV-1a over the names, each closed by a byte no name holds.
    std::uint64_t h = 0xcbf29ce484222325u;
    const auto mix = [&h](unsigned char c) {
        h ^= c;
        h *= 0x100000001b3u;
    };
    for (const std::string& name : names) {
        for (const char c : name)
            mix(static_cast<unsigned char>(c));
        mix(0);
    }
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4)
        out[static_cast<std::size_t>(i)] = hex[h & 15];
    return out;
}

} // namespace qb
