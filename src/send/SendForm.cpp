#include "send/SendForm.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "send/ExcelAutomation.h"
#include "send/SendValidator.h"
#include "send/TextImport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace qb {
namespace {

std::string columnLabel(int k) {
    return std::to_string(k) + ko(" 열");
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> twoDigitItems(int count, int step) {
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02d", i * step);
        items.emplace_back(buf);
    }
    return items;
}

class RowLabel {
public:
    std::string_view operator()(long long r) {
        const auto res = std::to_chars(m_buf, m_buf + sizeof m_buf, r);
        return {m_buf, static_cast<std::size_t>(res.ptr - m_buf)};
    }

private:
    char m_buf[24];
};

} // namespace

SendForm::SendForm(Notifier& notifier, Progress& progress, SendSettings& settings, const LoginState& login,
                   RejectTable rejects, FormDialogs& dialogs, EditorWindows& editors)
    : m_notifier(notifier), m_progress(progress), m_settings(settings), m_login(login),
      m_rejects(std::move(rejects)), m_dialogs(dialogs), m_editors(editors) {
    m_state.delimiterList.fill(delimiterItems());
    m_state.reservationHour.items = twoDigitItems(24, 1);
    m_state.reservationMinute.items = twoDigitItems(12, 5);
    m_state.splitMinutes.items = {"1", "2",  "3",  "4",  "5",  "6",  "7", "8",
                                  "9", "10", "20", "30", "40", "50", "60"};
    resetForm();
}

// ---- Recipient table ----

void SendForm::resetTable() {
    RecipientTable& t = m_state.table;
    t.clear();
    t.setRowCount(2);
    t.setColumnCount(1);
    t.setCell(0, 0, ko(" 번호 "));
    t.setHeaderBackground(0, colours::header);
    t.setCell(1, 0, " 1");
}

