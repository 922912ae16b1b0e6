#pragma once

#include "common/ui/BarProgress.h"
#include "web/AddressBookModel.h"
#include "web/AddressImportHost.h"

#include <QDialog>

#include <array>

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace qb {

// ":::: 주소록 등록 ": ten rows of name, phone and memo, and "파일등록(xls,txt)"
// for a text file or a workbook, with a progress bar for long files. Both
// register into the window's current group.
class AddressRegisterDialog : public QDialog, private AddressImportHost {
    Q_OBJECT

public:
    static constexpr int kRows = 10;

    AddressRegisterDialog(AddressBookModel& model, QWidget* parent);

    QLineEdit* nameEdit(int row) const { return m_edits[static_cast<std::size_t>(row)][0]; }
    QLineEdit* phoneEdit(int row) const { return m_edits[static_cast<std::size_t>(row)][1]; }
    QLineEdit* memoEdit(int row) const { return m_edits[static_cast<std::size_t>(row)][2]; }
    QPushButton* fileButton() const { return m_file; }
    QPushButton* inputButton() const { return m_input; }
    QProgressBar* progressBar() const { return m_bar; }

    // "입력".
    void accept() override;
    // "파일등록(xls,txt)".
    void importFile();

private:
    // AddressImportHost
    std::optional<std::string> chooseFile() override;
    std::optional<int> chooseSheet(const std::vector<std::string>& sheetNames) override;

    AddressBookModel& m_model;
    std::array<std::array<QLineEdit*, 3>, kRows> m_edits{};
    QPushButton* m_file = nullptr;
    QPushButton* m_input = nullptr;
    QProgressBar* m_bar;
    BarProgress m_progress;
};

} // namespace qb
