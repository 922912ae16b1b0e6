#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <zip.h>
#include <zlib.h>

// The zip container of a workbook, over bytes its owner keeps: entries found by
// name (without regard to case, a leading "/" dropped), read whole up to a size
// no real part reaches, or block by block. An entry's bytes are given only as
// libzip would check them (the stream ends, with the size and CRC-32 the
// directory gives); one that fails those checks is a fault, never short data. One
// Archive is for one thread at a time.
namespace qb::xlsx {

class Archive {
public:
    explicit Archive(const std::string& bytes);
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    bool has(const std::string& name) const;
    // The whole entry; false when it is missing, faulty or larger than a part can be.
    bool read(const std::string& name, std::string& out) const;

private:
    friend class EntryReader;
    zip_int64_t locate(const std::string& name) const;

    zip_t* m_zip = nullptr;
};

// An entry's bytes as zip_fread() gives them. `quick`: a deflated one is inflated
// here from its raw bytes: libzip checks the CRC-32 with zlib's, which took a
// quarter of the time spent inflating, and libdeflate's is many times faster. The
// checks are libzip's: the stream ends, with the size and CRC-32 the directory gives.
class EntryReader {
public:
    EntryReader(const Archive& zip, const std::string& name, bool quick = true);
    ~EntryReader();
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // The size the directory gives; 0 when it gives none.
    zip_uint64_t size() const { return m_size; }
    // Up to n bytes; 0 at the end, -1 on a fault.
    zip_int64_t read(char* out, std::size_t n);

private:
    static constexpr std::size_t kIn = std::size_t{1} << 16;
    zip_int64_t fail() {
        m_failed = true;
        return -1;
    }

    zip_file_t* m_file = nullptr;
    bool m_raw = false, m_ended = false, m_failed = false;
    z_stream m_z{};
    std::unique_ptr<char[]> m_in;
    zip_uint64_t m_size = 0;
    std::uint32_t m_crc = 0, m_crcSoFar = 0;
};

// A zip entry inflated on a thread of its own, a few blocks ahead of the reader,
// so that inflating and parsing share the two cores. Each block has kRoom bytes
// free before it, for PlainXml::parseInPlace.
class InflatePipe {
public:
    static constexpr std::size_t kBlock = std::size_t{1} << 18;
    static constexpr std::size_t kRoom = std::size_t{1} << 16;

    explicit InflatePipe(EntryReader& file) : m_file(file), m_thread([this] { run(); }) {}
    ~InflatePipe();
    InflatePipe(const InflatePipe&) = delete;
    InflatePipe& operator=(const InflatePipe&) = delete;

    // Hands the next block to `use`; false at the end (`failed` tells why).
    template <typename F> bool next(F&& use) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_full.empty() || m_done; });
        if (m_full.empty())
            return false;
        Block block = std::move(m_full.front());
        m_full.pop_front();
        lock.unlock();
        use(block.data.get() + kRoom, block.size);
        lock.lock();
        m_free.push_back(std::move(block));
        lock.unlock();
        m_changed.notify_all();
        return true;
    }
    bool failed() const {
        const std::lock_guard lock(m_mutex);
        return m_failed;
    }

private:
    static constexpr std::size_t kBlocks = 5; // one of them with the reader
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t size = 0;
    };

    void run();

    EntryReader& m_file;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_full;
    std::vector<Block> m_free;
    bool m_stop = false, m_done = false, m_failed = false;
    std::thread m_thread; // last: it starts once the rest is there
};

// Hands the entry to `use(data, n)` a block at a time while it returns true; each
// block has InflatePipe::kRoom writable bytes before it. `ahead`: inflated on a
// thread of its own. False on a fault of the entry's bytes.
template <typename F> bool readBlocks(EntryReader& file, bool ahead, F&& use) {
    if (ahead) {
        InflatePipe pipe(file);
        bool more = true;
        while (more && pipe.next([&](char* data, std::size_t n) { more = use(data, n); })) {
        }
        return !pipe.failed();
    }
    constexpr std::size_t kRoom = InflatePipe::kRoom, kBlock = InflatePipe::kBlock;
    const auto buf = std::make_unique_for_overwrite<char[]>(kRoom + kBlock);
    while (true) {
        const zip_int64_t n = file.read(buf.get() + kRoom, kBlock);
        if (n <= 0)
            return n == 0;
        if (!use(buf.get() + kRoom, static_cast<std::size_t>(n)))
            return true;
    }
}

} // namespace qb::xlsx
