#pragma once

#include "common/Notifier.h"
#include "common/Progress.h"
#include "send/FormDialogHost.h"

#include <string>
#include <string_view>
#include <vector>

// Fills the send form's table: numbers typed in, the address book's hand-over,
// text files and workbook sheets. Each load replaces the table and sets the
// column choosers and the range to what was loaded. A file or sheet whose first
// row looks like a header row is asked about once ("첫 줄을 제목 줄로 쓸까요?");
// the number column is then chosen as the columns' first rows say (ColumnChoice.h),
// or as the user chose it last for the same header row.
namespace qb {

class ExcelAutomation;
struct ColumnSample;
struct SendFormState;
class RecipientTable;

class RecipientLoader {
public:
    RecipientLoader(SendFormState& state, Notifier& notifier, Progress& progress, FormDialogHost& dialogs);

    // The empty table: the number column and one empty row.
    void resetTable();
    void loadDirectEntry(std::string_view transferText);
    void loadTransferredEntries(std::string_view transferText);

    void onDelimiterChosen();
    void importTextFiles();
    void importTextPaths(const std::vector<std::string>& paths);

    void importExcelFile();
    void onSheetChosen();
    // Loads sheet `index` (from 1) of a workbook without asking; false after a message.
    bool loadWorkbookSheet(const std::string& path, int index);

    // "3 열": the header of data column k.
    static std::string columnLabel(int k);
    // "3 열 (이름)" with the loaded header row's name of column k.
    std::string columnCaption(int k) const;

    // Where the choices are kept per header row (Env.cfg); empty: nowhere.
    void keepColumnsIn(std::string envCfgPath) { m_envCfgPath = std::move(envCfgPath); }
    // The number column chooser's column marked in `table` (the one its items name).
    void markNumberColumn(RecipientTable& table);
    // The number and merge columns, kept for the loaded header row.
    void keepChoices() const;

private:
    // Asked once per load, before a row is stored; true: the first row is the header.
    bool decideHeaderRow(const ColumnSample& sample);
    void forgetHeader();
    // After a load with `columns` chooser items: captions, choosers, and the number
    // column (kept for the header row, else `found`; 0 leaves it to the user).
    void settleColumns(int columns, int found);
    void fillColumnChoosers(int columns);
    void finishLoad(int rows);
    bool fillFromSheet(ExcelAutomation& excel, int index);
    // The workbook's sheets into the state and the sheet chooser (after "시트선택").
    void listSheets(const ExcelAutomation& excel);
    // Sheet `index` (from 1) chosen in the chooser and the name field.
    void selectSheet(int index);

    SendFormState& m_state;
    Notifier& m_notifier;
    Progress& m_progress;
    FormDialogHost& m_dialogs;
    std::string m_envCfgPath;
    int m_found = 0; // the number column the last header decision found
};

} // namespace qb
