#pragma once

#include <optional>
#include <string>
#include <vector>

// What the address book's file import asks of the register dialog above it: the
// user's answers to its file and sheet choosers. The client's dialog answers with
// widgets; tests answer directly.
namespace qb {

class AddressImportHost {
public:
    virtual ~AddressImportHost() = default;
    // "텍스트화일 (*.txt)" or "엑셀화일 (*.xls, *.xlsx)"; nullopt when cancelled.
    virtual std::optional<std::string> chooseFile() = 0;
    // ":::: 엑셀시트선택": the chosen sheet from 1; nullopt when closed without one.
    virtual std::optional<int> chooseSheet(const std::vector<std::string>& sheetNames) = 0;
};

} // namespace qb
