#pragma once

#include <ctime>
#include <string>

// Advertising may not reach recipients from 21:00 up to 08:00 Korean time unless
// they agreed to it apart from the advertising consent itself.
namespace qb {

// 21:00:00 .. 07:59:59 Korean time.
bool atNight(std::time_t t);

// When the records of a job go out: all at `base`, or (split) `sliceSize` records
// per slice, the slices `minutes` apart from `base`.
struct SendTimes {
    std::time_t base = 0;
    long long records = 0;
    bool split = false;
    bool immediate = false; // not split: sent at once, `base` being now
    long long sliceSize = 1;
    long long minutes = 0;
};

struct NightSlices {
    long long slices = 0;  // slices (a job not split is one) sent at night
    long long records = 0; // records in them
    std::string text;      // the summary's lines naming them; empty when none
};

NightSlices nightSlices(const SendTimes& times);

// Asked before an advertisement with night slices is queued: the advice and
// "진행하시겠습니까?". qbsend, which asks nothing, refuses with the advice alone.
const std::string& nightAdvice();
const std::string& nightQuestion();

} // namespace qb
