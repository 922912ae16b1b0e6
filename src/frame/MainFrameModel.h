#pragma once

#include "app/AppPaths.h"
#include "app/ServiceConfig.h"
#include "app/SystemLog.h"
#include "common/LoginState.h"
#include "common/Notifier.h"
#include "common/SendTypes.h"
#include "frame/Commands.h"
#include "net/LoginDialogModel.h"
#include "net/LoginHost.h"
#include "net/LoginSession.h"

#include <QObject>

#include <memory>
#include <string>

// The main window without its widgets: the login state and session, the send
// settings and transfer text, the commands and their enabling, the active view,
// the titles, the after-login steps, logout and the close question. The window
// shows what this decides (FrameHost); the send form does its part through
// SendFormHost.
namespace qb {

class FrameHost;
class SendFormHost;

class MainFrameModel : public QObject, private LoginHost {
    Q_OBJECT

public:
    // The window's creation: the working folder's imgtemp is emptied and the
    // version read; the user is logged out.
    MainFrameModel(AppPaths paths, ServiceConfig config, FrameHost& view, Notifier& notifier);
    ~MainFrameModel() override;

    // Without a send form the after-login steps are skipped.
    void setSendForm(SendFormHost* form) { m_sendForm = form; }

    bool isEnabled(Command c) const { return qb::isEnabled(c, m_state.loggedIn); }
    // Runs the command if it is enabled; false when it is not.
    bool execute(Command c);

    void login();
    // "로그아웃": refused while a send job runs (it would be cut off with records
    // half sent); otherwise logout().
    void requestLogout();
    // View 101, the send form's balance and callbacks emptied, the connection
    // closed, the flag cleared, the logout title.
    void logout();
    // Nothing when the view is already shown; a web page view loads its page
    // each time it is brought forward.
    void showView(ViewId view);
    void openNoticeWindow();
    void openMemberInfoWindow();
    void openAddressBook();
    // The banner: the service's home page in the system's browser.
    void openHomePage();
    // "적용" in the reject list dialog: while logged in, the title shows the
    // applied files' new total.
    void rejectListsApplied(long long total);
    // The window is about to close: asks "종료하시겠습니까?" (while a send job
    // runs, whether to stop it); on Yes ends the job, logs out, empties imgtemp,
    // closes the editor windows and returns true.
    bool confirmClose();

    ViewId activeView() const { return m_activeView; }
    const std::string& title() const { return m_title; }
    std::string pageUrl(ViewId view) const;
    std::string noticeUrl() const;
    std::string memberInfoUrl() const;
    // "도움말": the program and its version.
    std::string aboutCaption() const;
    std::string aboutText() const;

    LoginState& loginState() { return m_state; }
    const LoginState& loginState() const { return m_state; }
    LoginSession& session() { return *m_session; }
    // Written by direct entry and the address book, read by the send form.
    std::string& transferText() { return m_transferText; }
    // Entries the address book handed over since the program started.
    long long& handOverTotal() { return m_handOverTotal; }
    const AppPaths& paths() const { return m_paths; }
    const ServiceConfig& config() const { return m_config; }
    // Everything the frame and the login tell the user goes through here.
    Notifier& notifier();
    LoginDialogModel loginDialogModel();

private:
    // LoginHost, for the login connection.
    void showWaitWindow() override;
    void closeWaitWindow() override;
    void loggedIn() override;
    void closedByServer() override;
    void loggedOut() override;
    void runAfterLoginSteps() override;

    void setTitle(const std::string& title);
    void refreshBalance() override;
    bool sendResultArrived(int result, int count) override;

    // Tells the window when the logged-in flag has changed since it last heard.
    void syncLoginState();

    AppPaths m_paths;
    ServiceConfig m_config;
    FrameHost& m_view;
    RefreshingNotifier m_notifier; // syncs the login state first
    SystemLog m_log;
    LoginState m_state;
    std::unique_ptr<LoginSession> m_session;
    std::string m_transferText;
    long long m_handOverTotal = 0;
    SendFormHost* m_sendForm = nullptr;
    ViewId m_activeView = ViewId::SendForm;
    std::string m_title;
    bool m_shownLoggedIn = false;
};

} // namespace qb
