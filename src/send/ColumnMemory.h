#pragma once

#include <array>
#include <optional>
#include <string>

// The number and merge columns the user chose for a header row, kept in Env.cfg
// (section [COLUMNS], one key per header signature) for the next load with the same
// header row.
namespace qb {

struct KeptColumns {
    int number = 0;             // 0: not chosen
    std::array<int, 4> merge{}; // <@1@>..<@4@>; 0: not chosen

    // Nothing when the value is not five numbers from 0 to `columns`.
    static std::optional<KeptColumns> read(const std::string& envCfgPath, const std::string& signature,
                                           int columns);
    bool write(const std::string& envCfgPath, const std::string& signature) const;
};

} // namespace qb
