#include "frame/WindowTitle.h"

#include "common/Cp949.h"

#include <gtest/gtest.h>

using namespace qb;

TEST(WindowTitle, EveryVariant) {
    const std::string host = "quillbank2.example";
    const std::pair<std::string, const char*> rows[] = {
        {title::created(host), "퀼뱅크문자 [quillbank2.example]"},
        {title::closedByServer(host), " 퀼뱅크문자 [quillbank2.example]"},
        {title::loggedOut(host), " 퀼뱅크문자 [quillbank2.example] "},
        {title::loggedIn(host, "user01", "2.1.5"),
         " 퀼뱅크문자 [quillbank2.example]  - 아이디 : [user01] Ver - 2.1.5 "},
        {title::loggedIn(host, "user01", ""),
         " 퀼뱅크문자 [quillbank2.example]  - 아이디 : [user01] Ver -  "},
        {title::afterLogin(host, "user01", "2.1.5", 1234),
         " 퀼뱅크문자 [quillbank2.example] - 아이디 : [user01] Ver - 2.1.5 ::수신거부 데이터 [1234] 개"},
        {title::afterLogin(host, ko("홍길동"), "", 0),
         " 퀼뱅크문자 [quillbank2.example] - 아이디 : [홍길동] Ver -  ::수신거부 데이터 [0] 개"},
    };
    for (const auto& [actual, expected] : rows)
        EXPECT_EQ(actual, ko(expected)) << expected;
}
