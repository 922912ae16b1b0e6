#pragma once

#include "Database.h"

#include <cstdint>
#include <optional>
#include <string>

// The subscribers the stand-in service knows: id, password and the two values
// the login reply hands the client. Ids and texts are CP949 bytes.
namespace qbs {

struct Account {
    std::string id;
    std::string password;
    std::int32_t userNumber = 0; // 0: the next free number is given
    std::string userTag;         // empty: "T" and the user number
};

class Accounts {
public:
    explicit Accounts(Database& db);

    static void createSchema(Database& db);

    // Adds or replaces. Throws std::invalid_argument for an id or password that is
    // empty, longer than 16 bytes or holds a NUL, or a tag longer than 15 bytes.
    Account add(Account account);
    std::optional<Account> find(const std::string& id);

    // One account per line: id password [user_number [user_tag]], separated by
    // blanks; '#' starts a comment. UTF-8 text, stored as CP949. Throws
    // std::runtime_error naming the file and line of the first bad line.
    void loadSeedFile(const std::string& path);

private:
    Database& m_db;
};

} // namespace qbs
