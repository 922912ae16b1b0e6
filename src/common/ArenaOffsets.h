#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

// Where each entry of a packed byte arena starts, in five bytes an entry instead of
// eight: the recipient table and the send queue keep one per row, and ten million
// rows save 30 MB. Offsets reach a terabyte.
namespace qb {

class ArenaOffsets {
public:
    static constexpr std::uint64_t kMax = (std::uint64_t{1} << 40) - 1;

    std::size_t size() const { return m_low.size(); }
    bool empty() const { return m_low.empty(); }
    std::uint64_t operator[](std::size_t i) const { return m_low[i] | (std::uint64_t{m_high[i]} << 32); }

    void set(std::size_t i, std::uint64_t offset) {
        check(offset);
        m_low[i] = static_cast<std::uint32_t>(offset);
        m_high[i] = static_cast<std::uint8_t>(offset >> 32);
    }
    void push_back(std::uint64_t offset) {
        check(offset);
        m_low.push_back(static_cast<std::uint32_t>(offset));
        m_high.push_back(static_cast<std::uint8_t>(offset >> 32));
    }
    void resize(std::size_t n, std::uint64_t offset) {
        check(offset);
        m_low.resize(n, static_cast<std::uint32_t>(offset));
        m_high.resize(n, static_cast<std::uint8_t>(offset >> 32));
    }
    void reserve(std::size_t n) {
        m_low.reserve(n);
        m_high.reserve(n);
    }
    // Drops entries [first, last).
    void erase(std::size_t first, std::size_t last) {
        m_low.erase(m_low.begin() + static_cast<std::ptrdiff_t>(first),
                    m_low.begin() + static_cast<std::ptrdiff_t>(last));
        m_high.erase(m_high.begin() + static_cast<std::ptrdiff_t>(first),
                     m_high.begin() + static_cast<std::ptrdiff_t>(last));
    }
    // Empties and gives the memory back.
    void release() {
        std::vector<std::uint32_t>().swap(m_low);
        std::vector<std::uint8_t>().swap(m_high);
    }

private:
    static void check(std::uint64_t offset) {
        if (offset > kMax)
            throw std::length_error("arena offset past a terabyte");
    }

    std::vector<std::uint32_t> m_low;
    std::vector<std::uint8_t> m_high;
};

} // namespace qb
