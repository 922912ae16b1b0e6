#include "send/RejectList.h"

#include "common/Bytes.h"
#include "common/Cp949.h"
#include "common/ProfileFile.h"
#include "common/RegularFile.h"

#include <cerrno>
#include <cstdio>
#include <limits>
#include <sys/stat.h>

namespace qb {
namespace {

const std::string kSection = "Reject";

bool isSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

std::string rejectKey(int entry) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%02d", "Reject_0", entry);
    return buf;
}

RejectEntry parseRejectValue(std::string_view value) {
    RejectEntry e;
    const std::vector<std::string_view> fields = bytes::splitRuns(value, ",");
    if (fields.size() < 3)
        return e;
    e.emptySlot = false;
    e.flag = fields[0];
    e.name = fields[1];
    e.path = fields[2];
    // A path (or a name) may itself hold commas. The dialog always writes the file's
    // own name before its path, so prefer the split where the path ends in the name.
    std::size_t p = value.find_first_not_of(',');
    p = value.find_first_not_of(',', value.find(',', p));
    const std::string_view rest = value.substr(p);
    for (std::size_t i = rest.find(','); i != std::string_view::npos; i = rest.find(',', i + 1)) {
        const std::size_t j = rest.find_first_not_of(',', i);
        if (j == std::string_view::npos)
            break;
        const std::string_view name = rest.substr(0, i);
        const std::string_view path = rest.substr(j);
        if (baseName(path) == name) {
            e.name = name;
            e.path = path;
            break;
        }
        i = j - 1;
    }
    e.active = value.find("NONE") == std::string_view::npos && value.find("FALSE") == std::string_view::npos;
    return e;
}

RejectTable RejectTable::inWorkingFolder(const std::string& workingFolder) {
    return RejectTable(workingFolder + "/msg/RAZIDODU.ini");
}

std::vector<std::string> RejectTable::values() const {
    std::vector<std::string> result(kRejectEntryCount + 1);
    const ProfileFile ini(m_path);
    // One read of the file for all fifty keys; the first of duplicate keys wins, as
    // for a single read.
    std::vector<bool> seen(kRejectEntryCount + 1);
    const auto section = ini.readSection(kSection);
    for (int n = 1; n <= kRejectEntryCount; ++n) {
        const std::string key = rejectKey(n);
        for (const auto& [k, v] : section)
            if (bytes::equalsIgnoreCase(k, key)) {
                result[static_cast<std::size_t>(n)] = v;
                break;
            }
    }
    return result;
}

std::vector<RejectEntry> RejectTable::activeEntries() const {
    std::vector<RejectEntry> result;
    const std::vector<std::string> v = values();
    for (int n = kRejectEntryCount; n >= 1; --n) {
        RejectEntry e = parseRejectValue(v[static_cast<std::size_t>(n)]);
        if (e.active)
            result.push_back(std::move(e));
    }
    return result;
}

bool RejectTable::write(const std::vector<std::pair<std::string, std::string>>& keyValues) const {
    return ProfileFile(m_path).write(kSection, keyValues);
}

namespace detail {

bool forEachToken(const std::string& path, void (*fn)(void*, std::string_view), void* context) {
    return forEachTokenIn(path, 0, std::numeric_limits<std::uint64_t>::max(), fn, context);
}

bool forEachTokenIn(const std::string& path, std::uint64_t from, std::uint64_t to,
                    void (*fn)(void*, std::string_view), void* context) {
    // A block at a time: a list of ten million numbers need not be held whole. A
    // token cut by a block's end waits in `carry` for the rest. Reading starts a
    // byte early, to tell whether the token at `from` began before it.
    std::string carry;
    bool atStart = from > 0, skip = false;
    std::uint64_t offset = from > 0 ? from - 1 : 0; // of the block's first byte
    const auto tokens = [&](std::string_view block) {
        const char* p = block.data();
        const char* const end = p + block.size();
        const std::uint64_t blockOffset = offset;
        offset += block.size();
        if (atStart) {
            atStart = false;
            skip = !isSpace(static_cast<unsigned char>(*p++));
        }
        while (skip && p < end && !isSpace(static_cast<unsigned char>(*p)))
            ++p;
        skip = skip && p == end;
        while (p < end) {
            if (carry.empty()) {
                while (p < end && isSpace(static_cast<unsigned char>(*p)))
                    ++p;
                if (p == end)
                    break;
                if (blockOffset + static_cast<std::uint64_t>(p - block.data()) >= to)
                    return false; // the next part's
            }
            const char* start = p;
            while (p < end && !isSpace(static_cast<unsigned char>(*p)))
                ++p;
            if (p == end) {
                carry.append(start, static_cast<std::size_t>(p - start));
                break;
            }
            if (!carry.empty()) {
                carry.append(start, static_cast<std::size_t>(p - start));
                fn(context, carry);
                carry.clear();
            } else {
                fn(context, std::string_view(start, static_cast<std::size_t>(p - start)));
            }
        }
        return true;
    };
    if (!readRegularFileBlocksFrom(path, from > 0 ? from - 1 : 0, tokens))
        return false;
    if (!carry.empty())
        fn(context, carry);
    return true;
}

} // namespace detail

std::optional<std::string> unreadableRejectFile(const RejectTable& table) {
    struct stat st {};
    if (::lstat(table.path().c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR))
        return std::nullopt;
    std::string content;
    if (readRegularFile(table.path(), content, ProfileFile::kMaxBytes) != FileRead::Ok)
        return table.path();
    for (const RejectEntry& e : table.activeEntries())
        if (!regularFileReadable(e.path))
            return e.path;
    return std::nullopt;
}

std::string unreadableRejectMessage(const std::string& path) {
    return ko("수신거부 목록 파일을 읽을 수 없습니다: ") + cp949::fromNativePath(path) +
           ko("\n자체수신거부를 끄거나 파일을 확인해 주세요.");
}

std::optional<long long> countRejectNumbers(const std::string& path) {
    long long n = 0;
    if (!detail::forEachToken(
            path, [](void* ctx, std::string_view) { ++*static_cast<long long*>(ctx); }, &n))
        return std::nullopt;
    return n;
}

std::uint64_t rejectFileBytes(const RejectTable& table) {
    std::uint64_t total = 0;
    for (const RejectEntry& e : table.activeEntries()) {
        struct stat st {};
        if (::stat(e.path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            total += static_cast<std::uint64_t>(st.st_size);
    }
    return total;
}

std::vector<RecipientEntry> loadRejectNumbers(const RejectTable& table) {
    std::vector<RecipientEntry> list;
    forEachRejectNumber(table, [&](std::string_view token) {
        RecipientEntry e;
        e.seq = static_cast<long long>(list.size()) + 1;
        e.number = token;
        list.push_back(std::move(e));
    });
    return list;
}

long long countRejectNumbersForTitle(const RejectTable& table, Notifier& notifier) {
    static const std::string missing = ko("수신거부 화일이 존재하지 않습니다. 확인바랍니다.");
    long long total = 0;
    // Read as no lists at all; the user is told why.
    if (ProfileFile(table.path()).load().tooLarge())
        notifier.error(ProfileFile::tooLargeMessage(table.path()));
    for (const RejectEntry& e : table.activeEntries()) {
        if (const auto n = countRejectNumbers(e.path))
            total += *n;
        else
            notifier.error(cp949::fromNativePath(e.path) + "\n" + missing);
    }
    return total;
}

} // namespace qb
