#pragma once

#include "web/ui/SavedMessageDialog.h"

#include <array>

class QLineEdit;

// "[MMS] 메세지 저장함": the MMS store, three messages a page, newest first, each
// a title over a preview of its pictures and body. The pictures are fetched
// into the picture cache when the box opens. "선택" (or a double-click on a
// title or a preview) hands the message to the MMS editor.
namespace qb {

class MmsPreviewView;

class MmsMessageBoxDialog : public SavedMessageDialog {
    Q_OBJECT

public:
    static constexpr int kSlots = 3;

    MmsMessageBoxDialog(WebClient& web, std::string pictureFolder, SavedMessageTarget& target,
                        QWidget* parent = nullptr);

    QLineEdit* titleEdit(int k) const { return m_titles[static_cast<std::size_t>(k - 1)]; }
    MmsPreviewView* preview(int k) const { return m_previews[static_cast<std::size_t>(k - 1)]; }

protected:
    void showSlot(int k, const SavedSlot& slot) override;
    std::pair<std::string, std::string> slotTexts(int k) const override;

private:
    std::array<QLineEdit*, kSlots> m_titles{};
    std::array<MmsPreviewView*, kSlots> m_previews{};
};

} // namespace qb
