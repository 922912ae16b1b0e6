#pragma once

#include "app/AppPaths.h"
#include "app/ServiceConfig.h"
#include "common/ui/MessageBoxNotifier.h"
#include "frame/FrameHost.h"
#include "frame/MainFrameModel.h"
#include "frame/ui/SendFormSlot.h"

#include <QMainWindow>
#include <QPointer>

#include <map>
#include <memory>

class QStackedWidget;
class QToolBar;

// The program's one top-level window: menu, toolbar with the banner, status bar,
// and one of four content views. What it does is MainFrameModel's; this class
// shows it.
namespace qb {

class BannerLabel;
class CMemberInfoDlg;
class CNoticeDlg;
class WebPageView;
class WaitWindow;

class CMainFrame : public QMainWindow, private FrameHost {
    Q_OBJECT

public:
    // The size it first opens at, where the screen has room.
    static constexpr int kWidth = 750;
    static constexpr int kHeight = 850;
    // The least size that still shows every control, the whole toolbar and a few
    // rows of the grid; with a title bar it fits a 1366 x 768 screen's free height.
    static constexpr int kMinWidth = 750;
    static constexpr int kMinHeight = 640;

    CMainFrame(AppPaths paths, ServiceConfig config, QWidget* parent = nullptr);
    ~CMainFrame() override;

    MainFrameModel& model() { return *m_model; }
    MessageBoxNotifier& messageBoxes() { return m_messages; }

    // The command's action, shared by its menu item and toolbar button.
    QAction* action(Command c) const { return m_actions.at(c); }
    QToolBar* toolBar() const { return m_toolBar; }
    BannerLabel* banner() const { return m_banner; }

    QWidget* currentView() const;
    QWidget* sendFormWidget() const { return m_sendForm.widget; }
    SendFormHost* sendForm() const { return m_sendForm.panel; }
    // Null until the view is first shown.
    WebPageView* pageView(ViewId view) const;

    WaitWindow* waitWindow() const;
    CNoticeDlg* noticeWindow() const;
    CMemberInfoDlg* memberInfoWindow() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;

private:
    // FrameHost
    void setTitle(const std::string& title) override;
    void showWaitWindow() override;
    void closeWaitWindow() override;
    void loginStateChanged(bool loggedIn) override;
    void activateView(ViewId view) override;
    void navigate(ViewId view, const std::string& url) override;
    void showNoticeWindow(const std::string& url) override;
    void showMemberInfoWindow(const std::string& url) override;
    bool runLoginDialog() override;
    bool runAddressBook() override;
    void showAbout() override;
    void openInBrowser(const std::string& url) override;
    void closeWindow() override;

    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void closeSideWindows();
    void restorePlace();
    void noteFramed();
    void keepWhole();
    void savePlace() const;

    MessageBoxNotifier m_messages;
    std::unique_ptr<MainFrameModel> m_model;
    std::map<Command, QAction*> m_actions;
    QToolBar* m_toolBar = nullptr;
    BannerLabel* m_banner = nullptr;
    QStackedWidget* m_views = nullptr;
    SendFormSlot m_sendForm;
    std::map<ViewId, WebPageView*> m_pageViews;
    QPointer<WaitWindow> m_waitWindow;
    QPointer<CNoticeDlg> m_notice;
    QPointer<CMemberInfoDlg> m_memberInfo;
    bool m_framed = false;
};

} // namespace qb
