#pragma once

#include <QWidget>

#include <functional>

namespace qb {

// TEMPORARY: stands in for the MMS editor until it is built: a small window
// that holds no message, so validation finds no MMS window open. `onClose`
// runs when the window closes.
QWidget* createMmsStandIn(QWidget* owner, std::function<void()> onClose);

} // namespace qb
