#pragma once

#include "common/Notifier.h"
#include "send/RejectList.h"

#include <optional>
#include <string>
#include <vector>

// What the "수신거부 목록" dialog shows and does: rows of (tick, name, path), the
// add, delete and apply buttons. The ini file is written only by apply().
namespace qb {

class RejectListModel {
public:
    struct Row {
        bool ticked = true;
        std::string name;
        std::string path;
    };

    explicit RejectListModel(RejectTable table) : m_table(std::move(table)) {}

    // Dialog start: entries 1..50 in order, "NONE," and empty slots left out.
    void load();

    const std::vector<Row>& rows() const { return m_rows; }
    // Column 0 "적용" or empty, column 1 the name, column 2 the path.
    std::string cell(int row, int column) const;
    static std::vector<std::string> headers(); // "적용", "명칭", "수신거부 화일명"
    static std::vector<int> columnWidths();    // 100, 150, 300

    void toggle(int row);
    // "추가" after the file dialog's OK. False when refused (with its message).
    bool add(const std::string& fullPath, Notifier& notifier);
    // "삭제" with the selected row indexes.
    bool removeRows(std::vector<int> selected, Notifier& notifier);
    // "적용": writes every row, pads with "NONE," and shows the summary. Returns the
    // total count for the window title, or nullopt when the ini file could not be
    // written (the dialog then stays open).
    std::optional<long long> apply(Notifier& notifier);

private:
    RejectTable m_table;
    std::vector<Row> m_rows;
};

} // namespace qb
