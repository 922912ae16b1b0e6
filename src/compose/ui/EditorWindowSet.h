#pragma once

#include "compose/EditorWindowHost.h"
#include "web/WebClient.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

// The send form's editor windows: the LMS editor and the MMS window, each open
// at most once, beside the main window. The form opens and closes them through
// EditorWindowHost; validation reads the open one.
namespace qb {

class CLMSEditDlg;
class EditorWindow;
class CMMSEditDlg;

struct EditorWindowsContext {
    QWidget* owner; // the send form's view: parent of the windows
    const LoginState& login;
    Notifier& notifier;
    WebHost web;
    std::string pictureFolder; // the message boxes' picture cache
    // Runs when the user closes a window (not when the form does).
    std::function<void()> closedByUser;
};

class EditorWindowSet : public EditorWindowHost {
public:
    explicit EditorWindowSet(EditorWindowsContext context);
    ~EditorWindowSet() override;

    std::optional<EditorContent> lmsEditor() const override;
    std::optional<EditorContent> mmsWindow() const override;
    void showLmsEditor() override;
    void showMmsWindow() override;
    void closeLmsEditor() override;
    void closeMmsWindow() override;
    void openLmsWith(const std::string& body) override;
    void replaceBody(MessageKind kind, const std::string& body) override;

    // The open LMS editor, else the open MMS window, keeps its top-left corner at
    // the given point (the main window's top-right corner), kept on the screen.
    void follow(int right, int top);

    CLMSEditDlg* lmsWindow() const;
    CMMSEditDlg* mmsEditor() const;

private:
    // Makes the window when it is not open, then brings it up.
    template <typename Window> void showWindow(QPointer<Window>& window);
    void placeBesideMainWindow(QWidget* window);
    void raise(QWidget* window);
    void close(EditorWindow* window);
    void closedByUser();

    EditorWindowsContext m_context;
    WebClient m_web;
    QPointer<CLMSEditDlg> m_lms;
    QPointer<CMMSEditDlg> m_mms;
    bool m_closingFromForm = false;
};

} // namespace qb
