#pragma once

class QWidget;

// A window that is to hold a browser gets the drawing surface the browser's
// pages need from its start. Without it the window system makes the window anew
// when the first page shows, and places it afresh: the main window jumped to
// the middle of the screen the first time a page view was shown.
namespace qb {

void prepareBrowserSurface(QWidget* window);

} // namespace qb
