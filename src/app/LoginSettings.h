#pragma once

#include <string>

// Env.cfg, section [LOGIN]: the id and password the user chose to remember.
// The file is owner-only, since the password is stored as typed.
namespace qb {

struct LoginSettings {
    std::string id;                  // ID; "0000" when the id is not saved
    std::string password;            // PASSWD; "0000" when the password is not saved
    std::string idCheck = "N";       // IDCHECK: "Y" when the id is saved
    std::string passwordCheck = "N"; // PASSCHECK: "Y" when the password is saved
    bool fileTooLarge = false;       // Env.cfg was not read (every key its default)

    // Missing keys read as "" (ID, PASSWD) and "N" (IDCHECK, PASSCHECK).
    static LoginSettings read(const std::string& envCfgPath);
    // All four keys in one rewrite, in the order ID, IDCHECK, PASSWD, PASSCHECK.
    bool write(const std::string& envCfgPath) const;

    // "0000" placeholders for what is not saved.
    static LoginSettings remember(const std::string& id, bool saveId, const std::string& password,
                                  bool savePassword);
};

} // namespace qb
