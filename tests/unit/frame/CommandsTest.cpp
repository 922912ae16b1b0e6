#include "frame/Commands.h"

#include <gtest/gtest.h>

#include <string>

using namespace qb;

namespace {

std::vector<std::string> enabledTexts(bool loggedIn) {
    std::vector<std::string> out;
    for (const CommandInfo& c : allCommands())
        if (isEnabled(c.command, loggedIn))
            out.push_back(c.text);
    return out;
}

} // namespace

TEST(Commands, EnablingFollowsTheLogin) {
    EXPECT_EQ(enabledTexts(false), (std::vector<std::string>{"로그인", "공지사항", "도움말", "종료"}));
    EXPECT_EQ(enabledTexts(true),
              (std::vector<std::string>{"로그아웃", "문자전송", "결과조회", "예약조회", "주소록",
                                        "사이버머니충전", "공지사항", "회원정보수정", "도움말", "종료"}));
}

TEST(Commands, MenusInOrderWithTheirNumbers) {
    std::vector<std::string> lines;
    for (const MenuInfo& m : menuBar())
        for (const Command c : m.items)
            lines.push_back(std::string(m.title) + " > " + commandInfo(c).text + " " +
                            std::to_string(static_cast<int>(c)));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "로그인/아웃 > 로그인 32783",
                         "로그인/아웃 > 로그아웃 32784",
                         "전송/조회 > 문자전송 32772",
                         "전송/조회 > 결과조회 32774",
                         "전송/조회 > 예약조회 32776",
                         "전송/조회 > 주소록 32794",
                         "충전 > 사이버머니충전 32778",
                         "보기 > 공지사항 32780",
                         "보기 > 회원정보수정 32791",
                         "보기 > 도움말 57664",
                         "종료 > 종료 57665",
                     }));
}

TEST(Commands, ToolbarOrder) {
    std::vector<std::string> buttons;
    for (const ToolbarItem& item : toolbar())
        buttons.push_back(item.separator ? "|" : std::to_string(static_cast<int>(item.command)));
    EXPECT_EQ(buttons, (std::vector<std::string>{"32783", "32784", "|", "32772", "32774", "32776", "32794",
                                                 "32778", "|", "32780", "57665"}));
}

TEST(Commands, ViewsOfCommands) {
    EXPECT_EQ(viewOf(Command::SendForm), ViewId::SendForm);
    EXPECT_EQ(viewOf(Command::Results), ViewId::Results);
    EXPECT_EQ(viewOf(Command::Reserved), ViewId::Reserved);
    EXPECT_EQ(viewOf(Command::Charge), ViewId::Charge);
    for (const Command c : {Command::Login, Command::Logout, Command::AddressBook, Command::Notice,
                            Command::MemberInfo, Command::About, Command::Exit})
        EXPECT_FALSE(viewOf(c).has_value()) << static_cast<int>(c);
    EXPECT_EQ(static_cast<int>(ViewId::Results), 134);
    EXPECT_EQ(static_cast<int>(ViewId::Reserved), 138);
    EXPECT_EQ(static_cast<int>(ViewId::Charge), 140);
}
