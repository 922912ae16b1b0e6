#include "send/RecipientLoader.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/RegularFile.h"
#include "import/ExcelAutomation.h"
#include "import/TextImport.h"
#include "send/SendForm.h"

#include <algorithm>
#include <array>
#include <functional>

namespace qb {

std::string RecipientLoader::columnLabel(int k) {
    return std::to_string(k) + ko(" 열");
}

RecipientLoader::RecipientLoader(SendFormState& state, Notifier& notifier, Progress& progress,
                                 FormDialogHost& dialogs)
    : m_state(state), m_notifier(notifier), m_progress(progress), m_dialogs(dialogs) {}

void RecipientLoader::resetTable() {
    // Whatever comes into the table now, it no longer holds a merged preview.
    m_state.mergeLock = false;
    RecipientTable& t = m_state.table;
    t.clear();
    t.setRowCount(2);
    t.setColumnCount(1);
    t.setCell(0, 0, ko(" 번호 "));
    t.setHeaderBackground(0, colours::header);
    t.setCell(1, 0, " 1");
}

void RecipientLoader::fillColumnChoosers(int columns) {
    std::vector<std::string> numbers{ko("수신번호열 선택")};
    std::vector<std::string> merges{ko("열선택")};
    for (int k = 1; k <= columns; ++k) {
        numbers.push_back(columnLabel(k));
        merges.push_back(numbers.back());
    }
    m_state.numberColumn.fill(std::move(numbers));
    for (Chooser& c : m_state.mergeColumn)
        c.fill(merges);
}

void RecipientLoader::finishLoad(int rows) {
    m_state.rangeFrom = "1";
    m_state.rangeTo = std::to_string(rows);
    m_progress.setValue(0);
}

void RecipientLoader::loadDirectEntry(std::string_view transferText) {
    if (transferText.empty()) {
        m_notifier.error(ko("전화번호 데이터가 없습니다."));
        return;
    }
    resetTable();
    const std::vector<std::string_view> numbers = bytes::splitRuns(transferText, "\r\n");
    RecipientTable& t = m_state.table;
    const int rows = static_cast<int>(numbers.size());
    t.setRowCount(rows + 1);
    t.setColumnCount(2);
    t.setColumnWidth(1, 100);
    t.setCell(0, 0, ko(" 번 호 "));
    t.setCell(0, 1, ko(" 전화번호 "));
    t.setHeaderBackground(0, colours::header);
    t.setHeaderBackground(1, colours::header);
    RowLabel label;
    for (int r = 1; r <= rows; ++r) {
        const std::array<std::string_view, 2> cells{label(r), numbers[static_cast<std::size_t>(r - 1)]};
        t.setRow(r, cells);
    }
    fillColumnChoosers(1);
    m_state.rangeFrom = "1";
    m_state.rangeTo = std::to_string(rows);
}

void RecipientLoader::loadTransferredEntries(std::string_view transferText) {
    // Records are separated by 0x02, fields by 0x04; runs count as one separator.
    const std::vector<std::string_view> lines = bytes::splitRuns(transferText, "\x02");
    resetTable();
    fillColumnChoosers(2);
    RecipientTable& t = m_state.table;
    const int rows = static_cast<int>(lines.size());
    t.setRowCount(rows + 1);
    t.setColumnCount(3);
    t.setCell(0, 0, ko(" 번 호 "));
    t.setCell(0, 1, columnLabel(1));
    t.setCell(0, 2, columnLabel(2));
    t.setHeaderBackground(0, colours::header);
    t.setHeaderBackground(1, colours::header);
    RowLabel label;
    for (int r = 1; r <= rows; ++r) {
        const std::string_view line = lines[static_cast<std::size_t>(r - 1)];
        const std::vector<std::string_view> fields = bytes::splitRuns(line, "\x04");
        std::array<std::string_view, 3> cells{label(r), {}, {}};
        // A record that starts with 0x04 has no name: its number stays in column 2.
        const std::size_t first = line.front() == '\x04' ? 2 : 1;
        for (std::size_t k = 0; k < fields.size() && first + k < cells.size(); ++k)
            cells[first + k] = fields[k];
        t.setRow(r, cells);
    }
    m_state.rangeFrom = "1";
    m_state.rangeTo = std::to_string(rows);
    m_state.sheetNameField.clear();
    m_state.delimiterField.clear();
}

// ---- Text import ----

void RecipientLoader::onDelimiterChosen() {
    const int i = m_state.delimiterList.selected;
    m_state.delimiterField = i <= 0 ? std::string() : m_state.delimiterList.selectedText();
}

void RecipientLoader::importTextFiles() {
    if (m_state.delimiterList.selected < 0) {
        m_notifier.error(ko("구분자를 먼저 선택해주세요!"));
        return;
    }
    const auto paths = m_dialogs.chooseTextFiles(m_state.textFileName);
    if (!paths)
        return;
    importTextPaths(*paths);
}

void RecipientLoader::importTextPaths(const std::vector<std::string>& paths) {
    const bool csv = isCsvField(m_state.delimiterField);
    ImportLines lines(csv);
    const auto choice = static_cast<TextEncoding>(std::max(0, m_state.encodingList.selected));
    std::string used;
    for (const std::string& path : paths) {
        if (path.empty()) {
            m_notifier.error(ko("화일경로") + " " + cp949::fromNativePath(path) + " " +
                             ko(" 가 존재하지 않습니다."));
            return;
        }
        FileEncoding encoding;
        const ReadResult read = readTextFile(path, lines, choice, m_notifier, m_progress, &encoding);
        if (read == ReadResult::Refused) {
            m_progress.setValue(0);
            return;
        }
        if (read == ReadResult::Read && used.find(encoding.name()) == std::string::npos)
            used += (used.empty() ? "" : ", ") + std::string(encoding.name());
        m_state.textFileName = std::string(baseName(path));
    }
    m_state.encodingUsed = used;
    resetTable();
    const std::string separators = delimiterSet(m_state.delimiterField);
    int rows = 0;
    if (!fillTableFromLines(m_state.table, lines, separators, m_notifier, rows)) {
        m_progress.setValue(0);
        return;
    }
    fillColumnChoosers(separators.empty() ? 1 : 10);
    finishLoad(rows);
}

// ---- Excel import ----

namespace {

// A sheet's rows into the table as the workbook gives them, each labelled with its
// number.
class SheetIntoTable final : public RangeRowTarget {
public:
    using Begin = std::function<void(int rows, int columns)>;
    SheetIntoTable(RecipientTable& table, Progress& progress, Begin begin)
        : m_table(table), m_progress(progress), m_begin(std::move(begin)) {}

