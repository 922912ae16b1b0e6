#include "frame/ui/CMainFrame.h"

#include "common/QtText.h"
#include "compose/ui/ScreenPlacement.h"
#include "frame/FramePlacement.h"
#include "frame/ui/BannerLabel.h"
#include "frame/ui/LockKeyIndicators.h"
#include "net/ui/LoginDialog.h"
#include "net/ui/WaitWindow.h"
#include "send/SendFormHost.h"
#include "views/ui/BrowserSurface.h"
#include "views/ui/CChargeMoney.h"
#include "views/ui/CMemberInfoDlg.h"
#include "views/ui/CNoticeDlg.h"
#include "views/ui/CViewReserved.h"
#include "views/ui/CViewResult.h"
#include "web/ui/AddressBookWindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace qb {
namespace {

const char* imageName(Command c) {
    switch (c) {
    case Command::Login:
        return "login";
    case Command::Logout:
        return "logout";
    case Command::SendForm:
        return "send";
    case Command::Results:
        return "results";
    case Command::Reserved:
        return "reserved";
    case Command::AddressBook:
        return "addressbook";
    case Command::Charge:
        return "charge";
    case Command::Notice:
        return "notice";
    case Command::Exit:
        return "exit";
    default:
        return nullptr;
    }
}

QIcon toolbarIcon(const char* name) {
    const QString base = QString(":/images/toolbar/%1-").arg(name);
    QIcon icon;
    icon.addFile(base + "normal.png", QSize(55, 55), QIcon::Normal);
    icon.addFile(base + "hot.png", QSize(55, 55), QIcon::Active);
    icon.addFile(base + "disabled.png", QSize(55, 55), QIcon::Disabled);
    return icon;
}

// Brings a modeless window forward; false when there is none to bring (it was
// never opened, or it is already on its way out).
template <typename W> bool focusIfOpen(const QPointer<W>& window) {
    if (!window || !window->isVisible())
        return false;
    window->raise();
    window->activateWindow();
    return true;
}

// The screens' free areas, and which of them is the primary screen's.
std::vector<ScreenRect> availableAreas(std::size_t& primary) {
    std::vector<ScreenRect> areas;
    for (QScreen* s : QGuiApplication::screens()) {
        if (s == QGuiApplication::primaryScreen())
            primary = areas.size();
        areas.push_back(toScreenRect(s->availableGeometry()));
    }
    return areas;
}

} // namespace

CMainFrame::CMainFrame(AppPaths paths, ServiceConfig config, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                              Qt::WindowCloseButtonHint),
      m_messages(this) {
    setObjectName("mainFrame");
    FrameHost& view = *this;
    m_model = std::make_unique<MainFrameModel>(std::move(paths), std::move(config), view, m_messages);

    createActions();
    createMenus();
    createToolBar();
    createStatusBar();

    m_views = new QStackedWidget(this);
    m_views->setObjectName("views");
    setCentralWidget(m_views);
    m_sendForm = createSendForm(*m_model, m_views);
    m_views->addWidget(m_sendForm.widget);
    m_model->setSendForm(m_sendForm.panel);

    prepareBrowserSurface(this);
    setMinimumSize(kMinWidth, kMinHeight);
    restorePlace();
    setWindowTitle(toQString(m_model->title()));
    loginStateChanged(m_model->loginState().loggedIn);
}

CMainFrame::~CMainFrame() {
    // The model's login connection may still report to this window.
    m_model->setSendForm(nullptr);
    m_model.reset();
}

void CMainFrame::createActions() {
    for (const CommandInfo& info : allCommands()) {
        auto* a = new QAction(QString::fromStdString(withMnemonic(info.text, info.mnemonic)), this);
        const int id = static_cast<int>(info.command);
        a->setObjectName(QString("cmd_%1").arg(id));
        a->setData(id);
        // The toolbar's tip and the status line say the plain words.
        a->setToolTip(QString::fromUtf8(info.text));
        a->setStatusTip(QString::fromUtf8(info.text));
        a->setIconText(QString::fromUtf8(info.text));
        if (*info.shortcut)
            a->setShortcut(QKeySequence(QString::fromLatin1(info.shortcut)));
        a->setIconVisibleInMenu(false);
        if (const char* image = imageName(info.command))
            a->setIcon(toolbarIcon(image));
        const Command c = info.command;
        connect(a, &QAction::triggered, this, [this, c] { m_model->execute(c); });
        m_actions.emplace(c, a);
    }
}

