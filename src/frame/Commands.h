#pragma once

#include <optional>
#include <string>
#include <vector>

// The main window's commands, their numbers and when they may be used. The
// numbers are the commands' identities: menus, toolbar and tests refer to them.
namespace qb {

enum class Command : int {
    Login = 32783,
    Logout = 32784,
    SendForm = 32772,
    Results = 32774,
    Reserved = 32776,
    AddressBook = 32794,
    Charge = 32778,
    Notice = 32780,
    MemberInfo = 32791,
    About = 57664,
    Exit = 57665,
};

// The content views, by the number of their form.
enum class ViewId : int {
    SendForm = 101,
    Results = 134,
    Reserved = 138,
    Charge = 140,
};

struct CommandInfo {
    Command command;
    const char* text;     // UTF-8; the menu item's and the toolbar button's text
    char mnemonic;        // the menu item's key, shown as "(&K)" after the text
    const char* shortcut; // portable key sequence text; empty for none
};

struct MenuInfo {
    const char* title; // UTF-8
    char mnemonic;     // Alt + this key opens the menu
    std::vector<Command> items;
};

// "로그인(&I)": a Korean text with its key after it, as Korean menus show it.
std::string withMnemonic(const char* utf8Text, char key);

// Every command in menu order.
const std::vector<CommandInfo>& allCommands();
const CommandInfo& commandInfo(Command c);
// The menu bar, left to right.
const std::vector<MenuInfo>& menuBar();
// The toolbar's buttons in order, with its two separators.
struct ToolbarItem {
    bool separator = false;
    Command command = Command::Login; // unused for a separator
};
const std::vector<ToolbarItem>& toolbar();

// Logged out: only 로그인, 공지사항, 도움말 and 종료.
bool isEnabled(Command c, bool loggedIn);

// The view a command shows, if it shows one.
std::optional<ViewId> viewOf(Command c);

} // namespace qb
