#pragma once

#include <optional>
#include <string>
#include <vector>

// What the send form asks of the windows above it: the user's answers to its
// dialogs. The client answers with widgets; tests and qbsend answer directly.
namespace qb {

class FormDialogHost {
public:
    virtual ~FormDialogHost() = default;
    // Open-file dialog for "텍스트화일" (several files, in order). nullopt: cancelled.
    virtual std::optional<std::vector<std::string>> chooseTextFiles(const std::string& initialName) = 0;
    // Open-file dialog for "엑셀화일". nullopt: cancelled.
    virtual std::optional<std::string> chooseWorkbook(const std::string& initialName) = 0;
    // "사용하실 엑셀시트를 선택하세요": the chosen sheet from 1, nullopt when closed without one.
    virtual std::optional<int> chooseSheet(const std::vector<std::string>& sheetNames) = 0;
    // Save-file dialog for a CSV file, offering `initialName`. nullopt: cancelled.
    virtual std::optional<std::string> chooseCsvToSave(const std::string& initialName) {
        (void)initialName;
        return std::nullopt;
    }
};

// For a form that asks nobody (qbsend, benchmarks): every dialog is cancelled.
class NoFormDialogHost final : public FormDialogHost {
public:
    std::optional<std::vector<std::string>> chooseTextFiles(const std::string&) override { return {}; }
    std::optional<std::string> chooseWorkbook(const std::string&) override { return {}; }
    std::optional<int> chooseSheet(const std::vector<std::string>&) override { return {}; }
};

} // namespace qb
