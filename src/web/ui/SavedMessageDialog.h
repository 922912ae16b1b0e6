#pragma once

#include "web/SavedMessageBox.h"

#include <QDialog>

#include <array>
#include <string>
#include <utility>
#include <vector>

class QGridLayout;
class QLineEdit;
class QPushButton;
class QTimer;

namespace qb {

// What the SMS, LMS and MMS message boxes share: the saved-message box under
// them, "선택" and "삭제" under each slot, "이전", "다음" and "닫기", the page
// that follows half a second after the window, the title that counts the pages,
// and a double-click on a slot that chooses it. A box lays out its slots and
// says how a slot shows a message and what it hands over when chosen.
class SavedMessageDialog : public QDialog {
    Q_OBJECT

public:
    ~SavedMessageDialog() override;

    const SavedMessageBox& box() const { return m_box; }
    // False until the page is first shown (half a second after opening).
    bool pageShown() const { return m_pageShown; }

    void select(int k);
    void remove(int k);
    void previous();
    void next();

protected:
    SavedMessageDialog(SavedKind kind, WebClient& web, std::string pictureFolder, SavedMessageTarget& target,
                       QWidget* parent);

    // The grid the slots go in, and a slot's name for screen readers ("메세지 2").
    static QGridLayout* slotGrid();
    static QString slotName(int k);
    // The slot's buttons under its box, named after it ("메세지 2 선택").
    void addSlotButtons(int k, const QString& slotName, QGridLayout* grid, int row, int column);
    // A double-click on `part` chooses slot k.
    void chooseOnDoubleClick(QObject* part, int k);
    // Lays out the slots and the paging row, then opens the box; the first page
    // follows half a second later. The last call of a box's constructor.
    void finish(QGridLayout* grid, const char* captionUtf8);

    virtual void showSlot(int k, const SavedSlot& slot) = 0;
    // The title and body as the slot shows them.
    virtual std::pair<std::string, std::string> slotTexts(int k) const = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void showPage();

    SavedMessageBox m_box;
    SavedMessageTarget& m_target;
    QTimer* m_firstPage;
    std::vector<std::pair<QObject*, int>> m_choosers;
    bool m_pageShown = false;
};

// The LMS and MMS boxes: three slots a page, each under a title.
class TitledMessageDialog : public SavedMessageDialog {
    Q_OBJECT

public:
    static constexpr int kSlots = 3;

    QLineEdit* titleEdit(int k) const { return m_titles[static_cast<std::size_t>(k - 1)]; }

protected:
    using SavedMessageDialog::SavedMessageDialog;

    // Slot k's title on the grid's first row; a double-click on it chooses the slot.
    QLineEdit* addTitle(int k, const QString& slotName, QGridLayout* grid);
    void showTitle(int k, const SavedSlot& slot);

private:
    std::array<QLineEdit*, kSlots> m_titles{};
};

} // namespace qb
