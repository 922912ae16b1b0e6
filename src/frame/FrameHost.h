#pragma once

#include "frame/Commands.h"

#include <string>

// What the main frame's model asks of its window. Texts and addresses are CP949.
namespace qb {

class FrameHost {
public:
    virtual ~FrameHost() = default;

    virtual void setTitle(const std::string& title) = 0;
    // Modeless and single: when it is open it only gets the focus.
    virtual void showWaitWindow() = 0;
    // Closing a window that is not open does nothing.
    virtual void closeWaitWindow() = 0;
    // The logged-in flag changed; the commands' enabling follows it.
    virtual void loginStateChanged(bool loggedIn) = 0;

    // Creates the view the first time, shows it and hides the one shown before.
    virtual void activateView(ViewId view) = 0;
    // Loads the page into one of the web page views.
    virtual void navigate(ViewId view, const std::string& url) = 0;
    // Modeless and single, loading `url` when opened.
    virtual void showNoticeWindow(const std::string& url) = 0;
    virtual void showMemberInfoWindow(const std::string& url) = 0;

    // Modal; true when it ended with OK (the login state then holds id and password).
    virtual bool runLoginDialog() = 0;
    // Modal; true when it was closed with its close button ("닫기").
    virtual bool runAddressBook() = 0;
    virtual void showAbout() = 0;
    // The system's browser, for the banner.
    virtual void openInBrowser(const std::string& url) = 0;
    // Starts the window's close path (which asks first).
    virtual void closeWindow() = 0;
};

} // namespace qb
