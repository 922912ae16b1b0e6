#include "send/JobCost.h"

#include "common/Bytes.h"
#include "common/Cp949.h"

namespace qb {
namespace {

// The service writes plain integers; a grouped "50,000" reads the same.
std::optional<long long> amount(std::string_view text) {
    std::string digits;
    for (const char c : bytes::trim(text))
        if (c != ',')
            digits += c;
    long long v = 0;
    if (!bytes::parseDecimal(digits, v))
        return std::nullopt;
    return v;
}

std::string shown(const std::optional<long long>& v) {
    return v ? groupedAmount(*v) : std::string("-");
}

} // namespace

std::string groupedAmount(long long value) {
    const unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::string plain = std::to_string(magnitude);
    std::string out;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (i > 0 && (plain.size() - i) % 3 == 0)
            out += ',';
        out += plain[i];
    }
    return value < 0 ? "-" + out : out;
}

JobCost jobCost(MessageKind kind, long long count, const BalanceLine& line) {
    JobCost c;
    c.count = count;
    c.balance = amount(line.balance);
    long long cost = 0;
    // A price past any real one is no price: better "-" than a wrapped amount.
    if (const auto price = amount(line.unitPrices[static_cast<std::size_t>(kind)]);
        price && !__builtin_mul_overflow(*price, count, &cost))
        c.cost = cost;
    return c;
}

std::string costSummary(const JobCost& cost) {
    if (!cost.cost && !cost.balance)
        return {};
    return ko("예상금액 [") + shown(cost.cost) + ko("] 원\n잔액 [") + shown(cost.balance) + ko("] 원");
}

std::string costLine(const JobCost& cost) {
    return ko("전송 [") + std::to_string(cost.count) + ko("] 건, 예상금액 [") + shown(cost.cost) +
           ko("] 원, 잔액 [") + shown(cost.balance) + ko("] 원");
}

} // namespace qb
