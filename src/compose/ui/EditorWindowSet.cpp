#include "compose/ui/EditorWindowSet.h"

#include "compose/ui/CLMSEditDlg.h"
#include "compose/ui/CMMSEditDlg.h"
#include "compose/ui/ScreenPlacement.h"

namespace qb {

EditorWindowSet::EditorWindowSet(EditorWindowsContext context)
    : m_context(std::move(context)), m_web(m_context.login, m_context.notifier, m_context.web) {}

EditorWindowSet::~EditorWindowSet() {
    m_closingFromForm = true;
    delete m_lms;
    delete m_mms;
}

CLMSEditDlg* EditorWindowSet::lmsWindow() const {
    return m_lms;
}

CMMSEditDlg* EditorWindowSet::mmsEditor() const {
    return m_mms;
}

std::optional<EditorContent> EditorWindowSet::lmsEditor() const {
    if (!m_lms)
        return std::nullopt;
    return m_lms->model().text().content();
}

std::optional<EditorContent> EditorWindowSet::mmsWindow() const {
    if (!m_mms)
        return std::nullopt;
    return m_mms->model().content();
}

template <typename Window> void EditorWindowSet::showWindow(QPointer<Window>& window) {
    if (!window) {
        window = new Window(m_web, m_context.pictureFolder, m_context.owner);
        QObject::connect(window, &EditorWindow::closed, [this, &window] {
            window = nullptr; // it deletes itself a moment later
            closedByUser();
        });
        placeBesideMainWindow(window);
    }
    raise(window);
}

void EditorWindowSet::showLmsEditor() {
    showWindow(m_lms);
}

void EditorWindowSet::showMmsWindow() {
    showWindow(m_mms);
}

void EditorWindowSet::openLmsWith(const std::string& body) {
    showWindow(m_lms);
    m_lms->takeBody(body);
}

void EditorWindowSet::replaceBody(MessageKind kind, const std::string& body) {
    EditorWindow* window = kind == MessageKind::Lms   ? static_cast<EditorWindow*>(m_lms.data())
                           : kind == MessageKind::Mms ? static_cast<EditorWindow*>(m_mms.data())
                                                      : nullptr;
    if (window)
        window->takeBody(body);
}

void EditorWindowSet::closeLmsEditor() {
    close(m_lms.data());
    m_lms = nullptr;
}

void EditorWindowSet::closeMmsWindow() {
    close(m_mms.data());
    m_mms = nullptr;
}

void EditorWindowSet::closedByUser() {
    if (!m_closingFromForm && m_context.closedByUser)
        m_context.closedByUser();
}

void EditorWindowSet::close(EditorWindow* window) {
    if (!window)
        return;
    m_closingFromForm = true;
    // The form asked before a switch that closes it; deletes itself once
    // control is back in the event loop.
    window->closeWithoutAsking();
    m_closingFromForm = false;
}

void EditorWindowSet::raise(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void EditorWindowSet::placeBesideMainWindow(QWidget* window) {
    if (!m_context.owner)
        return;
    const QWidget* main = m_context.owner->window();
    const QRect frame = main->frameGeometry();
    window->adjustSize();
    // Placed before it is shown, so that the window manager puts its frame there.
    const QSize size = frameSize(window, main);
    const ScreenRect r =
        besideMainWindow(frame.right() + 1, frame.top(), size.width(), size.height(), availableArea(main));
    window->move(r.x, r.y);
}

void EditorWindowSet::follow(int right, int top) {
    QWidget* w = m_lms ? static_cast<QWidget*>(m_lms.data()) : static_cast<QWidget*>(m_mms.data());
    if (!w)
        return;
    const QSize size = frameSize(w, m_context.owner ? m_context.owner->window() : nullptr);
    const ScreenRect r = besideMainWindow(right, top, size.width(), size.height(), availableArea(w));
    w->move(r.x, r.y);
}

} // namespace qb
