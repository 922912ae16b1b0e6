#pragma once

#include <QUrl>
#include <QWidget>

class QWebEngineView;

// A content view of the main window that shows one page of the service's web
// application; the page fills the view. The browser draws, scrolls and follows
// links by itself.
namespace qb {

class WebPageView : public QWidget {
    Q_OBJECT

public:
    explicit WebPageView(QWidget* parent = nullptr);

    // Loads the address with a plain GET; nothing waits for the page.
    void navigate(const QUrl& url);

    QWebEngineView* browser() const { return m_browser; }
    // How many times a page was asked for, and the last address.
    int navigations() const { return m_navigations; }
    const QUrl& lastUrl() const { return m_lastUrl; }

private:
    QWebEngineView* m_browser;
    int m_navigations = 0;
    QUrl m_lastUrl;
};

} // namespace qb
