#include "FormTestSupport.h"

#include "send/NightHours.h"

#include <gtest/gtest.h>

using namespace qb;
using namespace qb::test;

namespace {

// `rows` numbers in an SMS form; with `ad`, "광고" on with its settings and text.
void prepare(FormFixture& f, int rows, bool ad) {
    f.loadNumbered(rows);
    f.prepareSms("hi");
    f.advertise(ad);
    if (ad)
        f.form.insertAdvertisingText();
}

void reserve(FormFixture& f, int hour, int minuteItem) {
    f.form.onReservedChosen();
    f.state().reservationDate = {2024, 12, 10};
    f.state().reservationHour.select(hour);
    f.state().reservationMinute.select(minuteItem);
}

} // namespace

TEST(SendTimes, AReservationNotLaterThanNowIsRefused) {
    const struct Case {
        int hour, minute; // now, Korean time
        bool ad, accepted;
    } cases[] = {{14, 4, false, true}, {14, 4, true, true}, {14, 5, true, false}, {17, 5, false, false}};
    for (const char* zone : kZones)
        for (const Case& c : cases) {
            const ZoneAt at(zone);
            const ClockAt clock(fromKorean({2024, 12, 10, c.hour, c.minute, 0}));
            FormFixture f;
            prepare(f, 1, c.ad);
            reserve(f, 14, 1);
            EXPECT_EQ(f.form.validateAndPreview(), c.accepted) << zone << c.hour;
            EXPECT_EQ(c.accepted ? f.batch().queue.at(0).reservation : f.notifier.texts().back(),
                      c.accepted ? "2024-12-10 14:05:00"
                                 : "예약시간이 현재시간 이전입니다. 예약시간을 확인해 주세요.")
                << zone;
        }
}

TEST(SendTimes, NightIsFrom21To08KoreanTime) {
    const auto kst = [](int hour, int minute, int second) {
        return fromKorean({2024, 12, 10, hour, minute, second});
    };
    const struct Case {
        SendTimes times;
        long long slices;
    } cases[] = {{{kst(7, 40, 0), 7, true, false, 2, 10}, 2}, {{kst(23, 0, 0), 100, true, false, 1, 1}, 100},
                 {{kst(20, 59, 59), 5, false, true}, 0},      {{kst(21, 0, 0), 5, false, true}, 1},
                 {{kst(7, 59, 59), 5, false, false}, 1},      {{kst(8, 0, 0), 5, false, false}, 0}};
    for (const char* zone : kZones)
        for (const Case& c : cases) {
            const ZoneAt at(zone);
            EXPECT_EQ(nightSlices(c.times).slices, c.slices) << zone << c.times.base;
        }
    const std::string many = cp949::toUtf8(nightSlices(cases[1].times).text);
    EXPECT_EQ(many.substr(many.rfind('\n')), "\n외 [90] 회차"); // ten named
}

// Reserved for 20:40, ten records every ten minutes: the third slice goes at 21:00.
TEST(SendTimes, NightSlicesOfAnAdvertisementNeedConsent) {
    const struct Case {
        std::optional<bool> consent; // given beforehand, as qbsend does
        bool answer;
    } cases[] = {{std::nullopt, false}, {std::nullopt, true}, {false, true}, {true, false}};
    for (const Case& c : cases) {
        const ZoneAt at("UTC");
        const ClockAt clock(fromKorean({2024, 12, 10, 9, 0, 0}));
        FormFixture f;
        prepare(f, 30, true);
        reserve(f, 20, 8);
        f.state().nightConsent = c.consent;
        f.state().splitOn = true;
        f.state().splitCount = "10";
        f.state().splitMinutes.select(9);
        f.notifier.answerNext(c.answer);
        EXPECT_EQ(f.form.validateAndPreview(), c.consent.value_or(c.answer));
        const std::string shown = f.notifier.texts().back();
        EXPECT_NE(shown.find("야간(21시~08시) 전송 (한국시간): 분할전송 [1] 회차, [10] 건\n"
                             "3회차 2024-12-10 21:00:00 (21~30번째)"),
                  std::string::npos)
            << shown;
        EXPECT_EQ(f.notifier.shown().back().question, !c.consent && !c.answer);
    }
}

TEST(SendTimes, ATypedCallbackTheServiceDoesNotListIsNamed) {
    const struct Case {
        const char* typed; // nullptr: the first item chosen
        bool loggedIn, ad, named;
    } cases[] = {{"02-1234-5678", true, true, false},
                 {nullptr, true, true, false},
                 {"0212345679", true, false, true},
                 {"0212345679", true, true, true},
                 {"0212345679", false, true, false}};
    for (const Case& c : cases) {
        FormFixture f;
        f.login.loggedIn = c.loggedIn;
        prepare(f, 1, c.ad);
        f.form.setCallbackChoices({"0212345678", "0311112222"});
        if (c.typed)
            f.form.onCallbackEdited(c.typed);
        EXPECT_EQ(f.form.validateAndPreview(), !(c.named && c.ad)) << c.typed;
        EXPECT_EQ(f.notifier.texts().back().find(
                      "회신번호 [0212345679]는 등록된 발신번호가 아닙니다. 등록된 번호만 "
                      "발신번호로 쓸 수 있습니다.") != std::string::npos,
                  c.named);
    }
}
