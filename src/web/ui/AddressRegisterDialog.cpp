#include "web/ui/AddressRegisterDialog.h"

#include "common/QtText.h"
#include "common/ui/Cp949LengthValidator.h"
#include "common/ui/DialogButtons.h"
#include "common/ui/FileDialog.h"
#include "common/ui/SheetChoiceDialog.h"
#include "web/AddressImport.h"
#include "web/ui/AddressBookDialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

AddressRegisterDialog::AddressRegisterDialog(AddressBookModel& model, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_model(model),
      m_bar(new QProgressBar(this)), m_progress(m_bar, BarProgress::Repaint::Now) {
    setObjectName("addressRegisterDialog");
    setWindowTitle(QString::fromUtf8(":::: 주소록 등록 "));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    const char* titles[] = {"이 름", "전화번호", "메 모"};
    const std::size_t widths[] = {AddressEntry::kNameWidth, AddressEntry::kPhoneWidth,
                                  AddressEntry::kMemoWidth};
    const int minimum[] = {100, 120, 220};
    for (int c = 0; c < 3; ++c) {
        auto* title = new QLabel(QString::fromUtf8(titles[c]), this);
        title->setAlignment(Qt::AlignCenter);
        grid->addWidget(title, 0, c);
        grid->setColumnMinimumWidth(c, minimum[c]);
    }
    grid->setColumnStretch(2, 1);
    const char* names[] = {"name%1", "phone%1", "memo%1"};
    const char* spoken[] = {"이름", "전화번호", "메모"};
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < 3; ++c) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QString::fromLatin1(names[c]).arg(r));
            // Ten rows under one heading each: "전화번호 3" says which.
            edit->setAccessibleName(QString::fromUtf8(spoken[c]) + QString(" %1").arg(r + 1));
            // A field holds width - 1 bytes; more would be cut when it is sent.
            edit->setValidator(new Cp949LengthValidator(widths[c] - 1, edit));
            grid->addWidget(edit, r + 1, c);
            m_edits[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = edit;
        }
    }

    // Made after the edits: Tab goes through the rows first, and typing starts in the first name.
    m_file = new QPushButton(QString::fromUtf8("파일등록(xls,txt)"), this);
    m_file->setObjectName("importFile");
    m_file->setAutoDefault(false);
    m_file->setMinimumWidth(m_file->fontMetrics().horizontalAdvance(m_file->text()) + 32);
    connect(m_file, &QPushButton::clicked, this, &AddressRegisterDialog::importFile);
    m_bar->setObjectName("progress");
    m_bar->setAccessibleName(QString::fromUtf8("등록 진행 상황"));
    m_bar->setTextVisible(false);
    m_bar->setMaximumHeight(10);
    m_bar->setValue(0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(8);
    layout->addLayout(grid);
    layout->addWidget(m_bar);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_file);
    layout->addLayout(buttons);
    m_input = addDialogButtons(this, buttons, "입력", "input");
    m_edits[0][0]->setFocus();
}

void AddressRegisterDialog::accept() {
    std::vector<AddressRow> rows;
    for (const auto& row : m_edits)
        rows.push_back(
            {fromQString(row[0]->text()), fromQString(row[1]->text()), fromQString(row[2]->text())});
    if (m_model.registerRows(rows))
        QDialog::accept();
}

void AddressRegisterDialog::importFile() {
    if (importAddressFile(m_model, *this, m_progress))
        QDialog::accept();
}

std::optional<std::string> AddressRegisterDialog::chooseFile() {
    const QString filters = fileFilter("텍스트화일 (*.txt) ", "*.txt") + ";;" +
                            fileFilter("엑셀화일 (*.xls, *.xlsx) ", "*.xls;*.xlsx");
    const QString path =
        FileDialog::getOpenFileName(this, QString(), QString(), filters, QFileDialog::HideNameFilterDetails);
    if (path.isEmpty())
        return std::nullopt;
    return nativePath(path);
}

std::optional<int> AddressRegisterDialog::chooseSheet(const std::vector<std::string>& sheetNames) {
    SheetChoiceDialog dialog(sheetNames, this, QString::fromUtf8(":::: 엑셀시트선택"));
    if (dialog.exec() != QDialog::Accepted || dialog.chosenSheet() < 1)
        return std::nullopt;
    return dialog.chosenSheet();
}

} // namespace qb
