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

    const std::string group = ko("거래처");
    store.addGroup(user, group);
    const struct {
        const char* name;
        const char* hpno;
        const char* etc;
    } people[] = {{"김민수", "01012345678", "서울"},
                  {"이영희", "01087654321", "부산"},
                  {"박철수", "01055556666", "대구"}};
    for (const auto& p : people)
        store.addEntry(user, StoredEntry{0, group, p.hpno, ko(p.name), ko(p.etc), "2026-12-01 09:00:00"});
}

} // namespace qbs