void CMainFrame::createMenus() {
    for (const MenuInfo& menu : qb::menuBar()) {
        QMenu* m =
            QMainWindow::menuBar()->addMenu(QString::fromStdString(withMnemonic(menu.title, menu.mnemonic)));
        for (const Command c : menu.items)
            m->addAction(action(c));
    }
}

void CMainFrame::createToolBar() {
    m_toolBar = addToolBar(QString::fromUtf8("도구 모음"));
    m_toolBar->setObjectName("toolBar");
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(55, 55));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_toolBar->setStyleSheet(
        "QToolBar { spacing: 1px; padding: 1px; } QToolButton { padding: 0px; margin: 0px; }");
    for (const ToolbarItem& item : toolbar()) {
        if (item.separator)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(action(item.command));
    }
    m_toolBar->addSeparator();
    // The button Qt shows when the buttons do not fit (a larger font) has no
    // words of its own.
    if (auto* more = m_toolBar->findChild<QToolButton*>("qt_toolbar_ext_button"))
        more->setAccessibleName(QString::fromUtf8("도구 모음 더 보기"));
    m_banner = new BannerLabel(m_toolBar);
    m_toolBar->addWidget(m_banner);
    connect(m_banner, &BannerLabel::pressed, this, [this] { m_model->openHomePage(); });
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("statusBar");
    bar->setSizeGripEnabled(false);
    const QString idle = QString::fromUtf8("준비");
    // A command's tip replaces the idle text while the pointer is on it.
    connect(bar, &QStatusBar::messageChanged, bar, [bar, idle](const QString& text) {
        if (text.isEmpty())
            bar->showMessage(idle);
    });
    bar->showMessage(idle);
    new LockKeyIndicators(bar);
}

QWidget* CMainFrame::currentView() const {
    return m_views->currentWidget();
}

WebPageView* CMainFrame::pageView(ViewId view) const {
    const auto it = m_pageViews.find(view);
    return it == m_pageViews.end() ? nullptr : it->second;
}

WaitWindow* CMainFrame::waitWindow() const {
    return m_waitWindow;
}

CNoticeDlg* CMainFrame::noticeWindow() const {
    return m_notice;
}

CMemberInfoDlg* CMainFrame::memberInfoWindow() const {
    return m_memberInfo;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_model->confirmClose()) {
        event->ignore();
        return;
    }
    closeSideWindows();
    savePlace();
    event->accept();
}

void CMainFrame::restorePlace() {
    const std::optional<FramePlacement> saved = FramePlacement::read(m_model->paths().envCfgPath());
    std::size_t primary = 0;
    const std::vector<ScreenRect> areas = availableAreas(primary);
    const ScreenRect r = restoredPlace(saved ? std::optional(saved->normal) : std::nullopt, areas, primary,
                                       {kWidth, kHeight}, {kMinWidth, kMinHeight}, {});
    setGeometry(r.x, r.y, r.width, r.height);
    if (saved && saved->maximised)
        setWindowState(windowState() | Qt::WindowMaximized);
}

// Once, when the window manager has framed the window: its title bar and
// borders must fit on the screen too. After that the window moves only when
// the user moves it.
void CMainFrame::keepWhole() {
    if (windowState() != Qt::WindowNoState)
        return;
    const QRect frame = frameGeometry(), own = geometry();
    const FrameMargins margins{own.left() - frame.left(), own.top() - frame.top(),
                               frame.right() - own.right(), frame.bottom() - own.bottom()};
    std::size_t primary = 0;
    const std::vector<ScreenRect> areas = availableAreas(primary);
    const ScreenRect r =
        restoredPlace(toScreenRect(own), areas, primary, {kWidth, kHeight}, {kMinWidth, kMinHeight}, margins);
    if (QRect(r.x, r.y, r.width, r.height) != own)
        setGeometry(r.x, r.y, r.width, r.height);
}

