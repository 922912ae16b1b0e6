#pragma once

#include <QDialog>
#include <QUrl>

class QPushButton;
class QWebEngineView;

// A small modeless window showing one page of the service with a "닫기" button.
// It deletes itself when closed; its owner keeps a guarded pointer.
namespace qb {

class WebPageDialog : public QDialog {
    Q_OBJECT

public:
    WebPageDialog(const QString& caption, QSize size, QWidget* parent);

    void navigate(const QUrl& url);

    QWebEngineView* browser() const { return m_browser; }
    QPushButton* closeButton() const { return m_close; }
    int navigations() const { return m_navigations; }
    const QUrl& lastUrl() const { return m_lastUrl; }

private:
    QWebEngineView* m_browser;
    QPushButton* m_close;
    int m_navigations = 0;
    QUrl m_lastUrl;
};

} // namespace qb
