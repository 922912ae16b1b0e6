#include "send/JobCost.h"

#include "common/Cp949.h"

namespace qb {
namespace {

std::string shown(const std::optional<long long>& v) {
    return v ? groupedAmount(*v) : std::string("-");
}

std::string shortText(const JobCost& cost) {
    const std::optional<long long> lacking = shortfall(cost);
    return lacking ? ko("\n잔액이 [") + groupedAmount(*lacking) + ko("] 원 부족합니다.") : std::string();
}

} // namespace

JobCost jobCost(MessageKind kind, long long count, const BalanceLine& line) {
    JobCost c;
    c.count = count;
    c.balance = parseAmount(line.balance);
    long long cost = 0;
    // A price past any real one is no price: better "-" than a wrapped amount.
    if (const auto price = parseAmount(line.unitPrices[static_cast<std::size_t>(kind)]);
        price && !__builtin_mul_overflow(*price, count, &cost))
        c.cost = cost;
    return c;
}

std::optional<long long> shortfall(const JobCost& cost) {
    if (!cost.cost || !cost.balance || *cost.cost <= *cost.balance)
        return std::nullopt;
    return *cost.cost - *cost.balance;
}

std::string costSummary(const JobCost& cost) {
    if (!cost.cost && !cost.balance)
        return {};
    return ko("예상금액 [") + shown(cost.cost) + ko("] 원\n잔액 [") + shown(cost.balance) + ko("] 원") +
           shortText(cost);
}

std::string costLine(const JobCost& cost) {
    return ko("전송 [") + std::to_string(cost.count) + ko("] 건, 예상금액 [") + shown(cost.cost) +
           ko("] 원, 잔액 [") + shown(cost.balance) + ko("] 원") + shortText(cost);
}

} // namespace qb
