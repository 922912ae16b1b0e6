#pragma once

#include "web/ui/SavedMessageDialog.h"

#include <array>

// "[MMS] 메세지 저장함": the MMS store, three messages a page, newest first, each
// a title over a preview of its pictures and body. The pictures are fetched
// into the picture cache when the box opens. "선택" (or a double-click on a
// title or a preview) hands the message to the MMS editor.
namespace qb {

class MmsPreviewView;

class MmsMessageBoxDialog : public TitledMessageDialog {
    Q_OBJECT

public:
    MmsMessageBoxDialog(WebClient& web, std::string pictureFolder, SavedMessageTarget& target,
                        QWidget* parent = nullptr);

    MmsPreviewView* preview(int k) const { return m_previews[static_cast<std::size_t>(k - 1)]; }

protected:
    void showSlot(int k, const SavedSlot& slot) override;
    std::pair<std::string, std::string> slotTexts(int k) const override;

private:
    std::array<MmsPreviewView*, kSlots> m_previews{};
};

} // namespace qb
