#include "send/ui/PlaceholderEditorWindows.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace qb {
namespace {

class PlaceholderWindow : public QWidget {
public:
    PlaceholderWindow(QWidget* owner, std::function<void()> onClose)
        : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
          m_onClose(std::move(onClose)) {
        setAttribute(Qt::WA_DeleteOnClose);
        auto* label = new QLabel(QString::fromUtf8("편집창 준비중"), this);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet("color: #7a8796;");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label);
        resize(300, 420);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        QWidget::closeEvent(event);
        if (event->isAccepted() && m_onClose)
            m_onClose();
    }

private:
    std::function<void()> m_onClose;
};

} // namespace

PlaceholderEditorWindows::PlaceholderEditorWindows(QWidget* owner, std::function<void()> closedByUser)
    : m_owner(owner), m_closedByUser(std::move(closedByUser)) {}

PlaceholderEditorWindows::~PlaceholderEditorWindows() {
    m_closingFromForm = true;
    delete m_lms;
    delete m_mms;
}

void PlaceholderEditorWindows::show(QPointer<QWidget>& window, const char* titleUtf8,
                                    const char* objectName) {
    if (!window) {
        window = new PlaceholderWindow(m_owner, [this] {
            if (!m_closingFromForm && m_closedByUser)
                m_closedByUser();
        });
        window->setObjectName(objectName);
        window->setWindowTitle(QString::fromUtf8(titleUtf8));
        if (m_owner) {
            const QRect frame = m_owner->window()->frameGeometry();
            window->move(frame.right() + 1, frame.top());
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void PlaceholderEditorWindows::close(QPointer<QWidget>& window) {
    if (!window)
        return;
    m_closingFromForm = true;
    window->close();
    m_closingFromForm = false;
    window = nullptr;
}

void PlaceholderEditorWindows::showLmsEditor() {
    show(m_lms, "LMS", "lmsEditor");
}

void PlaceholderEditorWindows::showMmsWindow() {
    show(m_mms, "MMS", "mmsWindow");
}

void PlaceholderEditorWindows::closeLmsEditor() {
    close(m_lms);
}

void PlaceholderEditorWindows::closeMmsWindow() {
    close(m_mms);
}

void PlaceholderEditorWindows::follow(int right, int top) {
    if (QWidget* w = m_lms ? m_lms.data() : m_mms.data())
        w->move(right, top);
}

} // namespace qb
