#include "send/NightHours.h"

#include "common/Clock.h"
#include "common/Cp949.h"

#include <algorithm>

namespace qb {
namespace {

constexpr long long kDay = 24 * 60 * 60;
constexpr long long kKoreaOffset = 9 * 60 * 60;
// The summary names this many slices and counts the rest.
constexpr long long kNamed = 10;

std::string stamp(std::time_t t) {
    return formatKorean(t, "%Y-%m-%d %H:%M:%S");
}

} // namespace

bool atNight(std::time_t t) {
    long long second = (static_cast<long long>(t) + kKoreaOffset) % kDay;
    if (second < 0)
        second += kDay;
    const long long hour = second / 3600;
    return hour >= 21 || hour < 8;
}

NightSlices nightSlices(const SendTimes& times) {
    NightSlices found;
    if (times.records <= 0)
        return found;
    static const std::string heading = ko("야간(21시~08시) 전송 (한국시간)");
    if (!times.split) {
        if (!atNight(times.base))
            return found;
        found.slices = 1;
        found.records = times.records;
        found.text = heading + ": " + stamp(times.base) + " " +
                     (times.immediate ? ko("즉시전송") : ko("예약")) + ko(", 전송할 데이터 전체 [") +
                     std::to_string(times.records) + ko("] 건");
        return found;
    }
    const long long size = std::max(1LL, times.sliceSize);
    const long long slices = (times.records + size - 1) / size;
    std::string named;
    for (long long k = 0; k < slices; ++k) {
        const std::time_t t = times.base + static_cast<std::time_t>(k * times.minutes * 60);
        if (!atNight(t))
            continue;
        const long long first = k * size + 1;
        const long long last = std::min(times.records, first + size - 1);
        if (found.slices < kNamed)
            named += "\n" + std::to_string(k + 1) + ko("회차 ") + stamp(t) + " (" + std::to_string(first) +
                     "~" + std::to_string(last) + ko("번째)");
        ++found.slices;
        found.records += last - first + 1;
    }
    if (found.slices == 0)
        return found;
    found.text = heading + ko(": 분할전송 [") + std::to_string(found.slices) + ko("] 회차, [") +
                 std::to_string(found.records) + ko("] 건") + named;
    if (found.slices > kNamed)
        found.text += "\n" + ko("외 [") + std::to_string(found.slices - kNamed) + ko("] 회차");
    return found;
}

const std::string& nightAdvice() {
    static const std::string advice =
        ko("야간(21시~08시) 광고 수신에 별도 동의한 수신자에게만 보내는 경우에만 진행하세요.");
    return advice;
}

const std::string& nightQuestion() {
    static const std::string question = nightAdvice() + "\n" + ko("진행하시겠습니까?");
    return question;
}

} // namespace qb
