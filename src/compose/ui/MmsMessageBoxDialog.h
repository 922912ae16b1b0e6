#pragma once

#include "web/SavedMessageBox.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QTimer;

// "[MMS] 메세지 저장함": the MMS store, three messages a page, newest first, each
// a title over a preview of its pictures and body. The pictures are fetched
// into the picture cache when the box opens. "선택" (or a double-click on a
// title or a preview) hands the message to the MMS editor.
namespace qb {

class MmsPreviewView;

class MmsMessageBoxDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSlots = 3;

    MmsMessageBoxDialog(WebClient& web, std::string pictureFolder, SavedMessageTarget& target,
                        QWidget* parent = nullptr);
    ~MmsMessageBoxDialog() override;

    const SavedMessageBox& box() const { return m_box; }
    QLineEdit* titleEdit(int k) const { return m_titles[static_cast<std::size_t>(k - 1)]; }
    MmsPreviewView* preview(int k) const { return m_previews[static_cast<std::size_t>(k - 1)]; }
    // False until the page is first shown (half a second after opening).
    bool pageShown() const { return m_pageShown; }

    void select(int k);
    void remove(int k);
    void previous();
    void next();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void showPage();
    void retitle();

    SavedMessageBox m_box;
    SavedMessageTarget& m_target;
    std::array<QLineEdit*, kSlots> m_titles{};
    std::array<MmsPreviewView*, kSlots> m_previews{};
    QTimer* m_firstPage;
    bool m_pageShown = false;
};

} // namespace qb
