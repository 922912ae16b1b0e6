#pragma once

#include "common/Notifier.h"
#include "common/SendTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// The user's reject lists: the table of up to fifty reject files in
// msg/RAZIDODU.ini, section "Reject", and the files themselves (whitespace-separated
// numbers, taken byte for byte).
namespace qb {

inline constexpr int kRejectEntryCount = 50;

// "Reject_001".."Reject_050"; rows past fifty get "Reject_051" and so on.
std::string rejectKey(int entry);

struct RejectEntry {
    bool emptySlot = true; // fewer than three comma-separated fields
    bool active = false;   // not empty, and neither "NONE" nor "FALSE" anywhere in the value
    std::string flag;      // first field: "TRUE" / "FALSE"
    std::string name;
    std::string path;
};
RejectEntry parseRejectValue(std::string_view value);

class RejectTable {
public:
    explicit RejectTable(std::string iniPath) : m_path(std::move(iniPath)) {}
    // <working folder>/msg/RAZIDODU.ini
    static RejectTable inWorkingFolder(const std::string& workingFolder);

    const std::string& path() const { return m_path; }
    // Values of entries 1..50 (index 0 unused); a missing key reads empty.
    std::vector<std::string> values() const;
    // Active entries from entry 50 down to entry 1, the order every reader uses.
    std::vector<RejectEntry> activeEntries() const;
    bool write(const std::vector<std::pair<std::string, std::string>>& keyValues) const;

private:
    std::string m_path;
};

// With "자체수신거부" on, a list that cannot be read must stop the preview: read as
// empty, it would send to the numbers it holds. The first file in the way is the
// table file when it is there but cannot be read whole (a folder, no permission,
// over ProfileFile::kMaxBytes, which would read as no lists at all), else the first
// active list, entry 50 down to 1, that does not open as a regular file. nullopt
// when all can be read; no table file at all is a working folder without lists.
std::optional<std::string> unreadableRejectFile(const RejectTable& table);
// "수신거부 목록 파일을 읽을 수 없습니다: <path>\n자체수신거부를 끄거나 파일을 확인해 주세요."
std::string unreadableRejectMessage(const std::string& path);

// Whitespace-separated tokens of the file; nullopt when it cannot be opened.
std::optional<long long> countRejectNumbers(const std::string& path);

// Calls sink(token) for every number of every active file, entry 50 down to 1; files
// that cannot be opened are skipped silently. Tokens are kept whole whatever their
// length: a candidate number has at most 15 bytes, so a longer token never matches.
template <typename Sink> void forEachRejectNumber(const RejectTable& table, Sink&& sink);

// The size of the active reject files together (those that cannot be read count 0).
std::uint64_t rejectFileBytes(const RejectTable& table);

// The reject number list: seq runs from 1 over all files, merge fields stay empty.
std::vector<RecipientEntry> loadRejectNumbers(const RejectTable& table);

// The count in the main window's title after login. A file that cannot be opened is
// reported ("%s\n%s" with its path) and counts 0; so is a table file too large to read.
long long countRejectNumbersForTitle(const RejectTable& table, Notifier& notifier);

namespace detail {
bool forEachToken(const std::string& path, void (*fn)(void*, std::string_view), void* context);
// The tokens that begin in bytes [from, to) of the file, so that parts of one file
// can be read apart: split at any byte, the parts give each token once, whole.
bool forEachTokenIn(const std::string& path, std::uint64_t from, std::uint64_t to,
                    void (*fn)(void*, std::string_view), void* context);
} // namespace detail

template <typename Sink> void forEachRejectNumber(const RejectTable& table, Sink&& sink) {
    for (const RejectEntry& e : table.activeEntries())
        detail::forEachToken(
            e.path,
            [](void* ctx, std::string_view token) {
                (*static_cast<std::remove_reference_t<Sink>*>(ctx))(token);
            },
            &sink);
}

} // namespace qb
