#pragma once

#include "common/Amount.h"
#include "common/SendTypes.h"
#include "web/CallbackNumbers.h"

#include <optional>
#include <string>

// What a job costs at the service's unit prices, beside the balance, so the user
// sees a short balance before the first record goes rather than after.
namespace qb {

struct JobCost {
    long long count = 0;
    std::optional<long long> cost;    // unknown while no price of the kind was read
    std::optional<long long> balance; // unknown while no balance line was read
};

JobCost jobCost(MessageKind kind, long long count, const BalanceLine& line);

// How much the balance lacks for the job; nullopt when it is enough or unknown.
std::optional<long long> shortfall(const JobCost& cost);

// The summary's lines "예상금액 [%s] 원\n잔액 [%s] 원"; empty while nothing is known.
// A short balance adds "잔액이 [%s] 원 부족합니다.", as it does to the line below.
std::string costSummary(const JobCost& cost);
// "전송 [%d] 건, 예상금액 [%s] 원, 잔액 [%s] 원": the question before a send, and
// qbsend's line. An unknown amount reads "-".
std::string costLine(const JobCost& cost);

} // namespace qb
