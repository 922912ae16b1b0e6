#pragma once

#include "compose/MmsPictures.h"

#include <QScrollArea>

#include <array>
#include <optional>

class QMenu;

// The MMS composition view: three picture slots stacked above the body, in a
// scrolling area that grows with the body and follows its caret. It takes
// pictures from the slots' menu (a double-click) and from files dropped on a
// slot, through MmsPictures' rules; it draws what the slots hold.
namespace qb {

class CMMSBodyEdit;
class CPictureCtrl;
class PictureReader;

class CMMSSendView : public QScrollArea {
    Q_OBJECT

public:
    CMMSSendView(MmsPictures& pictures, PictureReader& reader, QWidget* parent = nullptr);

    CMMSBodyEdit* body() const { return m_body; }
    CPictureCtrl* slotControl(int k) const { return m_slots[static_cast<std::size_t>(k - 1)]; }
    // The slot at a point of the viewport, if any.
    std::optional<int> slotAt(QPoint viewportPos) const;

    // The double-click menu of slot k, built from the model's entries.
    QMenu* buildSlotMenu(int k, QWidget* parent);
    void runSlotAction(int k, MmsPictures::Action action);
    // Files dropped at a point of the viewport (local paths, file system bytes).
    void dropFiles(QPoint viewportPos, const std::vector<std::string>& files);

    // Draws every slot as the model holds it.
    void showSlots();
    // Sizes the body to its text and scrolls the caret into view.
    void fitBody();

signals:
    // "원사이즈보기" on slot k.
    void viewOriginal(int k);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void openSlotMenu(int k, QPoint globalPos);
    void chooseFile(int k);

    MmsPictures& m_pictures;
    PictureReader& m_reader;
    std::array<CPictureCtrl*, 3> m_slots{};
    CMMSBodyEdit* m_body;
};

} // namespace qb