void SendForm::fillColumnChoosers(int columns) {
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

void SendForm::finishLoad(int rows) {
    m_state.rangeFrom = "1";
    m_state.rangeTo = std::to_string(rows);
    m_progress.setValue(0);
}

void SendForm::loadDirectEntry(std::string_view transferText) {
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

void SendForm::takeDirectEntry(std::string& transferText) {
    loadDirectEntry(transferText);
    transferText.clear();
}

void SendForm::loadTransferredEntries(std::string_view transferText) {
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

void SendForm::onNumberColumnChanged() {
    RecipientTable& t = m_state.table;
    const int k = std::max(0, m_state.numberColumn.selected);
    if (m_state.previousNumberColumn > 0)
        t.setCell(0, m_state.previousNumberColumn, columnLabel(m_state.previousNumberColumn));
    for (int c = 1; c < t.columnCount(); ++c)
        t.setDataBackground(c, colours::white);
    if (k > 0) {
        t.setDataBackground(k, colours::numberColumn);
        t.setCell(0, k, ko("수신번호"));
    }
    m_state.previousNumberColumn = k;
}

void SendForm::deleteSelectedRows(const CellRange& selection) {
    if (!selection.valid())
        return;
    // The header row is not the user's data.
    const int first = std::max(1, selection.minRow);
    const int count = selection.maxRow - first + 1;
    if (count > 0)
        m_state.table.deleteRows(first, count);
}

void SendForm::resetForm() {
    SendFormState& s = m_state;
    s.queue.clear();
    s.batchBytes = 0;
    s.mergeLock = false;

    const LocalTime now = localNow();
    s.reservationDate = LocalTime{now.year, now.month, now.day, 0, 0, 0};
    s.reservationDateEnabled = false;
    s.reservationHour.enabled = false;
    s.reservationMinute.enabled = false;
    s.splitCountEnabled = false;
    s.splitMinutes.enabled = false;
    for (Chooser& c : s.mergeColumn)
        c.enabled = false;

    s.sheetChooser.fill({ko("시트선택")});
    s.numberColumn.fill({ko("수신번호열 선택")});
    s.delimiterList.select(0);

    s.sheetNameField.clear();
    s.delimiterField.clear();
    s.smsText.clear();
    s.rangeFrom.clear();
    s.rangeTo.clear();
    s.splitCount.clear();
    for (Chooser& c : s.mergeColumn) {
        c.items.clear();
        c.selected = -1;
    }
    s.smsCounter = smsCounterText(0);
    s.workbookPath.clear();
    s.sheetNames.clear();

    s.reserved = false;
    s.reservationHour.selected = -1;
    s.reservationMinute.selected = -1;
    s.splitOn = false;
    s.mergeOn = {};
    s.splitMinutes.selected = -1;
    s.dedupOn = true;
    s.rejectOn = true;
    resetTable();
}

std::string SendForm::previewNumber(std::string_view n) {
    std::string out;
    if (n.size() == 11) {
        out.reserve(13);
        out.append(n.substr(0, 3)).append("-").append(n.substr(3, 4)).append("-").append(n.substr(7));
    } else if (n.size() == 10) {
        out.reserve(12);
        out.append(n.substr(0, 3)).append("-").append(n.substr(3, 3)).append("-").append(n.substr(6));
    } else {
        out = n;
    }
    return out;
}

void SendForm::showPreview() {
    resetTable();
    RecipientTable& t = m_state.table;
    const bool sms = m_state.kind == MessageKind::Sms;
    const std::size_t count = m_state.queue.size();
    t.setRowCount(static_cast<int>(count) + 1);
    const std::vector<std::string> headers =
        sms ? std::vector<std::string>{ko(" 번 호 "), ko(" 수신번호 "), ko(" 회신번호 "), ko(" 내 용 "),
                                       ko(" 예약일자 ")}
            : std::vector<std::string>{ko(" 번 호 "), ko(" 수신번호 "), ko(" 회신번호 "),
                                       ko(" 제 목 "), ko(" 내 용 "),    ko(" 예약일자 ")};
    const std::vector<int> widths =
        sms ? std::vector<int>{50, 100, 100, 400, 200} : std::vector<int>{50, 100, 100, 100, 400, 200};
    t.setColumnCount(static_cast<int>(headers.size()));
    for (int c = 0; c < static_cast<int>(headers.size()); ++c) {
        t.setCell(0, c, headers[static_cast<std::size_t>(c)]);
        t.setHeaderBackground(c, colours::header);
        t.setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    }
    int c = 1;
    t.setDataBackground(c++, colours::numberColumn);
    t.setDataBackground(c++, colours::callback);
    if (!sms)
        t.setDataBackground(c++, colours::body);
    t.setDataBackground(c++, colours::body);
    t.setDataBackground(c, colours::reservation);

    t.reserveText(m_state.queue.arenaBytes() + count * 16);
    RowLabel label;
    std::string number;
    for (std::size_t i = 0; i < count; ++i) {
        const SendQueue::View v = m_state.queue.view(i);
        number = previewNumber(v.number);
        if (sms) {
            const std::array<std::string_view, 5> cells{label(static_cast<long long>(i) + 1), number,
                                                        v.callbackNumber, v.displayBody, v.reservation};
            t.setRow(static_cast<int>(i) + 1, cells);
        } else {
            const std::array<std::string_view, 6> cells{label(static_cast<long long>(i) + 1),
                                                        number,
                                                        v.callbackNumber,
                                                        v.title,
                                                        v.displayBody,
                                                        v.reservation};
            t.setRow(static_cast<int>(i) + 1, cells);
        }
    }
    m_progress.setValue(0);
}

// ---- Text import ----

void SendForm::onDelimiterChosen() {
    const int i = m_state.delimiterList.selected;
    m_state.delimiterField = i <= 0 ? std::string() : m_state.delimiterList.selectedText();
}

void SendForm::importTextFiles() {
    if (m_state.delimiterList.selected < 0) {
        m_notifier.error(ko("구분자를 먼저 선택해주세요!"));
        return;
    }
    const auto paths = m_dialogs.chooseTextFiles(m_state.textFileName);
    if (!paths)
        return;
    importTextPaths(*paths);
}

void SendForm::importTextPaths(const std::vector<std::string>& paths) {
    ImportLines lines;
    for (const std::string& path : paths) {
        if (path.empty()) {
            m_notifier.error(ko("화일경로") + " " + path + " " + ko(" 가 존재하지 않습니다."));
            return;
        }
        readLines(path, lines, m_notifier, m_progress);
        m_state.textFileName = baseName(path);
    }
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

bool SendForm::fillFromSheet(ExcelAutomation& excel, int index) {
    UsedRange range;
    if (!excel.usedRange(index, range)) {
        excel.quit();
        m_notifier.error(ko("엑셀화일을 열수 없습니다."));
        return false;
    }
    m_state.rangeFrom = "1";
    m_state.rangeTo = std::to_string(range.rows);
    fillColumnChoosers(range.columns);
    resetTable();
    RecipientTable& t = m_state.table;
    t.setRowCount(range.rows + 1);
    t.setColumnCount(range.columns + 1);
    t.setCell(0, 0, ko(" 번 호 "));
    for (int j = 1; j <= range.columns; ++j)
        t.setCell(0, j, columnLabel(j));
    t.setHeaderBackground(0, colours::header);
    t.setHeaderBackground(1, colours::header);
    m_progress.setRange(0, range.rows);
    RowLabel label;
    std::vector<std::string_view> cells;
    std::size_t next = 0;
    const std::int64_t step = std::max(1, range.rows / 1000);
    for (int i = 1; i <= range.rows; ++i) {
        if (i % step == 0 || i == range.rows)
            m_progress.setValue(i);
        cells.assign(1, label(i));
        for (; next < range.cells.size() && range.cells[next].row == i; ++next) {
            const UsedRange::Cell& c = range.cells[next];
            cells.resize(static_cast<std::size_t>(c.column) + 1);
            cells[static_cast<std::size_t>(c.column)] = c.text;
        }
        t.setRow(i, cells);
    }
    excel.quit();
    m_progress.setValue(0);
    return true;
}

void SendForm::importExcelFile() {
    const auto path = m_dialogs.chooseWorkbook(m_state.workbookFileName);
    if (!path)
        return;
    m_state.workbookPath = *path;
    m_state.workbookFileName = baseName(*path);
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
    std::vector<std::string> items{ko("시트선택")};
    m_state.sheetNames.clear();
    for (int i = 1; i <= excel.sheetCount(); ++i) {
        m_state.sheetNames.push_back(excel.sheetName(i));
        items.push_back(m_state.sheetNames.back());
    }
    m_state.sheetChooser.fill(std::move(items));

    const auto chosen = m_dialogs.chooseSheet(m_state.sheetNames);
    if (!chosen || *chosen < 1 || *chosen > excel.sheetCount()) {
        excel.quit();
        m_notifier.info(ko("취소 되었습니다."));
        return;
    }
    m_state.sheetNameField = m_state.sheetNames[static_cast<std::size_t>(*chosen - 1)];
    m_state.sheetChooser.select(*chosen);
    fillFromSheet(excel, *chosen);
}

void SendForm::onSheetChosen() {
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

bool SendForm::loadWorkbookSheet(const std::string& path, int index) {
    m_state.workbookPath = path;
    m_state.workbookFileName = baseName(path);
    ExcelAutomation excel;
    if (path.empty() || excel.open(path) < 0) {
        m_notifier.error(ko("엑셀화일을 열수 없습니다."));
        return false;
    }
    std::vector<std::string> items{ko("시트선택")};
    m_state.sheetNames.clear();
    for (int i = 1; i <= excel.sheetCount(); ++i) {
        m_state.sheetNames.push_back(excel.sheetName(i));
        items.push_back(m_state.sheetNames.back());
    }
    m_state.sheetChooser.fill(std::move(items));
    if (index < 1 || index > excel.sheetCount()) {
        m_notifier.error(ko("엑셀시트 번호를 확인해주세요."));
        return false;
    }
    m_state.sheetChooser.select(index);
    m_state.sheetNameField = m_state.sheetNames[static_cast<std::size_t>(index - 1)];
    return fillFromSheet(excel, index);
}

// ---- Message kind and box ----

void SendForm::onKindChosen(MessageKind kind) {
    switch (kind) {
    case MessageKind::Sms:
        m_state.kind = MessageKind::Sms;
        m_state.smsBoxEnabled = true;
        m_state.smsText.clear();
        m_editors.closeLmsEditor();
        m_editors.closeMmsWindow();
        break;
    case MessageKind::Lms:
        m_editors.closeMmsWindow();
        m_state.kind = MessageKind::Lms;
        m_state.smsText.clear();
        m_state.smsBoxEnabled = false;
        m_editors.showLmsEditor();
        break;
    case MessageKind::Mms:
        m_editors.closeLmsEditor();
        m_state.kind = MessageKind::Mms;
        m_state.smsText.clear();
        m_state.smsBoxEnabled = false;
        m_editors.showMmsWindow();
        break;
    }
    resetForm();
}

void SendForm::returnToSms() {
    onKindChosen(MessageKind::Sms);
}

void SendForm::onMergeSwitch(int k) {
    if (k >= 1 && k <= 4)
        m_state.mergeColumn[static_cast<std::size_t>(k - 1)].enabled =
            m_state.mergeOn[static_cast<std::size_t>(k - 1)];
}

void SendForm::onMessageEdited(std::string_view text) {
    SmsBoxText box = smsBoxEdited(text);
    m_state.smsText = std::move(box.text);
    m_state.smsCounter = std::move(box.counter);
}

void SendForm::onMessageFocused() {
    m_state.smsCounter = smsCounterText(countedLength(m_state.smsText));
}

// ---- Callback number box ----

void SendForm::setCallbackChoices(std::vector<std::string> numbers) {
    m_state.callbackList.items = std::move(numbers);
    m_state.callbackList.selected = -1;
    m_state.callbackTyped.clear();
}

void SendForm::onCallbackChosen(int index) {
    if (m_state.callbackList.select(index))
        m_state.callbackTyped.clear();
}

void SendForm::onCallbackEdited(std::string_view text) {
    const auto& items = m_state.callbackList.items;
    const auto it = std::find(items.begin(), items.end(), text);
    m_state.callbackList.selected = it == items.end() ? -1 : static_cast<int>(it - items.begin());
    m_state.callbackTyped = it == items.end() ? std::string(text) : std::string();
}

std::string SendForm::callbackNumber() const {
    return m_state.callbackList.selected >= 0 ? m_state.callbackList.selectedText() : m_state.callbackTyped;
}

// ---- Reservation and split ----

void SendForm::onImmediateChosen() {
    m_state.reserved = false;
    m_state.reservationDateEnabled = false;
    m_state.reservationHour.enabled = false;
    m_state.reservationMinute.enabled = false;
}

void SendForm::onReservedChosen() {
    m_state.reserved = true;
    m_state.reservationDateEnabled = true;
    m_state.reservationHour.enabled = true;
    m_state.reservationMinute.enabled = true;
    const LocalTime now = localNow();
    m_state.reservationHour.select(now.hour);
    m_state.reservationMinute.select(now.minute / 5);
}

void SendForm::onSplitSwitch() {
    m_state.splitCountEnabled = m_state.splitOn;
    m_state.splitMinutes.enabled = m_state.splitOn;
}

bool SendForm::validateAndPreview() {
    return SendValidator(*this).run();
}

} // namespace qb
