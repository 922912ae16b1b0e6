#pragma once

#include "compose/SidePlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

// Qt's side of SidePlacement: the screen area a window may use.
namespace qb {

inline ScreenRect toScreenRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// The available area of the screen that shows `widget` (the primary screen
// before it is shown).
inline ScreenRect availableArea(const QWidget* widget) {
    QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? toScreenRect(screen->availableGeometry()) : ScreenRect{0, 0, 1 << 20, 1 << 20};
}

// Moves a shown window so that its frame (title bar included) lies on the screen.
inline void keepOnScreen(QWidget* window) {
    const ScreenRect frame = toScreenRect(window->frameGeometry());
    const ScreenRect kept = clampInto(frame, availableArea(window));
    if (!(kept == frame))
        window->move(kept.x, kept.y);
}

} // namespace qb