    void begin(int rows, int columns, std::size_t textBytes) override {
        m_begun = true;
        m_begin(rows, columns);
        m_table.setRowCount(rows + 1);
        m_table.setColumnCount(columns + 1);
        m_table.setCell(0, 0, ko(" 번 호 "));
        for (int j = 1; j <= columns; ++j)
            m_table.setCell(0, j, RecipientLoader::columnLabel(j));
        m_table.setHeaderBackground(0, colours::header);
        m_table.setHeaderBackground(1, colours::header);
        m_table.reserveText(textBytes + static_cast<std::size_t>(rows) * 24);
        m_rows = rows;
        m_step = std::max(1, rows / 1000);
        m_progress.setRange(0, rows);
    }
    void row(int row, std::span<std::string_view> cells) override {
        if (row % m_step == 0 || row == m_rows)
            m_progress.setValue(row);
        cells[0] = m_label(row);
        m_table.setRow(row, cells);
    }

    bool begun() const { return m_begun; }

private:
    RecipientTable& m_table;
    Progress& m_progress;
    Begin m_begin;
    bool m_begun = false;
    int m_rows = 0, m_step = 1;
    RowLabel m_label;
};

} // namespace

bool RecipientLoader::fillFromSheet(ExcelAutomation& excel, int index) {
    SheetIntoTable into(m_state.table, m_progress, [&](int rows, int columns) {
        m_state.rangeFrom = "1";
        m_state.rangeTo = std::to_string(rows);
        fillColumnChoosers(columns);
        resetTable();
    });
    const bool read = excel.readRange(index, into);
    // The workbook's bytes are not needed any more.
    excel.quit();
    m_progress.setValue(0);
    if (!read) {
        // A reader that failed after its first rows leaves none of them.
        if (into.begun())
            resetTable();
        m_notifier.error(ko("엑셀화일을 열수 없습니다."));
        return false;
    }
    return true;
}

void RecipientLoader::listSheets(const ExcelAutomation& excel) {
    std::vector<std::string> items{ko("시트선택")};
    m_state.sheetNames.clear();
    for (int i = 1; i <= excel.sheetCount(); ++i) {
        m_state.sheetNames.push_back(excel.sheetName(i));
        items.push_back(m_state.sheetNames.back());
    }
    m_state.sheetChooser.fill(std::move(items));
}

void RecipientLoader::selectSheet(int index) {
    m_state.sheetChooser.select(index);
    m_state.sheetNameField = m_state.sheetNames[static_cast<std::size_t>(index - 1)];
}

void RecipientLoader::importExcelFile() {
    const auto path = m_dialogs.chooseWorkbook(m_state.workbookFileName);
    if (!path)
        return;
    m_state.workbookPath = *path;
    m_state.workbookFileName = std::string(baseName(*path));
    if (path->empty()) {
        m_notifier.error(ko("화일경로가 존재하지 않습니다."));
        return;
    }
    ExcelAutomation excel;
    if (excel.open(*path) < 0) {
        excel.quit();
        m_notifier.error(ko("엑셀화일을 열수 없습니다."));
        return;
    }
    listSheets(excel);

    const auto chosen = m_dialogs.chooseSheet(m_state.sheetNames);
    if (!chosen || *chosen < 1 || *chosen > excel.sheetCount()) {
        excel.quit();
        m_notifier.info(ko("취소 되었습니다."));
        return;
    }
    selectSheet(*chosen);
    fillFromSheet(excel, *chosen);
}

void RecipientLoader::onSheetChosen() {
    if (m_state.sheetChooser.selected <= 0) {
        resetTable();
        m_state.sheetNameField.clear();
        return;
    }
    if (m_state.workbookPath.empty()) {
        m_notifier.error(ko("화일경로가 존재하지 않습니다."));
        return;
    }
    ExcelAutomation excel;
    if (excel.open(m_state.workbookPath) < 0) {
        excel.quit();
        m_notifier.error(ko("엑셀화일을 열수 없습니다."));
        return;
    }
    resetTable();
    m_state.sheetNameField = m_state.sheetChooser.selectedText();
    fillFromSheet(excel, m_state.sheetChooser.selected);
}

bool RecipientLoader::loadWorkbookSheet(const std::string& path, int index) {
    m_state.workbookPath = path;
    m_state.workbookFileName = std::string(baseName(path));
    ExcelAutomation excel;
    if (path.empty() || excel.open(path) < 0) {
        m_notifier.error(ko("엑셀화일을 열수 없습니다."));
        return false;
    }
    listSheets(excel);
    if (index < 1 || index > excel.sheetCount()) {
        m_notifier.error(ko("엑셀시트 번호를 확인해주세요."));
        return false;
    }
    selectSheet(index);
    return fillFromSheet(excel, index);
}

} // namespace qb
