#pragma once

#include "common/SendTypes.h"

#include <optional>
#include <string>
#include <vector>

// What the send form needs from windows it does not own: the user's answers to its
// dialogs, and the LMS editor and MMS window. The client implements these with
// widgets; tests and qbsend answer them directly.
namespace qb {

class FormDialogs {
public:
    virtual ~FormDialogs() = default;
    // Open-file dialog for "텍스트화일" (several files, in order). nullopt: cancelled.
    virtual std::optional<std::vector<std::string>> chooseTextFiles(const std::string& initialName) = 0;
    // Open-file dialog for "엑셀화일". nullopt: cancelled.
    virtual std::optional<std::string> chooseWorkbook(const std::string& initialName) = 0;
    // "사용하실 엑셀시트를 선택하세요": the chosen sheet from 1, nullopt when closed without one.
    virtual std::optional<int> chooseSheet(const std::vector<std::string>& sheetNames) = 0;
};

// What validation reads from an open LMS editor or MMS window.
struct EditorContent {
    std::string title;
    bool titleTouched = false;
    std::string body; // CR LF line breaks
    bool bodyTouched = false;
    PictureSlots pictures; // MMS only
};

class EditorWindows {
public:
    virtual ~EditorWindows() = default;
    // nullopt when the window is not open.
    virtual std::optional<EditorContent> lmsEditor() const = 0;
    virtual std::optional<EditorContent> mmsWindow() const = 0;
    // Focus the window when open, otherwise create and show it.
    virtual void showLmsEditor() = 0;
    virtual void showMmsWindow() = 0;
    virtual void closeLmsEditor() = 0;
    virtual void closeMmsWindow() = 0;
    // The SMS turned LMS: the LMS editor opens holding `body` (touched). A set of
    // windows without an LMS editor of its own just shows it.
    virtual void openLmsWith(const std::string& body) {
        (void)body;
        showLmsEditor();
    }
};

// For a form that asks nobody (qbsend, benchmarks): every dialog is cancelled.
class NoFormDialogs final : public FormDialogs {
public:
    std::optional<std::vector<std::string>> chooseTextFiles(const std::string&) override { return {}; }
    std::optional<std::string> chooseWorkbook(const std::string&) override { return {}; }
    std::optional<int> chooseSheet(const std::vector<std::string>&) override { return {}; }
};

// For a form used without editor windows (SMS only).
class NoEditorWindows final : public EditorWindows {
public:
    std::optional<EditorContent> lmsEditor() const override { return std::nullopt; }
    std::optional<EditorContent> mmsWindow() const override { return std::nullopt; }
    void showLmsEditor() override {}
    void showMmsWindow() override {}
    void closeLmsEditor() override {}
    void closeMmsWindow() override {}
};

} // namespace qb
