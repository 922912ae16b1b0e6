#include "compose/ui/CSpecialCharDlg.h"

#include "common/QtText.h"
#include "compose/Symbols.h"
#include "compose/ui/CHoverButton.h"
#include "compose/ui/ScreenPlacement.h"

#include <QGridLayout>
#include <QKeyEvent>

namespace qb {

CSpecialCharDlg::CSpecialCharDlg(SymbolTarget& target, QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_target(target) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("specialCharDlg");
    setWindowTitle(QString::fromUtf8("특수문자 입력창"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(1);
    for (int k = 0; k < specialchars::kCount; ++k) {
        auto* b = new CHoverButton(toQString(specialchars::symbol(k)), this);
        b->setObjectName(QString("symbol%1").arg(k));
        connect(b, &QAbstractButton::clicked, this, [this, k] { insert(k); });
        m_buttons[static_cast<std::size_t>(k)] = b;
        grid->addWidget(b, k / specialchars::kColumns, k % specialchars::kColumns);
    }
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

CSpecialCharDlg* CSpecialCharDlg::open(QPointer<CSpecialCharDlg>& slot, SymbolTarget& target, QWidget* owner,
                                       const QRect& anchor, Placement placement) {
    if (!slot) {
        slot = new CSpecialCharDlg(target, owner);
        slot->adjustSize();
        // Placed before it is shown: the window manager puts the frame there.
        const QSize size = qb::frameSize(slot.data(), owner->window());
        const int h = size.height();
        const ScreenRect area = availableArea(owner);
        const ScreenRect r =
            placement == Placement::BesideEditor
                ? besideEditor({anchor.x(), anchor.y(), anchor.width(), anchor.height()}, size.width(), h,
                               area)
                : clampInto({anchor.x(), anchor.y() + anchor.height(), size.width(), h}, area);
        slot->move(r.x, r.y);
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

void CSpecialCharDlg::insert(int k) {
    m_target.insertSymbol(specialchars::symbol(k));
}

bool ignoreEnterAndEscape(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return true;
    default:
        return false;
    }
}

void CSpecialCharDlg::keyPressEvent(QKeyEvent* event) {
    // Only the close box closes the palette.
    if (!ignoreEnterAndEscape(event))
        QDialog::keyPressEvent(event);
}

} // namespace qb
