#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace qb {

// "직접입력": numbers typed or pasted one per line. Enter makes a new line and
// Escape does nothing, so a long list is not lost to a stray key.
class DirectEntryDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxCharacters = 1'500'000;

    explicit DirectEntryDialog(QWidget* parent = nullptr);

    QPlainTextEdit* edit() const { return m_edit; }
    // The text with CR LF line breaks, as the core takes it.
    std::string text() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void enforceLimit();

    QPlainTextEdit* m_edit;
};

} // namespace qb
