#pragma once

#include "web/ui/SavedMessageDialog.h"

#include <array>

class QPlainTextEdit;

namespace qb {

// "메세지 저장함": the SMS store, six messages a page, newest first. A slot's text
// may be edited before "선택" (or a double-click) hands it to the send form.
class SmsMessageBoxDialog : public SavedMessageDialog {
    Q_OBJECT

public:
    static constexpr int kSlots = 6;

    SmsMessageBoxDialog(WebClient& web, std::string pictureFolder, SavedMessageTarget& target,
                        QWidget* parent = nullptr);

    QPlainTextEdit* slotEdit(int k) const { return m_slots[static_cast<std::size_t>(k - 1)]; }

protected:
    void showSlot(int k, const SavedSlot& slot) override;
    std::pair<std::string, std::string> slotTexts(int k) const override;

private:
    std::array<QPlainTextEdit*, kSlots> m_slots{};
};

} // namespace qb
