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
    store.addMessage(
        user, MessageStore::Lms,
        StoredMessage{0, ko("12월 소식지"), ko("안녕하세요.\n12월 행사 안내드립니다.\n감사합니다."), {}});

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
