#include "common/SendQueue.h"

#include "common/Varint.h"

#include <atomic>
#include <cstring>
#include <stdexcept>

namespace qb {
namespace {

// A field is stored behind a tag: 0 for "the same as the body" (the display copy),
// else ((length << 1) | reference) + 1. A reference is followed by how far back the
// bytes stand from the tag; kept under 2^14 so it takes two bytes at most.
constexpr std::size_t kMaxDistance = std::size_t(1) << 14;

std::string_view getField(const char*& p, std::string_view body) {
    const char* const tagAt = p;
    std::size_t v = varint::get(p);
    if (v == 0)
        return body;
    --v;
    const std::size_t size = v >> 1;
    if (v & 1) {
        const std::size_t distance = varint::get(p);
        return {tagAt - distance, size};
    }
    const std::string_view field(p, size);
    p += size;
    return field;
}

// getField for bytes from outside: false instead of reading past `end` or before `arena`.
bool checkedVarint(const char*& p, const char* end, std::size_t& v) {
    v = 0;
    for (int shift = 0; shift < 63; shift += 7) {
        if (p == end)
            return false;
        const auto c = static_cast<unsigned char>(*p++);
        v |= static_cast<std::size_t>(c & 0x7F) << shift;
        if (!(c & 0x80))
            return true;
    }
    return false;
}

bool checkedField(const char* arena, const char*& p, const char* end, bool mayBeBody) {
    const char* const tagAt = p;
    std::size_t v = 0;
    if (!checkedVarint(p, end, v))
        return false;
    if (v == 0)
        return mayBeBody;
    --v;
    const std::size_t size = v >> 1;
    if (v & 1) {
        std::size_t distance = 0;
        if (!checkedVarint(p, end, distance))
            return false;
        const auto before = static_cast<std::size_t>(tagAt - arena);
        return distance > 0 && distance <= before && size <= distance;
    }
    if (size > static_cast<std::size_t>(end - p))
        return false;
    p += size;
    return true;
}

} // namespace

std::uint64_t SendQueue::newGeneration() {
    static std::atomic<std::uint64_t> generations{0};
    return ++generations;
}

void SendQueue::clear() {
    m_generation = newGeneration();
    m_offsets.release();
    m_arena.reset(); // a reader holding the bytes keeps them
    m_head = 0;
    for (Last& l : m_last)
        l = Last{};
}

const std::string& SendQueue::arena() const {
    static const std::string none;
    return m_arena ? *m_arena : none;
}

std::string& SendQueue::writableArena() {
    if (!m_arena)
        m_arena = std::make_shared<std::string>();
    else if (m_arena.use_count() > 1)
        m_arena = std::make_shared<std::string>(*m_arena);
    return *m_arena;
}

void SendQueue::appendField(const std::string& arena, std::size_t index, std::string_view field, char*& p,
                            char* begin) {
    const std::uint64_t tagAt = arena.size() + static_cast<std::uint64_t>(p - begin);
    Last& last = m_last[index];
    if (!field.empty() && last.set && last.size == field.size() && tagAt - last.at < kMaxDistance &&
        std::memcmp(arena.data() + last.at, field.data(), field.size()) == 0) {
        p = varint::put(p, ((field.size() << 1) | 1) + 1);
        p = varint::put(p, tagAt - last.at);
        return;
    }
    p = varint::put(p, (field.size() << 1) + 1);
    if (!field.empty()) // an empty view may hold no pointer at all
        std::memcpy(p, field.data(), field.size());
    last = Last{arena.size() + static_cast<std::uint64_t>(p - begin), field.size(), true};
    p += field.size();
}

void SendQueue::push_back(const SendRecord& r) {
    // Without line breaks the display copy is the body: a zero tag marks that.
    const bool sameDisplay = r.displayBody == r.body;
    const std::string_view fields[] = {r.body,           r.title,
                                       r.callbackNumber, r.number,
                                       r.reservation,    sameDisplay ? std::string_view() : r.displayBody};
    std::size_t size = 0;
    for (std::string_view f : fields)
        size += f.size() + 2 * varint::kMaxBytes;
    std::string& arena = writableArena();
    m_offsets.push_back(arena.size());
    // Put together on the stack (nearly every record fits) and appended in one go.
    char small[1024];
    std::string big;
    if (size > sizeof small)
        big.resize(size);
    char* const begin = size > sizeof small ? big.data() : small;
    char* p = begin;
    for (std::size_t i = 0; i < 6; ++i) {
        if (i == 5 && sameDisplay)
            p = varint::put(p, 0);
        else
            appendField(arena, i, fields[i], p, begin);
    }
    arena.append(begin, static_cast<std::size_t>(p - begin));
}

void SendQueue::append(const SendQueue& more) {
    if (more.total() == 0)
        return;
    std::string& arena = writableArena();
    const std::uint64_t base = arena.size();
    arena.append(*more.m_arena);
    m_offsets.reserve(m_offsets.size() + more.total());
    for (std::size_t i = 0; i < more.total(); ++i)
        m_offsets.push_back(base + more.m_offsets[i]);
    // References point back by distance, so they hold wherever the bytes stand.
    for (std::size_t f = 0; f < 6; ++f)
        if (more.m_last[f].set)
            m_last[f] = Last{base + more.m_last[f].at, more.m_last[f].size, true};
}

void SendQueue::emptyQueue() {
    throw std::out_of_range("SendQueue::pop_front on an empty queue");
}

void SendQueue::rewind(std::size_t count) {
    if (count > m_head)
        throw std::out_of_range("SendQueue::rewind past the first record");
    m_head -= count;
}

void SendQueue::seek(std::size_t index) {
    if (index > m_offsets.size())
        throw std::out_of_range("SendQueue::seek past the last record");
    m_head = index;
}

void SendQueue::reserve(std::size_t records, std::size_t bytesEach) {
    m_offsets.reserve(m_offsets.size() + records);
    std::string& arena = writableArena();
    arena.reserve(arena.size() + records * bytesEach);
}

SendQueue::View SendQueue::view(std::size_t i) const {
    if (i >= size())
        throw std::out_of_range("SendQueue index out of range");
    return decode(m_arena->data() + m_offsets[m_head + i]);
}

SendQueue::View SendQueue::record(std::size_t index) const {
    if (index >= m_offsets.size())
        throw std::out_of_range("SendQueue record index out of range");
    return decode(m_arena->data() + m_offsets[index]);
}

SendQueue::View SendQueue::decode(const char* p) {
    View v;
    v.body = getField(p, {});
    v.title = getField(p, {});
    v.callbackNumber = getField(p, {});
    v.number = getField(p, {});
    v.reservation = getField(p, {});
    v.displayBody = getField(p, v.body);
    return v;
}

bool SendQueue::fromArena(std::string arena, SendQueue& into) {
    ArenaOffsets offsets;
    const char* const base = arena.data();
    const char* const end = base + arena.size();
    for (const char* p = base; p != end;) {
        offsets.push_back(static_cast<std::uint64_t>(p - base));
        for (int i = 0; i < 6; ++i)
            if (!checkedField(base, p, end, i == 5))
                return false;
    }
    into.clear();
    into.m_arena = std::make_shared<std::string>(std::move(arena));
    into.m_offsets = std::move(offsets);
    // New records pushed after these are stored in full until they repeat.
    return true;
}

SendRecord SendQueue::at(std::size_t i) const {
    const View v = view(i);
    SendRecord r;
    r.body = v.body;
    r.title = v.title;
    r.callbackNumber = v.callbackNumber;
    r.number = v.number;
    r.reservation = v.reservation;
    r.displayBody = v.displayBody;
    return r;
}

} // namespace qb
