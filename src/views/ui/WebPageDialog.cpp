#include "views/ui/WebPageDialog.h"

#include "views/ui/BrowserSurface.h"
#include "views/ui/KoreanBrowser.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace qb {

WebPageDialog::WebPageDialog(const QString& caption, QSize size, QWidget* parent)
    : QDialog(parent), m_browser(newKoreanBrowser(this)),
      m_close(new QPushButton(QString::fromUtf8("닫기"), this)) {
    prepareBrowserSurface(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(caption);
    m_browser->setObjectName("browser");
    m_close->setObjectName("closeButton");
    m_close->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_browser, 1);
    layout->addLayout(buttons);
    resize(size);
}

void WebPageDialog::navigate(const QUrl& url) {
    ++m_navigations;
    m_lastUrl = url;
    m_browser->load(url);
}

} // namespace qb
