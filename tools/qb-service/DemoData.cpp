#include "DemoData.h"

#include "WebStore.h"

#include "common/Cp949.h"

namespace qbs {

void seedDemoData(WebStore& store, std::string_view user) {
    using qb::ko;
    Balance balance;
    balance.balance = "50000";
    store.setBalance(user, balance);

    store.addCallback(user, "0212345678", "2026-01-05");
    store.addCallback(user, "01099998888", "2026-03-17");

    for (const char* text :
         {"[퀼뱅크] 오늘 오후 3시 회의가 있습니다.", "<@1@>님, 주문하신 상품이 발송되었습니다."})
        store.addMessage(user, MessageStore::Sms, StoredMessage{0, {}, ko(text), {}});
    // Four LMS messages: the LMS box has a second page.
    const struct {
        const char* title;
        const char* body;
    } lms[] = {
        {"12월 소식지", "안녕하세요.\n12월 행사 안내드립니다.\n감사합니다."},
        {"정기 점검 안내", "3월 9일(토) 02:00~06:00 서비스 점검이 있습니다.\n이용에 참고 바랍니다."},
        {"[퀼뱅크] 봄맞이 할인",
         "<@1@>님, 봄맞이 할인 쿠폰을 드립니다.\n★ 기간: 3월 한 달\n☎ 문의: 02-1234-5678"},
        {"배송 안내", "<@1@>님, 주문하신 상품이 오늘 출발합니다.\n도착 예정일은 내일입니다."},
    };
    for (const auto& m : lms)
        store.addMessage(user, MessageStore::Lms, StoredMessage{0, ko(m.title), ko(m.body), {}});

    // A few groups, one of them long enough to scroll.
    const struct {
        const char* group;
        const char* name;
        const char* hpno;
        const char* etc;
        const char* credate;
    } people[] = {
        {"거래처", "김민수", "01012345678", "서울 본사", "2026-12-01 09:00:00"},
        {"거래처", "이영희", "01087654321", "부산 지점", "2026-12-01 09:00:00"},
        {"거래처", "박철수", "01055556666", "대구 대리점", "2026-12-01 09:00:00"},
        {"거래처", "최지은", "01023456789", "인천 물류", "2026-12-02 10:15:00"},
        {"거래처", "정우성", "01034567890", "광주 영업소", "2026-12-02 10:15:00"},
        {"거래처", "강하늘", "01045678901", "대전 지점", "2026-12-03 14:30:00"},
        {"거래처", "윤서준", "01056789012", "수원 대리점", "2026-12-03 14:30:00"},
        {"거래처", "한소희", "01067890123", "울산 공장", "2026-12-04 11:20:00"},
        {"거래처", "오민재", "01078901234", "제주 영업소", "2026-12-05 16:45:00"},
        {"거래처", "서지민", "01089012345", "춘천 지점", "2026-12-05 16:45:00"},
        {"가족", "엄마", "01011112222", "", "2026-11-20 08:00:00"},
        {"가족", "아빠", "01011113333", "", "2026-11-20 08:00:00"},
        {"가족", "동생", "01011114444", "대학생", "2026-11-20 08:00:00"},
        {"동호회", "김산악", "01090001111", "회장", "2026-10-02 19:00:00"},
        {"동호회", "이등산", "01090002222", "총무", "2026-10-02 19:00:00"},
        {"동호회", "박정상", "01090003333", "신입", "2026-10-15 19:00:00"},
        {"동호회", "최능선", "01090004444", "", "2026-10-15 19:00:00"},
    };
    for (const char* group : {"거래처", "가족", "동호회"})
        store.addGroup(user, ko(group));
    for (const auto& p : people)
        store.addEntry(user, StoredEntry{0, ko(p.group), p.hpno, ko(p.name), ko(p.etc), p.credate});
}

} // namespace qbs
