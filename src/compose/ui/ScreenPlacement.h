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

// The size of `window` with its frame (title bar and borders). Until the window
// manager has framed it, that is its own size plus the frame of `framed`, a
// window it already framed alike.
inline QSize frameSize(const QWidget* window, const QWidget* framed) {
    const QSize own = window->frameGeometry().size();
    if (own != window->size() || !framed)
        return own;
    return own + framed->frameGeometry().size() - framed->size();
}

} // namespace qb
