#pragma once

#include "send/SendForm.h"
#include "send/ui/SendFormControls.h"

#include <map>
#include <string>
#include <vector>

class QComboBox;

// Shows the send form's state in its controls. Lists are rebuilt only when
// their items changed (a refresh follows every key typed), and no control tells
// the view about a value it was given from the state.
namespace qb {

struct BalanceLine;

class SendFormDisplay {
public:
    explicit SendFormDisplay(SendFormControls& ui) : m_ui(ui) {}

    // `callbackText` is the number chosen or typed; while `sending`, what would
    // rebuild the table or the queue is off.
    // `resumes`: "전송하기" goes on with what a cut job left, and reads "이어서 전송".
    void show(const SendFormState& state, const BalanceLine& balance, const std::string& callbackText,
              bool sending, bool resumes);
    // The Korean time beside the date picker, when the machine's clock is not on it.
    void showKoreanTime();

private:
    void showChooser(QComboBox* box, const Chooser& chooser);
    void showItems(QComboBox* box, const std::vector<std::string>& items);

    SendFormControls& m_ui;
    std::map<const QComboBox*, std::vector<std::string>> m_shownItems;
};

} // namespace qb
