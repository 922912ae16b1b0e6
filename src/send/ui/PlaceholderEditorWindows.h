#pragma once

#include "send/FormHooks.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace qb {

// TEMPORARY: stands in for the LMS editor and the MMS window until they are
// built. Choosing LMS or MMS shows a small window in the editor's place, so the
// kind switch and its reset can be used and seen; the window holds no message,
// so validation finds no editor open. Closing it returns the form to SMS, as
// closing a real editor does.
class PlaceholderEditorWindows : public EditorWindows {
public:
    // `closedByUser` runs when the user closes a window (not when the form does).
    PlaceholderEditorWindows(QWidget* owner, std::function<void()> closedByUser);
    ~PlaceholderEditorWindows() override;

    std::optional<EditorContent> lmsEditor() const override { return std::nullopt; }
    std::optional<EditorContent> mmsWindow() const override { return std::nullopt; }
    void showLmsEditor() override;
    void showMmsWindow() override;
    void closeLmsEditor() override;
    void closeMmsWindow() override;

    // The open LMS window, else the open MMS window, keeps its top-left corner at
    // the given point.
    void follow(int right, int top);
    QWidget* lmsWindow() const { return m_lms; }
    QWidget* mmsWindowWidget() const { return m_mms; }

private:
    void show(QPointer<QWidget>& window, const char* titleUtf8, const char* objectName);
    void close(QPointer<QWidget>& window);

    QWidget* m_owner;
    std::function<void()> m_closedByUser;
    QPointer<QWidget> m_lms;
    QPointer<QWidget> m_mms;
    bool m_closingFromForm = false;
};

} // namespace qb
