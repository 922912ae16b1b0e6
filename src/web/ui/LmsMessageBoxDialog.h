#pragma once

#include "web/ui/SavedMessageDialog.h"

#include <array>

class QPlainTextEdit;

namespace qb {

// "[LMS] 메세지 저장함": the LMS store, three messages a page (title over body),
// newest first. "선택" (or a double-click on a title or body) hands the texts
// as shown to the LMS editor.
class LmsMessageBoxDialog : public TitledMessageDialog {
    Q_OBJECT

public:
    LmsMessageBoxDialog(WebClient& web, std::string pictureFolder, SavedMessageTarget& target,
                        QWidget* parent = nullptr);

    QPlainTextEdit* bodyEdit(int k) const { return m_bodies[static_cast<std::size_t>(k - 1)]; }

protected:
    void showSlot(int k, const SavedSlot& slot) override;
    std::pair<std::string, std::string> slotTexts(int k) const override;

private:
    std::array<QPlainTextEdit*, kSlots> m_bodies{};
};

} // namespace qb
