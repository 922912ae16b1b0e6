#include "frame/Commands.h"

#include <stdexcept>

namespace qb {

const std::vector<CommandInfo>& allCommands() {
    static const std::vector<CommandInfo> commands = {
        {Command::Login, "로그인", 'I', "Ctrl+L"},      {Command::Logout, "로그아웃", 'O', "Ctrl+Shift+L"},
        {Command::SendForm, "문자전송", 'S', "Ctrl+1"}, {Command::Results, "결과조회", 'R', "Ctrl+2"},
        {Command::Reserved, "예약조회", 'V', "Ctrl+3"}, {Command::AddressBook, "주소록", 'A', "Ctrl+B"},
        {Command::Charge, "사이버머니충전", 'C', ""},   {Command::Notice, "공지사항", 'N', ""},
        {Command::MemberInfo, "회원정보수정", 'M', ""}, {Command::About, "도움말", 'H', "F1"},
        {Command::Exit, "종료", 'X', "Ctrl+Q"},
    };
    return commands;
}

std::string withMnemonic(const char* utf8Text, char key) {
    return std::string(utf8Text) + "(&" + key + ")";
}

const CommandInfo& commandInfo(Command c) {
    for (const CommandInfo& info : allCommands())
        if (info.command == c)
            return info;
    throw std::out_of_range("unknown command");
}

const std::vector<MenuInfo>& menuBar() {
    static const std::vector<MenuInfo> menus = {
        {"로그인/아웃", 'L', {Command::Login, Command::Logout}},
        {"전송/조회", 'S', {Command::SendForm, Command::Results, Command::Reserved, Command::AddressBook}},
        {"충전", 'C', {Command::Charge}},
        {"보기", 'V', {Command::Notice, Command::MemberInfo, Command::About}},
        {"종료", 'X', {Command::Exit}},
    };
    return menus;
}

const std::vector<ToolbarItem>& toolbar() {
    static const std::vector<ToolbarItem> items = {
        {false, Command::Login},       {false, Command::Logout},  {true, Command::Login},
        {false, Command::SendForm},    {false, Command::Results}, {false, Command::Reserved},
        {false, Command::AddressBook}, {false, Command::Charge},  {true, Command::Login},
        {false, Command::Notice},      {false, Command::Exit},
    };
    return items;
}

bool isEnabled(Command c, bool loggedIn) {
    switch (c) {
    case Command::Login:
        return !loggedIn;
    case Command::Notice:
    case Command::About:
    case Command::Exit:
        return true;
    case Command::Logout:
    case Command::SendForm:
    case Command::Results:
    case Command::Reserved:
    case Command::AddressBook:
    case Command::Charge:
    case Command::MemberInfo:
        return loggedIn;
    }
    return false;
}

std::optional<ViewId> viewOf(Command c) {
    switch (c) {
    case Command::SendForm:
        return ViewId::SendForm;
    case Command::Results:
        return ViewId::Results;
    case Command::Reserved:
        return ViewId::Reserved;
    case Command::Charge:
        return ViewId::Charge;
    default:
        return std::nullopt;
    }
}

} // namespace qb
