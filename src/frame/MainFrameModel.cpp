#include "frame/MainFrameModel.h"

#include "common/Cp949.h"
#include "frame/FrameHost.h"
#include "frame/WindowTitle.h"
#include "send/RejectList.h"
#include "send/SendFormHost.h"
#include "send/SendJob.h"
#include "web/WebHost.h"
#include "web/WebPages.h"

namespace qb {

// Forwards every message, after letting the window catch up with the logged-in
// flag: the login connection clears the flag just before some of its messages,
// and the commands must not look logged in behind such a box.
MainFrameModel::MainFrameModel(AppPaths paths, ServiceConfig config, FrameHost& view, Notifier& notifier)
    : m_paths(std::move(paths)), m_config(std::move(config)), m_view(view),
      m_notifier([this] { syncLoginState(); }, notifier), m_log(m_paths.workingFolder()),
      m_title(title::created(m_config.host)) {
    m_paths.clearImageTemp();
    m_state.version = m_paths.readVersion();
    LoginHost& host = *this;
    m_session = std::make_unique<LoginSession>(m_state, host, m_notifier, m_log, m_config);
}

MainFrameModel::~MainFrameModel() {
    // The connection reports to this object; it goes first.
    m_session.reset();
}

Notifier& MainFrameModel::notifier() {
    return m_notifier;
}

LoginDialogModel MainFrameModel::loginDialogModel() {
    return LoginDialogModel(m_paths.envCfgPath(), m_state, m_notifier);
}

bool MainFrameModel::execute(Command c) {
    syncLoginState();
    if (!isEnabled(c))
        return false;
    if (const std::optional<ViewId> view = viewOf(c)) {
        showView(*view);
        return true;
    }
    switch (c) {
    case Command::Login:
        login();
        break;
    case Command::Logout:
        requestLogout();
        break;
    case Command::AddressBook:
        openAddressBook();
        break;
    case Command::Notice:
        openNoticeWindow();
        break;
    case Command::MemberInfo:
        openMemberInfoWindow();
        break;
    case Command::About:
        m_view.showAbout();
        break;
    case Command::Exit:
        m_view.closeWindow();
        break;
    default:
        break;
    }
    return true;
}

void MainFrameModel::login() {
    m_session->closeLoginConnection();
    if (m_view.runLoginDialog())
        m_session->login();
    syncLoginState();
}

void MainFrameModel::requestLogout() {
    // Every wait of a job has an end, so the user can log out once it is over.
    if (m_sendForm && m_sendForm->sendRunning()) {
        m_notifier.error(SendJob::busyMessage());
        return;
    }
    logout();
}

void MainFrameModel::logout() {
    showView(ViewId::SendForm);
    if (m_sendForm)
        m_sendForm->clearBalanceAndCallbacks();
    m_session->logout();
    syncLoginState();
}

void MainFrameModel::showView(ViewId view) {
    if (view == m_activeView)
        return;
    m_view.activateView(view);
    m_activeView = view;
    if (view != ViewId::SendForm)
        m_view.navigate(view, pageUrl(view));
}

void MainFrameModel::openNoticeWindow() {
    m_view.showNoticeWindow(noticeUrl());
}

void MainFrameModel::openMemberInfoWindow() {
    m_view.showMemberInfoWindow(memberInfoUrl());
}

void MainFrameModel::openAddressBook() {
    if (!m_view.runAddressBook() || m_transferText.empty())
        return;
    showView(ViewId::SendForm);
    if (m_sendForm)
        m_sendForm->loadTransferredEntries(m_transferText);
}

void MainFrameModel::rejectListsApplied(long long total) {
    if (!m_state.loggedIn)
        return;
    m_state.rejectCount = total;
    setTitle(title::afterLogin(m_config.host, m_state.userId, m_state.version, m_state.rejectCount));
}

void MainFrameModel::openHomePage() {
    m_view.openInBrowser(m_config.homeUrl);
}

bool MainFrameModel::confirmClose() {
    static const std::string question = ko("종료하시겠습니까?");
    // Closing would cut a job off as logout would; the user decides knowingly.
    static const std::string whileSending =
        ko("전송중입니다. 종료하면 전송이 중단되며, 남은 데이터는 다음 실행 후 전송할 수 있습니다. "
           "종료하시겠습니까?");
    const bool sending = m_sendForm && m_sendForm->sendRunning();
    if (!m_notifier.askYesNo(sending ? whileSending : question, MessageIcon::Error))
        return false;
    // The question ran the event loop: the job may have ended meanwhile.
    if (m_sendForm && m_sendForm->sendRunning())
        m_sendForm->abandonSend();
    logout();
    m_paths.clearImageTemp();
    if (m_sendForm)
        m_sendForm->closeEditorWindows();
    return true;
}

std::string MainFrameModel::pageUrl(ViewId view) const {
    switch (view) {
    case ViewId::Results:
        return webPageUrl(WebHost::from(m_config), WebPage::Results, m_state.userId);
    case ViewId::Reserved:
        return webPageUrl(WebHost::from(m_config), WebPage::Reservations, m_state.userId);
    case ViewId::Charge:
        return webPageUrl(WebHost::from(m_config), WebPage::Charging, m_state.userId);
    case ViewId::SendForm:
        break;
    }
    return {};
}

std::string MainFrameModel::noticeUrl() const {
    return webPageUrl(WebHost::from(m_config), WebPage::Notices, m_state.userId);
}

std::string MainFrameModel::memberInfoUrl() const {
    return webPageUrl(WebHost::from(m_config), WebPage::MemberData, m_state.userId);
}

std::string MainFrameModel::aboutCaption() const {
    return ko("Quillbank2 정보");
}

std::string MainFrameModel::aboutText() const {
    return title::base(m_config.host) + "\nVer - " + m_state.version;
}

void MainFrameModel::showWaitWindow() {
    m_view.showWaitWindow();
    syncLoginState();
}

void MainFrameModel::closeWaitWindow() {
    m_view.closeWaitWindow();
    syncLoginState();
}

void MainFrameModel::loggedIn() {
    setTitle(title::loggedIn(m_config.host, m_state.userId, m_state.version));
}

void MainFrameModel::closedByServer() {
    setTitle(title::closedByServer(m_config.host));
}

void MainFrameModel::loggedOut() {
    setTitle(title::loggedOut(m_config.host));
}

void MainFrameModel::setTitle(const std::string& title) {
    m_title = title;
    m_view.setTitle(title);
    syncLoginState();
}

void MainFrameModel::runAfterLoginSteps() {
    syncLoginState();
    if (!m_sendForm)
        return;
    m_sendForm->refreshBalance();
    // Unreadable files are reported one by one and count 0.
    m_state.rejectCount =
        countRejectNumbersForTitle(RejectTable::inWorkingFolder(m_paths.workingFolder()), m_notifier);
    setTitle(title::afterLogin(m_config.host, m_state.userId, m_state.version, m_state.rejectCount));
    m_sendForm->reloadCallbackNumbers();
    openNoticeWindow();
    m_sendForm->offerInterruptedJobs();
}

bool MainFrameModel::sendResultArrived(int result, int count) {
    return !m_sendForm || m_sendForm->sendResultArrived(result, count);
}

void MainFrameModel::refreshBalance() {
    if (m_sendForm)
        m_sendForm->refreshBalance();
}

void MainFrameModel::syncLoginState() {
    if (m_state.loggedIn == m_shownLoggedIn)
        return;
    m_shownLoggedIn = m_state.loggedIn;
    m_view.loginStateChanged(m_shownLoggedIn);
}

} // namespace qb
