#pragma once

#include "web/SavedMessageBox.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QPlainTextEdit;
class QTimer;

namespace qb {

// "[LMS] 메세지 저장함": the LMS store, three messages a page (title over body),
// newest first. "선택" (or a double-click on a title or body) hands the texts
// as shown to the LMS editor.
class LmsMessageBoxDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSlots = 3;

    LmsMessageBoxDialog(WebClient& web, std::string pictureFolder, SavedMessageTarget& target,
                        QWidget* parent = nullptr);
    ~LmsMessageBoxDialog() override;

    const SavedMessageBox& box() const { return m_box; }
    QLineEdit* titleEdit(int k) const { return m_titles[static_cast<std::size_t>(k - 1)]; }
    QPlainTextEdit* bodyEdit(int k) const { return m_bodies[static_cast<std::size_t>(k - 1)]; }
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
    std::array<QPlainTextEdit*, kSlots> m_bodies{};
    QTimer* m_firstPage;
    bool m_pageShown = false;
};

} // namespace qb
