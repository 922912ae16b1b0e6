#include "views/ui/KoreanBrowser.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace qb {

QWebEngineView* newKoreanBrowser(QWidget* parent) {
    auto* browser = new QWebEngineView(parent);
    QWebEngineProfile* profile = browser->page()->profile();
    static const QString korean = QStringLiteral("ko-KR,ko");
    if (profile->httpAcceptLanguage() != korean)
        profile->setHttpAcceptLanguage(korean);
    return browser;
}

} // namespace qb
