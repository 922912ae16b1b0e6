#pragma once

#include "common/SendTypes.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// The rules for an advertising text message, over composed messages: the body
// begins with exactly "(광고)", no variant of that marker appears, the sender's
// name appears, and one of the last two lines offers free refusal ("무료", "거부"
// and the refusal number). Texts are CP949; line breaks LF or CR LF.
namespace qb {

// "(광고)"
const std::string& adMarker();

// The first variant of the marker at or after `from`: an opening bracket, "광",
// "고" and a closing bracket, with any spaces or punctuation between them, other
// than "(광고)" itself ("(광 고)", "[광고]", "< 광.고 >"). Full-width brackets and
// punctuation count. Returns its start and length; start npos when there is none.
struct TextSpan {
    std::size_t pos = std::string_view::npos;
    std::size_t size = 0;
};
TextSpan findMarkerVariant(std::string_view text, std::size_t from = 0);

// Whether one of the last two lines (lines of nothing but spaces at the end do not
// count) holds "무료", "거부" and `optOutDigits` as a whole run of digits once
// hyphens are left out.
bool hasOptOutLine(std::string_view body, std::string_view optOutDigits);

// "광고 문구 넣기": "(광고)" and `name` at the start (a variant of the marker there
// is replaced; the name is not repeated when it follows the marker already) and
// "무료수신거부 " + `optOut` on a line of its own at the end, unless the last two
// lines offer refusal already. CR LF line breaks.
std::string withAdvertisingText(std::string_view body, std::string_view name, std::string_view optOut);

// Finds what breaks the rules in each composed message and keeps, per finding,
// the number of rows and the first ten row numbers. Nothing of the messages is kept.
class AdvertisingCheck {
public:
    enum Finding { MarkerNotFirst, MarkerVariant, NameMissing, OptOutMissing, kFindings };
    static constexpr std::size_t kRowsNamed = 10;

    // `optOut` as the user wrote it.
    AdvertisingCheck(MessageKind kind, std::string name, std::string optOut);

    // One message; `row` is the recipient table's row it was composed for, 0 for a
    // message that is the same for every row.
    void check(std::string_view title, std::string_view body, long long row);
    // Findings of rows checked after these (the next block of a job).
    void add(const AdvertisingCheck& later);
    void clear();

    bool passed() const;
    long long rows(Finding f) const { return m_found[f].count; }
    // One message box's text: what to fix, then a line per finding in the order
    // above with its rows, "(행 7, 9)", each named by `rowName` (its number without).
    std::string report(const std::function<std::string(long long)>& rowName = {}) const;

private:
    struct Rows {
        long long count = 0;
        std::array<long long, kRowsNamed> first{};
    };
    void found(Finding f, long long row);
    std::string line(Finding f) const;

    MessageKind m_kind;
    std::string m_name;
    std::string m_optOut;
    std::string m_optOutDigits;
    std::array<Rows, kFindings> m_found{};
    std::string m_variant; // the first variant seen, as written
};

} // namespace qb
