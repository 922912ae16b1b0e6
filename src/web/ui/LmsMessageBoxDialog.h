#pragma once

#include "web/ui/SavedMessageDialog.h"

#include <array>

class QLineEdit;
class QPlainTextEdit;

namespace qb {

// "[LMS] 메세지 저장함": the LMS store, three messages a page (title over body),
// newest first. "선택" (or a double-click on a title or body) hands the texts
// as shown to the LMS editor.
class LmsMessageBoxDialog : public SavedMessageDialog {
    Q_OBJECT

public:
    static constexpr int kSlots = 3;

    LmsMessageBoxDialog(WebClient& web, std::string pictureFolder, SavedMessageTarget& target,
                        QWidget* parent = nullptr);

    QLineEdit* titleEdit(int k) const { return m_titles[static_cast<std::size_t>(k - 1)]; }
    QPlainTextEdit* bodyEdit(int k) const { return m_bodies[static_cast<std::size_t>(k - 1)]; }

protected:
    void showSlot(int k, const SavedSlot& slot) override;
    std::pair<std::string, std::string> slotTexts(int k) const override;

private:
    std::array<QLineEdit*, kSlots> m_titles{};
    std::array<QPlainTextEdit*, kSlots> m_bodies{};
};

} // namespace qb
