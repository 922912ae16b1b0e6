#pragma once

#include "web/SavedMessageBox.h"

#include <QDialog>

#include <array>

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace qb {

// "메세지 저장함": the SMS store, six messages a page, newest first. A slot's text
// may be edited before "선택" (or a double-click) hands it to the send form.
class SmsMessageBoxDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSlots = 6;

    SmsMessageBoxDialog(WebClient& web, std::string pictureFolder, SavedMessageTarget& target,
                        QWidget* parent = nullptr);
    ~SmsMessageBoxDialog() override;

    const SavedMessageBox& box() const { return m_box; }
    QPlainTextEdit* slotEdit(int k) const { return m_slots[static_cast<std::size_t>(k - 1)]; }
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
    std::array<QPlainTextEdit*, kSlots> m_slots{};
    QTimer* m_firstPage;
    bool m_opened = false;
    bool m_pageShown = false;
};

} // namespace qb
