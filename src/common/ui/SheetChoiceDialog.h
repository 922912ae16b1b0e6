#pragma once

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class QListWidget;

namespace qb {

// "사용하실 엑셀시트를 선택하세요" (the address book's import calls it ":::: 엑셀시트선택"):
// the workbook's sheet names over "확인" and "취소". A double-click, or Enter or
// "확인" on the current sheet (the first when the window opens), chooses;
// Escape, "취소" or closing the window chooses nothing.
class SheetChoiceDialog : public QDialog {
    Q_OBJECT

public:
    SheetChoiceDialog(const std::vector<std::string>& sheetNames, QWidget* parent = nullptr,
                      const QString& title = QString::fromUtf8("사용하실 엑셀시트를 선택하세요"));

    QListWidget* list() const { return m_list; }
    // The chosen sheet from 1; 0 before a choice.
    int chosenSheet() const { return m_chosen; }

private:
    void choose(int row);

    QListWidget* m_list;
    int m_chosen = 0;
};

} // namespace qb
