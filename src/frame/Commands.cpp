#include "frame/Commands.h"

#include <stdexcept>

namespace qb {

const std::vector<CommandInfo>& allCommands() {
    static const std::vector<CommandInfo> commands = {
        {Command::Login, "로그인"},
        {Command::Logout, "로그아웃"},
        {Command::SendForm, "문자전송"},
        {Command::Results, "결과조회"},
        {Command::Reserved, "예약조회"},
        {Command::AddressBook, "주소록"},
        {Command::Charge, "사이버머니충전"},
        {Command::Notice, "공지사항"},
        {Command::MemberInfo, "회원정보수정"},
        {Command::About, "도움말"},
        {Command::Exit, "종료"},
    };
    return commands;
}

const CommandInfo& commandInfo(Command c) {
    for (const CommandInfo& info : allCommands())
        if (info.command == c)
            return info;
    throw std::out_of_range("unknown command");
}

const std::vector<MenuInfo>& menuBar() {
    static const std::vector<MenuInfo> menus = {
        {"로그인/아웃", {Command::Login, Command::Logout}},
        {"전송/조회", {Command::SendForm, Command::Results, Command::Reserved, Command::AddressBook}},
        {"충전", {Command::Charge}},
        {"보기", {Command::Notice, Command::MemberInfo, Command::About}},
        {"종료", {Command::Exit}},
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