void CMainFrame::savePlace() const {
    const FramePlacement place{toScreenRect(normalGeometry()), isMaximized()};
    place.write(m_model->paths().envCfgPath());
}

bool CMainFrame::event(QEvent* event) {
    // A window manager frames the window before it gives it the focus.
    if (event->type() == QEvent::WindowActivate)
        noteFramed();
    return QMainWindow::event(event);
}

void CMainFrame::noteFramed() {
    if (m_framed || frameGeometry() == geometry())
        return;
    m_framed = true;
    // Queued: a place set while the window system is still framing the window
    // would be overwritten.
    QMetaObject::invokeMethod(this, &CMainFrame::keepWhole, Qt::QueuedConnection);
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    noteFramed();
    if (m_sendForm.panel) {
        const QRect frame = frameGeometry();
        m_sendForm.panel->followMainWindow(frame.right() + 1, frame.top());
    }
}

void CMainFrame::closeSideWindows() {
    closeWaitWindow();
    if (CNoticeDlg* w = m_notice) {
        m_notice = nullptr;
        w->close();
    }
    if (CMemberInfoDlg* w = m_memberInfo) {
        m_memberInfo = nullptr;
        w->close();
    }
}

void CMainFrame::setTitle(const std::string& title) {
    setWindowTitle(toQString(title));
}

void CMainFrame::showWaitWindow() {
    if (focusIfOpen(m_waitWindow))
        return;
    m_waitWindow = new WaitWindow(this);
    m_waitWindow->show();
    m_waitWindow->centreOn(*this);
}

void CMainFrame::closeWaitWindow() {
    if (WaitWindow* w = m_waitWindow) {
        m_waitWindow = nullptr;
        w->close();
    }
}

void CMainFrame::loginStateChanged(bool loggedIn) {
    for (const auto& [command, a] : m_actions)
        a->setEnabled(qb::isEnabled(command, loggedIn));
}

void CMainFrame::activateView(ViewId view) {
    if (view == ViewId::SendForm) {
        m_views->setCurrentWidget(m_sendForm.widget);
        return;
    }
    WebPageView*& page = m_pageViews[view];
    if (!page) {
        switch (view) {
        case ViewId::Results:
            page = new CViewResult(m_views);
            break;
        case ViewId::Reserved:
            page = new CViewReserved(m_views);
            break;
        default:
            page = new CChargeMoney(m_views);
            break;
        }
        page->setObjectName(QString("view_%1").arg(static_cast<int>(view)));
        m_views->addWidget(page);
    }
    m_views->setCurrentWidget(page);
}

void CMainFrame::navigate(ViewId view, const std::string& url) {
    if (WebPageView* page = pageView(view))
        page->navigate(QUrl(toQString(url)));
}

void CMainFrame::showNoticeWindow(const std::string& url) {
    if (focusIfOpen(m_notice))
        return;
    m_notice = new CNoticeDlg(this);
    m_notice->setObjectName("noticeWindow");
    m_notice->show();
    m_notice->navigate(QUrl(toQString(url)));
}

void CMainFrame::showMemberInfoWindow(const std::string& url) {
    if (focusIfOpen(m_memberInfo))
        return;
    m_memberInfo = new CMemberInfoDlg(this);
    m_memberInfo->setObjectName("memberInfoWindow");
    m_memberInfo->show();
    m_memberInfo->navigate(QUrl(toQString(url)));
}

bool CMainFrame::runLoginDialog() {
    LoginDialog dialog(m_model->loginDialogModel(), this);
    return dialog.exec() == QDialog::Accepted;
}

bool CMainFrame::runAddressBook() {
    AddressBookWindow window(m_model->loginState(), m_model->notifier(), WebHost::from(m_model->config()),
                             m_model->transferText(), m_model->handOverTotal(), this);
    return window.run();
}

void CMainFrame::showAbout() {
    m_messages.show(m_model->aboutText(), MessageIcon::None, m_model->aboutCaption());
}

void CMainFrame::openInBrowser(const std::string& url) {
    QDesktopServices::openUrl(QUrl(toQString(url)));
}

void CMainFrame::closeWindow() {
    close();
}

} // namespace qb
