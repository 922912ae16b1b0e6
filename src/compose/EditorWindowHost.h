#pragma once

#include "compose/EditorContent.h"

#include <optional>
#include <string>

// What the send form asks of the editor windows its window keeps: the LMS editor
// and the MMS window. The client's editor windows implement it; tests and qbsend
// have their own.
namespace qb {

class EditorWindowHost {
public:
    virtual ~EditorWindowHost() = default;
    // nullopt when the window is not open.
    virtual std::optional<EditorContent> lmsEditor() const = 0;
    virtual std::optional<EditorContent> mmsWindow() const = 0;
    // Focus the window when open, otherwise create and show it.
    virtual void showLmsEditor() = 0;
    virtual void showMmsWindow() = 0;
    virtual void closeLmsEditor() = 0;
    virtual void closeMmsWindow() = 0;
    // The SMS turned LMS: the LMS editor opens holding `body` (touched). A host
    // without an LMS editor of its own just shows it.
    virtual void openLmsWith(const std::string& body) {
        (void)body;
        showLmsEditor();
    }
    // The open editor of `kind` (LMS or MMS) now holds `body` (touched); its own
    // limit and counter apply. A host without editor windows ignores it.
    virtual void replaceBody(MessageKind kind, const std::string& body) {
        (void)kind;
        (void)body;
    }
};

// For a form used without editor windows (SMS only).
class NoEditorWindowHost final : public EditorWindowHost {
public:
    std::optional<EditorContent> lmsEditor() const override { return std::nullopt; }
    std::optional<EditorContent> mmsWindow() const override { return std::nullopt; }
    void showLmsEditor() override {}
    void showMmsWindow() override {}
    void closeLmsEditor() override {}
    void closeMmsWindow() override {}
};

} // namespace qb
