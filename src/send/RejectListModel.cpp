#include "send/RejectListModel.h"

#include "common/RegularFile.h"

#include "common/Bytes.h"
#include "common/Cp949.h"

#include <algorithm>
#include <filesystem>

namespace qb {

void RejectListModel::load() {
    m_rows.clear();
    const std::vector<std::string> values = m_table.values();
    for (int n = kRejectEntryCount; n >= 1; --n) {
        const std::string& v = values[static_cast<std::size_t>(n)];
        if (v == "NONE,")
            continue;
        const RejectEntry e = parseRejectValue(v);
        if (e.emptySlot)
            continue;
        m_rows.insert(m_rows.begin(), Row{e.flag == "TRUE", e.name, e.path});
    }
}

std::string RejectListModel::cell(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return {};
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    switch (column) {
    case 0:
        return r.ticked ? ko("적용") : std::string();
    case 1:
        return r.name;
    case 2:
        return r.path;
    default:
        return {};
    }
}

std::vector<std::string> RejectListModel::headers() {
    return {ko("적용"), ko("명칭"), ko("수신거부 화일명")};
}

std::vector<int> RejectListModel::columnWidths() {
    return {100, 150, 300};
}

void RejectListModel::toggle(int row) {
    if (row >= 0 && row < static_cast<int>(m_rows.size()))
        m_rows[static_cast<std::size_t>(row)].ticked = !m_rows[static_cast<std::size_t>(row)].ticked;
}

bool RejectListModel::add(const std::string& fullPath, Notifier& notifier) {
    if (fullPath.empty()) {
        notifier.error(ko("화일경로가 존재하지 않습니다."));
        return false;
    }
    const std::string name(baseName(fullPath));
    if (name.empty()) {
        notifier.error(ko("화일이 존재하지 않습니다."));
        return false;
    }
    // The ini value separates its fields with commas: a comma in the path would
    // be read back as another path, and the list would silently stop applying.
    if (fullPath.find(',') != std::string::npos) {
        notifier.error(ko("화일경로에 쉼표(,)가 있는 화일은 등록할 수 없습니다."));
        return false;
    }
    for (const Row& r : m_rows)
        if (r.path == fullPath) {
            notifier.error(ko("중복화일이 존재합니다!"));
            return false;
        }
    m_rows.insert(m_rows.begin(), Row{true, name, fullPath});
    return true;
}

bool RejectListModel::removeRows(std::vector<int> selected, Notifier& notifier) {
    std::erase_if(selected, [&](int i) { return i < 0 || i >= static_cast<int>(m_rows.size()); });
    if (selected.empty()) {
        notifier.error(ko("삭제할 항목이 없습니다."));
        return false;
    }
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        m_rows.erase(m_rows.begin() + *it);
    return true;
}

std::optional<long long> RejectListModel::apply(Notifier& notifier) {
    std::vector<std::pair<std::string, std::string>> values;
    int n = 1;
    for (const Row& r : m_rows)
        values.emplace_back(rejectKey(n++), (r.ticked ? "TRUE," : "FALSE,") + r.name + "," + r.path);
    for (; n <= kRejectEntryCount; ++n)
        values.emplace_back(rejectKey(n), "NONE,");

    // A fresh working folder may lack msg/; losing the user's list would be worse
    // than creating it.
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(m_table.path()).parent_path(), ec);
    if (!m_table.write(values)) {
        notifier.error(cp949::fromNativePath(m_table.path()) + "\n" + ko("화일을 저장할 수 없습니다."));
        return std::nullopt;
    }

    static const std::string missing = ko("화일이 존재하지 않습니다.");
    std::string summary;
    long long total = 0;
    for (const RejectEntry& e : m_table.activeEntries()) {
        long long count = 0;
        if (const auto c = countRejectNumbers(e.path))
            count = *c;
        else
            notifier.error(cp949::fromNativePath(e.path) + "\n" + missing);
        total += count;
        summary +=
            "[" + cp949::fromNativePath(e.name) + "] - [" + std::to_string(count) + "] " + ko("개") + "\n";
    }
    summary += "\n--------------------\n[Total] - [" + std::to_string(total) + "] " + ko("개");
    notifier.show(summary, MessageIcon::None, ko("수신거부 등록"));
    return total;
}

} // namespace qb
