#include "common/SendQueue.h"

#include "common/Varint.h"

#include "common/HugePages.h"

#include <cstring>
#include <stdexcept>

namespace qb {
namespace {

// A stored field: length plus one, then the bytes; 0 means "the same as the body".
std::string_view getField(const char*& p, std::string_view body) {
    const std::size_t v = varint::get(p);
    if (v == 0)
        return body;
    const std::string_view field(p, v - 1);
    p += v - 1;
    return field;
}

} // namespace

void SendQueue::clear() {
    m_offsets.clear();
    m_offsets.shrink_to_fit();
    m_arena.clear();
    m_arena.shrink_to_fit();
    m_head = 0;
}

void SendQueue::push_back(const SendRecord& r) {
    // Without line breaks the display copy is the body: a zero length marks that,
    // and every real length is stored plus one.
    const bool sameDisplay = r.displayBody == r.body;
    const std::string_view fields[] = {r.body,           r.title,
                                       r.callbackNumber, r.number,
                                       r.reservation,    sameDisplay ? std::string_view() : r.displayBody};
    std::size_t size = 0;
    for (std::string_view f : fields)
        size += f.size() + varint::kMaxBytes;
    m_offsets.push_back(m_arena.size());
    // Put together on the stack (nearly every record fits) and appended in one go.
    char small[1024];
    std::string big;
    if (size > sizeof small)
        big.resize(size);
    char* const begin = size > sizeof small ? big.data() : small;
    char* p = begin;
    for (std::size_t i = 0; i < 6; ++i) {
        const std::string_view f = fields[i];
        p = varint::put(p, i == 5 && sameDisplay ? 0 : f.size() + 1);
        if (!f.empty()) // an empty view may hold no pointer at all
            std::memcpy(p, f.data(), f.size());
        p += f.size();
    }
    m_arena.append(begin, static_cast<std::size_t>(p - begin));
}

void SendQueue::pop_front() {
    if (empty())
        throw std::out_of_range("SendQueue::pop_front on an empty queue");
    ++m_head;
    if (m_head == m_offsets.size()) {
        clear();
        return;
    }
    // Give back what the transmission has taken once it is most of the arena.
    if (m_head >= 4096 && m_head * 2 >= m_offsets.size()) {
        const std::uint64_t base = m_offsets[m_head];
        m_arena.erase(0, base);
        m_offsets.erase(m_offsets.begin(), m_offsets.begin() + static_cast<std::ptrdiff_t>(m_head));
        for (std::uint64_t& o : m_offsets)
            o -= base;
        m_head = 0;
    }
}

void SendQueue::reserve(std::size_t records, std::size_t bytesEach) {
    m_offsets.reserve(m_offsets.size() + records);
    m_arena.reserve(m_arena.size() + records * bytesEach);
    adviseHugePages(m_offsets);
    adviseHugePages(m_arena);
}

SendQueue::View SendQueue::view(std::size_t i) const {
    if (i >= size())
        throw std::out_of_range("SendQueue index out of range");
    return decode(m_arena.data() + m_offsets[m_head + i]);
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

void SendQueue::takeFront(TakenRecord& into) {
    if (empty())
        throw std::out_of_range("SendQueue::takeFront on an empty queue");
    const std::uint64_t begin = m_offsets[m_head];
    const std::uint64_t end = m_head + 1 < m_offsets.size() ? m_offsets[m_head + 1] : m_arena.size();
    into.m_bytes.assign(m_arena, begin, end - begin);
    pop_front();
}

void SendQueue::putBack(const TakenRecord& record) {
    if (record.empty())
        return;
    const std::uint64_t taken = m_head < m_offsets.size() ? m_offsets[m_head] : m_arena.size();
    const std::uint64_t size = record.m_bytes.size();
    m_arena.replace(0, taken, record.m_bytes);
    m_offsets.erase(m_offsets.begin(), m_offsets.begin() + static_cast<std::ptrdiff_t>(m_head));
    for (std::uint64_t& o : m_offsets)
        o = o - taken + size;
    m_offsets.insert(m_offsets.begin(), 0);
    m_head = 0;
}

SendQueue::View TakenRecord::view() const {
    if (m_bytes.empty())
        throw std::out_of_range("TakenRecord::view of no record");
    return SendQueue::decode(m_bytes.data());
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
