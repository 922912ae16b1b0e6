#pragma once

class QWebEngineView;
class QWidget;

// The program's browser speaks Korean whatever the system's language. Chromium
// takes the language of its own pages (a service that is down) from the default
// locale when it starts, which the application object sets; the pages are asked
// for in Korean through the profile's Accept-Language, set here.
namespace qb {

QWebEngineView* newKoreanBrowser(QWidget* parent);

} // namespace qb
