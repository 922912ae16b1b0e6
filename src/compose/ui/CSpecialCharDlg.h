#pragma once

#include <QDialog>
#include <QPointer>

#include <array>

// "특수문자 입력창": 80 symbol buttons in 8 rows of 10. A click puts the button's
// symbol into the palette's target; the palette keeps the focus and stays open
// until its close box. One palette per target: its owner holds it in a QPointer,
// which clears itself when the palette is gone.
namespace qb {

class CHoverButton;
class SymbolTarget;

// Enter and Escape, which would close a dialog, do nothing in the editors and
// the palette: true (and the event taken) for those keys.
bool ignoreEnterAndEscape(QKeyEvent* event);

class CSpecialCharDlg : public QDialog {
    Q_OBJECT

public:
    // Where a new palette goes: the send form's just below its button; the
    // editors' beside the editor, covering none of it.
    enum class Placement { AsOpened, BesideEditor };

    CSpecialCharDlg(SymbolTarget& target, QWidget* owner);

    // "특수문자": focuses the open palette of `slot`, otherwise opens one for
    // `target`. `anchor` (screen coordinates) is what it opens by: AsOpened puts
    // it just below the anchor; BesideEditor takes the anchor for the editor's
    // frame.
    static CSpecialCharDlg* open(QPointer<CSpecialCharDlg>& slot, SymbolTarget& target, QWidget* owner,
                                 const QRect& anchor, Placement placement);

    CHoverButton* button(int k) const { return m_buttons[static_cast<std::size_t>(k)]; }
    // What a click on button k does.
    void insert(int k);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    SymbolTarget& m_target;
    std::array<CHoverButton*, 80> m_buttons{};
};

} // namespace qb
