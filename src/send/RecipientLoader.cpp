#include "send/RecipientLoader.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/RegularFile.h"
#include "import/ColumnChoice.h"
#include "import/ExcelAutomation.h"
#include "import/TextImport.h"
#include "send/ColumnMemory.h"
#include "send/SendFormState.h"

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

std::string RecipientLoader::columnCaption(int k) const {
    const auto i = static_cast<std::size_t>(k - 1);
    return qb::columnCaption(k, k >= 1 && i < m_state.headerNames.size() ? m_state.headerNames[i] : "");
}

void RecipientLoader::fillColumnChoosers(int columns) {
    std::vector<std::string> numbers{ko("수신번호열 선택")};
    std::vector<std::string> merges{ko("열선택")};
    for (int k = 1; k <= columns; ++k) {
        numbers.push_back(columnCaption(k));
        merges.push_back(numbers.back());
    }
    m_state.numberColumn.fill(std::move(numbers));
    for (Chooser& c : m_state.mergeColumn)
        c.fill(merges);
}

void RecipientLoader::markNumberColumn(RecipientTable& t) {
    const int k = std::max(0, m_state.numberColumn.selected);
    if (m_state.previousNumberColumn > 0)
        t.setCell(0, m_state.previousNumberColumn, columnCaption(m_state.previousNumberColumn));
    for (int c = 1; c < t.columnCount(); ++c)
        t.setDataBackground(c, colours::white);
    if (k > 0) {
        t.setDataBackground(k, colours::numberColumn);
        t.setCell(0, k, ko("수신번호"));
    }
    m_state.previousNumberColumn = k;
}

void RecipientLoader::keepChoices() const {
    if (m_envCfgPath.empty() || m_state.headerSignature.empty())
        return;
    KeptColumns kept;
    kept.number = std::max(0, m_state.numberColumn.selected);
    for (std::size_t k = 0; k < kept.merge.size(); ++k)
        kept.merge[k] = std::max(0, m_state.mergeColumn[k].selected);
    // A choice that cannot be kept is still made: nothing to tell.
    kept.write(m_envCfgPath, m_state.headerSignature);
}

bool RecipientLoader::decideHeaderRow(const ColumnSample& sample) {
    static const std::string question = ko("첫 줄을 제목 줄로 쓸까요?");
    const bool header = m_state.headerRow
                            ? *m_state.headerRow
                            : offerHeaderRow(sample) && m_notifier.askYesNo(question, MessageIcon::None);
    m_found = findNumberColumn(sample, header);
    if (header) {
        for (const std::string& cell : sample.rows.front())
            m_state.headerNames.push_back(headerName(cell));
        m_state.headerSignature = headerSignature(m_state.headerNames);
    }
    return header;
}

void RecipientLoader::forgetHeader() {
    m_state.headerNames.clear();
    m_state.headerSignature.clear();
    m_state.numberColumnFound = false;
    m_found = 0;
}

void RecipientLoader::settleColumns(int columns, int found) {
    fillColumnChoosers(columns);
    RecipientTable& t = m_state.table;
    if (!m_state.headerNames.empty())
        for (int k = 1; k < t.columnCount(); ++k)
            t.setCell(0, k, columnCaption(k));
    int number = found;
    if (!m_envCfgPath.empty() && !m_state.headerSignature.empty())
        if (const auto kept = KeptColumns::read(m_envCfgPath, m_state.headerSignature, columns)) {
            number = kept->number;
            for (std::size_t k = 0; k < kept->merge.size(); ++k)
                m_state.mergeColumn[k].select(kept->merge[k]);
        }
    m_state.numberColumn.select(number);
    m_state.numberColumnFound = number > 0;
    m_state.previousNumberColumn = 0;
    if (number > 0)
        markNumberColumn(t);
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
    forgetHeader();
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
    settleColumns(1, 1);
    m_state.rangeFrom = "1";
    m_state.rangeTo = std::to_string(rows);
}

