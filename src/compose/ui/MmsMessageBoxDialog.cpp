#include "compose/ui/MmsMessageBoxDialog.h"

#include "common/QtText.h"
#include "compose/ui/CViewMMSRMsgScroll.h"
#include "compose/ui/PictureReader.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace qb {
namespace {

MmsPreviewView* makePreview(int k, QWidget* parent) {
    if (k == 1)
        return new CViewMMSRMsgScroll(parent);
    if (k == 2)
        return new CViewMMSRMsgScroll2(parent);
    return new CViewMMSRMsgScroll3(parent);
}

} // namespace

MmsMessageBoxDialog::MmsMessageBoxDialog(WebClient& web, std::string pictureFolder,
                                         SavedMessageTarget& target, QWidget* parent)
    : TitledMessageDialog(SavedKind::Mms, web, std::move(pictureFolder), target, parent) {
    setObjectName("mmsMessageBox");

    QGridLayout* grid = slotGrid();
    for (int k = 1; k <= kSlots; ++k) {
        const QString name = slotName(k);
        addTitle(k, name, grid);
        MmsPreviewView* preview = makePreview(k, this);
        connect(preview, &MmsPreviewView::chosen, this, &MmsMessageBoxDialog::select);
        m_previews[static_cast<std::size_t>(k - 1)] = preview;
        preview->body()->setAccessibleName(name + QString::fromUtf8(" 내용"));
        grid->addWidget(preview, 1, k - 1);
        addSlotButtons(k, name, grid, 2, k - 1);
    }
    // Opening fetches the pictures.
    finish(grid, "[MMS] 메세지 저장함");
}

void MmsMessageBoxDialog::showSlot(int k, const SavedSlot& slot) {
    showTitle(k, slot);
    std::array<QImage, 3> pictures;
    std::array<bool, 3> unavailable = slot.unavailable;
    for (std::size_t i = 0; i < pictures.size(); ++i)
        if (!slot.pictures[i].empty()) {
            pictures[i] = PictureReader::read(slot.pictures[i]).image;
            // Checked when it was fetched; the cache may have changed since.
            unavailable[i] = unavailable[i] || pictures[i].isNull();
        }
    preview(k)->showMessage(slot.filled ? toEditText(slot.body) : QString(), pictures, unavailable);
}

std::pair<std::string, std::string> MmsMessageBoxDialog::slotTexts(int k) const {
    // Until a page is shown the previews hold their placeholder, which is no message.
    return {fromEditText(titleEdit(k)->text()),
            pageShown() ? fromEditText(preview(k)->body()->toPlainText()) : std::string()};
}

} // namespace qb
