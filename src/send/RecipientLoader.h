#pragma once

#include "common/Notifier.h"
#include "common/Progress.h"
#include "send/FormDialogHost.h"

#include <string>
#include <string_view>
#include <vector>

// Fills the send form's table: numbers typed in, the address book's hand-over,
// text files and workbook sheets. Each load replaces the table and sets the
// column choosers and the range to what was loaded.
namespace qb {

class ExcelAutomation;
struct SendFormState;

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

private:
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
};

} // namespace qb
