#include "frame/ui/LockKeyIndicators.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#endif

namespace qb {
namespace {

QLabel* pane(QStatusBar* bar, const char* name) {
    auto* label = new QLabel(bar);
    label->setObjectName(QString("indicator") + name);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(name) + 12);
    bar->addPermanentWidget(label);
    return label;
}

// Bits of the caps, num and scroll lock indicators; 0 when they cannot be read.
unsigned indicatorState();

} // namespace

LockKeyIndicators::LockKeyIndicators(QStatusBar* bar)
    : QObject(bar), m_caps(pane(bar, "CAP")), m_num(pane(bar, "NUM")), m_scroll(pane(bar, "SCRL")) {
    qApp->installEventFilter(this);
    refresh();
}

void LockKeyIndicators::refresh() {
    const unsigned state = indicatorState();
    m_caps->setText(state & 1 ? "CAP" : "");
    m_num->setText(state & 2 ? "NUM" : "");
    m_scroll->setText(state & 4 ? "SCRL" : "");
}

bool LockKeyIndicators::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ApplicationStateChange) {
        refresh();
    } else if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock)
            refresh();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qb

// Xlib's macros (None, KeyRelease, Success...) would clash with Qt's names, so
// its header comes after every use of those.
#if QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#endif

namespace qb {
namespace {

unsigned indicatorState() {
#if QT_CONFIG(xcb)
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) {
        unsigned state = 0;
        if (x11->display() && XkbGetIndicatorState(x11->display(), XkbUseCoreKbd, &state) == Success)
            return state;
    }
#endif
    return 0;
}

} // namespace
} // namespace qb
