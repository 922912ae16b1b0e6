#include "web/AddressImport.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "import/ExcelAutomation.h"
#include "import/TextImport.h"
#include "web/AddressBookModel.h"
#include "web/WebClient.h"

#include <algorithm>

namespace qb {
namespace {

const std::string& noFile() {
    static const std::string s = ko("화일경로가 존재하지 않습니다.");
    return s;
}

// At most a thousand steps, whatever the row count.
void step(Progress& progress, std::int64_t done, std::int64_t total) {
    if (done == total || done % std::max<std::int64_t>(1, total / 1000) == 0)
        progress.setValue(done);
}

// A row the import stores; the others are counted by why they were left out.
bool kept(const AddressRow& row, AddressSkips& skipped) {
    if (!row.storable())
        ++skipped.unstorable;
    else if (!AddressBookModel::isNumber(row.hpno))
        ++skipped.badNumber;
    else
        return true;
    return false;
}

// Rows of a sheet with fewer than three columns are passed over, then refused.
class AddressSheetRows final : public RangeRowTarget {
public:
    AddressSheetRows(std::vector<AddressRow>& rows, AddressSkips& skipped, Progress& progress)
        : m_rows(rows), m_skipped(skipped), m_progress(progress) {}
    void begin(int rows, int columns, std::size_t) override {
        enough = columns >= 3;
        m_total = rows;
        if (enough)
            m_progress.setRange(0, rows);
    }
    void row(int r, std::span<std::string_view> cells) override {
        if (!enough)
            return;
        const auto cell = [&](std::size_t c) { return std::string(c < cells.size() ? cells[c] : ""); };
        AddressRow row{cell(1), cell(2), cell(3)};
        if (row.hpno.empty())
            ++m_skipped.noPhone;
        else if (kept(row, m_skipped))
            m_rows.push_back(std::move(row));
        step(m_progress, r, m_total);
    }
    bool enough = false;

private:
    std::vector<AddressRow>& m_rows;
    AddressSkips& m_skipped;
    Progress& m_progress;
    int m_total = 0;
};

} // namespace

AddressFileKind addressFileKind(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return AddressFileKind::Unsupported;
    const std::string_view ext = name.substr(dot + 1);
    if (ext == "txt")
        return AddressFileKind::Text;
    if (ext == "xls" || ext == "xlsx")
        return AddressFileKind::Workbook;
    return AddressFileKind::Unsupported;
}

bool readAddressText(const std::string& path, std::vector<AddressRow>& rows, Notifier& notifier,
                     Progress& progress, AddressSkips* skips) {
    ImportLines lines;
    if (!readLines(path, lines, notifier, progress))
        return false;
    addressRowsFromLines(lines, rows, progress, skips);
    return true;
}

void addressRowsFromLines(const ImportLines& lines, std::vector<AddressRow>& rows, Progress& progress,
                          AddressSkips* skips) {
    AddressSkips none;
    AddressSkips& skipped = skips ? *skips : none;
    const auto total = static_cast<std::int64_t>(lines.size());
    progress.setRange(0, total);
    ImportLines::Cursor cursor(lines);
    std::string_view line;
    for (std::size_t i = 0; cursor.next(line); ++i) {
        const std::vector<std::string_view> values = bytes::splitRuns(line, ",");
        if (values.size() == 3) {
            AddressRow row{std::string(values[0]), std::string(values[1]), std::string(values[2])};
            if (kept(row, skipped))
                rows.push_back(std::move(row));
        } else if (!bytes::trim(line).empty()) {
            ++skipped.notThreeValues;
        }
        step(progress, static_cast<std::int64_t>(i) + 1, total);
    }
}

bool readAddressWorkbook(const std::string& path, AddressImportHost& host, std::vector<AddressRow>& rows,
                         Notifier& notifier, Progress& progress, AddressSkips* skips) {
    AddressSkips none;
    AddressSkips& skipped = skips ? *skips : none;
    ExcelAutomation excel;
    if (excel.open(path) != 0) {
        notifier.error(ko("엑셀화일을 열수 없습니다."));
        return false;
    }
    std::vector<std::string> names;
    for (int i = 1; i <= excel.sheetCount(); ++i)
        names.push_back(excel.sheetName(i));
    const std::optional<int> sheet = host.chooseSheet(names);
    if (!sheet) {
        notifier.error(ko("취소 되었습니다."));
        return false;
    }
    AddressSheetRows sheetRows(rows, skipped, progress);
    const std::size_t before = rows.size();
    const AddressSkips skippedBefore = skipped;
    if (!excel.readRange(*sheet, sheetRows)) {
        rows.resize(before);
        skipped = skippedBefore;
        notifier.error(ko("엑셀화일을 열수 없습니다."));
        return false;
    }
    excel.quit();
    if (!sheetRows.enough) {
        notifier.error(ko("엑셀 시트열이 부족합니다.!"));
        return false;
    }
    return true;
}

bool importAddressFile(AddressBookModel& model, AddressImportHost& host, Progress& progress) {
    if (!model.dialogGate())
        return true;
    Notifier& notifier = model.web().notifier();
    const std::optional<std::string> path = host.chooseFile();
    if (!path)
        return false;
    if (path->empty()) {
        notifier.error(noFile());
        return false;
    }
    std::vector<AddressRow> rows;
    AddressSkips skips;
    bool read = false;
    switch (addressFileKind(*path)) {
    case AddressFileKind::Text:
        read = readAddressText(*path, rows, notifier, progress, &skips);
        break;
    case AddressFileKind::Workbook:
        read = readAddressWorkbook(*path, host, rows, notifier, progress, &skips);
        break;
    case AddressFileKind::Unsupported:
        notifier.error(ko("지원하지 않는 확장자입니다."));
        break;
    }
    progress.setValue(0);
    return read && model.registerImported(rows, skips);
}

} // namespace qb