void RecipientLoader::loadTransferredEntries(std::string_view transferText) {
    // Records are separated by 0x02, fields by 0x04; runs count as one separator.
    const std::vector<std::string_view> lines = bytes::splitRuns(transferText, "\x02");
    resetTable();
    forgetHeader();
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
    // The hand-over is name, then number.
    settleColumns(2, 2);
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
    forgetHeader();
    const std::string separators = delimiterSet(m_state.delimiterField);
    int rows = 0;
    if (!fillTableFromLines(m_state.table, lines, separators, m_notifier, rows,
                            [this](const ColumnSample& sample) { return decideHeaderRow(sample); })) {
        m_progress.setValue(0);
        return;
    }
    settleColumns(separators.empty() ? 1 : 10, m_found);
    finishLoad(rows);
}

// ---- Excel import ----

namespace {

// A sheet's rows into the table as the workbook gives them, each labelled with its
// number. The first rows wait for the header question; a header row is then no
// data row, and the rows after it are numbered from 1.
class SheetIntoTable final : public RangeRowTarget {
public:
    using Begin = std::function<void(int rows, int columns)>;
    SheetIntoTable(RecipientTable& table, Progress& progress, Begin begin, HeaderRowChoice headerRow)
        : m_table(table), m_progress(progress), m_begin(std::move(begin)), m_headerRow(std::move(headerRow)) {
    }

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
        if (m_decided) {
            store(row, cells);
            return;
        }
        m_sample.add(cells.subspan(1));
        if (m_sample.full() || row >= m_rows)
            decide();
    }
    // The rows still held, for a read that gave fewer than it announced.
    void finish() {
        if (m_begun && !m_decided)
            decide();
    }

    bool begun() const { return m_begun; }

private:
    void decide() {
        m_decided = true;
        if (!m_sample.rows.empty() && m_headerRow(m_sample)) {
            m_skip = 1;
            m_table.setRowCount(m_rows);
        }
        std::vector<std::string_view> cells;
        for (std::size_t i = 0; i < m_sample.rows.size(); ++i) {
            cells.assign(1, std::string_view());
            cells.insert(cells.end(), m_sample.rows[i].begin(), m_sample.rows[i].end());
            store(static_cast<int>(i) + 1, cells);
        }
        m_sample = ColumnSample();
    }
    void store(int row, std::span<std::string_view> cells) {
        if (row <= m_skip)
            return;
        cells[0] = m_label(row - m_skip);
        m_table.setRow(row - m_skip, cells);
    }

    RecipientTable& m_table;
    Progress& m_progress;
    Begin m_begin;
    HeaderRowChoice m_headerRow;
    ColumnSample m_sample;
    bool m_begun = false, m_decided = false;
    int m_rows = 0, m_step = 1, m_skip = 0;
    RowLabel m_label;
};

} // namespace

bool RecipientLoader::fillFromSheet(ExcelAutomation& excel, int index) {
    int columns = 0;
    SheetIntoTable into(
        m_state.table, m_progress,
        [&](int rows, int width) {
            m_state.rangeFrom = "1";
            m_state.rangeTo = std::to_string(rows);
            columns = width;
            fillColumnChoosers(columns);
            resetTable();
            forgetHeader();
        },
        [this](const ColumnSample& sample) { return decideHeaderRow(sample); });
    const bool read = excel.readRange(index, into);
    if (read)
        into.finish();
    // The workbook's bytes are not needed any more.
    excel.quit();
    m_progress.setValue(0);
    if (!read) {
        // A reader that failed after its first rows leaves none of them.
        if (into.begun()) {
            resetTable();
            forgetHeader();
        }
        m_notifier.error(ko("엑셀화일을 열수 없습니다."));
        return false;
    }
    m_state.rangeTo = std::to_string(m_state.table.rowCount() - 1);
    settleColumns(columns, m_found);
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
