#include "views/ui/BrowserSurface.h"

#include <QQuickWidget>

namespace qb {

void prepareBrowserSurface(QWidget* window) {
    // The browser draws through a widget of this kind; a hidden one asks the
    // window for the same surface, whatever the graphics backend turns out to be.
    auto* stand = new QQuickWidget(window);
    stand->setObjectName("browserSurface");
    stand->setVisible(false);
}

} // namespace qb
