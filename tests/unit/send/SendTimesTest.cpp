#include "FormTestSupport.h"

#include "send/NightHours.h"

#include <gtest/gtest.h>

using namespace qb;
using namespace qb::test;

namespace {

// A one-row SMS form, reserved for 2024-12-10 14:05 Korean time.
void reserveAt1405(FormFixture& f, bool advertising) {
    f.loadRows({{"01011112222"}});
    f.prepareSms("hi");
    f.state().advertising = advertising;
    f.form.onReservedChosen();
    f.state().reservationDate = {2024, 12, 10};
    f.state().reservationHour.select(14);
    f.state().reservationMinute.select(1);
}

} // namespace

TEST(SendTimes, AReservationNotLaterThanNowIsRefused) {
    struct Case {
        LocalTime now; // Korean time
        bool accepted;
    } cases[] = {{{2024, 12, 10, 14, 4, 0}, true},
                 {{2024, 12, 10, 14, 5, 0}, false},
                 {{2024, 12, 10, 17, 5, 0}, false}};
    for (const char* zone : kZones)
        for (const bool ad : {false, true})
            for (const Case& c : cases) {
                ZoneAt at(zone);
                ClockAt clock(fromKorean(c.now));
                FormFixture f;
                reserveAt1405(f, ad);
                f.state().nightConsent = true;
                EXPECT_EQ(f.form.validateAndPreview(), c.accepted) << zone << c.now.hour;
                if (c.accepted)
                    EXPECT_EQ(f.batch().queue.at(0).reservation, "2024-12-10 14:05:00") << zone;
                else
                    EXPECT_EQ(f.notifier.shown(),
                              std::vector<Shown>{
                                  errorBox("예약시간이 현재시간 이전입니다. 예약시간을 확인해 주세요.")})
                        << zone;
            }
}

TEST(SendTimes, NightSlicesAreNamedInKoreanTime) {
    const auto kst = [](int hour, int minute, int second = 0) {
        return fromKorean({2024, 12, 10, hour, minute, second});
    };
    struct Case {
        SendTimes times;
        long long slices;
        const char* text; // the first line when it ends in "…"
    } cases[] = {
        {{kst(20, 40), 50, true, false, 10, 10},
         3,
         "야간(21시~08시) 전송 (한국시간): 분할전송 [3] 회차, [30] 건\n3회차 2024-12-10 21:00:00 "
         "(21~30번째)\n"
         "4회차 2024-12-10 21:10:00 (31~40번째)\n5회차 2024-12-10 21:20:00 (41~50번째)"},
        {{kst(7, 40), 7, true, false, 2, 10},
         2,
         "야간(21시~08시) 전송 (한국시간): 분할전송 [2] 회차, [4] 건\n1회차 2024-12-10 07:40:00 (1~2번째)\n"
         "2회차 2024-12-10 07:50:00 (3~4번째)"},
        {{kst(23, 0), 100, true, false, 1, 1},
         100,
         "야간(21시~08시) 전송 (한국시간): 분할전송 [100] 회차, [100] 건…"},
        {{kst(20, 59, 59), 5, false, true}, 0, ""},
        {{kst(21, 0), 5, false, true},
         1,
         "야간(21시~08시) 전송 (한국시간): 2024-12-10 21:00:00 즉시전송, 전송할 데이터 전체 [5] 건"},
        {{kst(7, 59, 59), 5, false, false},
         1,
         "야간(21시~08시) 전송 (한국시간): 2024-12-10 07:59:59 예약, 전송할 데이터 전체 [5] 건"},
        {{kst(8, 0), 5, false, false}, 0, ""},
    };
    for (const char* zone : kZones)
        for (const Case& c : cases) {
            ZoneAt at(zone);
            const NightSlices night = nightSlices(c.times);
            EXPECT_EQ(night.slices, c.slices) << zone << c.text;
            std::string text = cp949::toUtf8(night.text);
            if (c.slices > 10) {
                EXPECT_EQ(text.substr(text.rfind('\n') + 1), "외 [90] 회차");
                text = text.substr(0, text.find('\n')) + "…";
            }
            EXPECT_EQ(text, c.text) << zone;
        }
}

// The example of a split advertisement reserved for 20:40: answered, refused
// beforehand (qbsend without its consent) and agreed beforehand.
TEST(SendTimes, NightSlicesOfAnAdvertisementNeedConsent) {
    struct Case {
        std::optional<bool> consent;
        bool answer;
        bool queued;
    } cases[] = {
        {std::nullopt, false, false}, {std::nullopt, true, true}, {false, true, false}, {true, false, true}};
    for (const Case& c : cases) {
        ClockAt clock(fromKorean({2024, 12, 10, 9, 0, 0}));
        FormFixture f;
        std::vector<std::vector<std::string>> rows;
        for (int i = 0; i < 30; ++i)
            rows.push_back({"010" + std::to_string(10000000 + i)});
        f.loadRows(rows);
        f.prepareSms("hi");
        f.state().advertising = true;
        f.state().nightConsent = c.consent;
        f.form.onReservedChosen();
        f.state().reservationHour.select(20);
        f.state().reservationMinute.select(8);
        f.state().splitOn = true;
        f.form.onSplitSwitch();
        f.state().splitCount = "10";
        f.state().splitMinutes.select(9);
        f.notifier.answerNext(c.answer);
        EXPECT_EQ(f.form.validateAndPreview(), c.queued);
        EXPECT_EQ(f.batch().queue.size(), c.queued ? 30U : 0U);
        const Shown& last = f.notifier.shown().back();
        EXPECT_EQ(last.question, !c.consent && !c.queued);
        EXPECT_NE(last.utf8().find("3회차 2024-12-10 21:00:00 (21~30번째)"), std::string::npos)
            << last.utf8();
    }
}

TEST(SendTimes, ATypedCallbackTheServiceDoesNotListIsNamed) {
    const char* unlisted =
        "회신번호 [0212345679]는 등록된 발신번호가 아닙니다. 등록된 번호만 발신번호로 쓸 수 있습니다.";
    struct Case {
        const char* typed; // nullptr: the first item chosen
        bool loggedIn, ad, named;
    } cases[] = {
        {"02-1234-5678", true, true, false}, {nullptr, true, true, false},
        {"0212345679", true, false, true},   {"0212345679", true, true, true},
        {"0212345679", false, true, false},
    };
    for (const Case& c : cases) {
        ClockAt clock(fromKorean({2024, 12, 10, 9, 0, 0}));
        FormFixture f;
        f.login.loggedIn = c.loggedIn;
        f.loadRows({{"01011112222"}});
        f.prepareSms("hi");
        f.state().advertising = c.ad;
        f.form.setCallbackChoices({"0212345678", "0311112222"});
        if (c.typed)
            f.form.onCallbackEdited(c.typed);
        EXPECT_EQ(f.form.validateAndPreview(), !(c.named && c.ad)) << c.typed;
        const std::string text = f.notifier.shown().back().utf8();
        EXPECT_EQ(text.find(unlisted) != std::string::npos, c.named) << text;
    }
}
