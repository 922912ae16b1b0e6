#include "views/ui/WebPageView.h"

#include "views/ui/KoreanBrowser.h"

#include <QVBoxLayout>
#include <QWebEngineView>

namespace qb {

WebPageView::WebPageView(QWidget* parent) : QWidget(parent), m_browser(newKoreanBrowser(this)) {
    m_browser->setObjectName("browser");
    // A view switched to gives its focus to the page, not to this bare frame.
    setFocusProxy(m_browser);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
}

void WebPageView::navigate(const QUrl& url) {
    ++m_navigations;
    m_lastUrl = url;
    m_browser->load(url);
}

} // namespace qb
