#include "import/XlsxZip.h"

#include <algorithm>
#include <libdeflate.h>

namespace qb::xlsx {
namespace {

// The parts read whole are small in any real workbook.
constexpr zip_uint64_t kMaxPartBytes = zip_uint64_t{1} << 28;

} // namespace

Archive::Archive(const std::string& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (src) {
        m_zip = zip_open_from_source(src, ZIP_RDONLY, &error);
        if (!m_zip)
            zip_source_free(src);
    }
    zip_error_fini(&error);
}

Archive::~Archive() {
    if (m_zip)
        zip_discard(m_zip);
}

zip_int64_t Archive::locate(const std::string& name) const {
    // Part names in relationships may start with the package root.
    return zip_name_locate(m_zip, name.c_str() + (name.rfind('/', 0) == 0 ? 1 : 0), ZIP_FL_NOCASE);
}

bool Archive::has(const std::string& name) const {
    return locate(name) >= 0;
}

bool Archive::read(const std::string& name, std::string& out) const {
    EntryReader f(*this, name, false);
    if (!f.isOpen())
        return false;
    out.clear();
    // The size is what the archive claims; reserve no more than a plausible part.
    out.reserve(static_cast<std::size_t>(std::min<zip_uint64_t>(f.size(), zip_uint64_t{1} << 24)));
    char buf[1 << 16];
    while (true) {
        const zip_int64_t n = f.read(buf, sizeof buf);
        if (n < 0 || out.size() + static_cast<std::size_t>(n) > kMaxPartBytes)
            return false;
        if (n == 0)
            return true;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

EntryReader::EntryReader(const Archive& zip, const std::string& name, bool quick) {
    const zip_int64_t index = zip.locate(name);
    if (index < 0)
        return;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip.m_zip, static_cast<zip_uint64_t>(index), 0, &st) != 0)
        return;
    m_size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    constexpr zip_uint64_t kNeeded =
        ZIP_STAT_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
    m_raw = quick && (st.valid & kNeeded) == kNeeded && st.comp_method == ZIP_CM_DEFLATE &&
            st.encryption_method == ZIP_EM_NONE && inflateInit2(&m_z, -MAX_WBITS) == Z_OK;
    if (m_raw) {
        m_crc = st.crc;
        m_in = std::make_unique_for_overwrite<char[]>(kIn);
    }
    m_file = zip_fopen_index(zip.m_zip, static_cast<zip_uint64_t>(index), m_raw ? ZIP_FL_COMPRESSED : 0);
}

EntryReader::~EntryReader() {
    if (m_raw)
        inflateEnd(&m_z);
    if (m_file)
        zip_fclose(m_file);
}

zip_int64_t EntryReader::read(char* out, std::size_t n) {
    if (!m_raw)
        return zip_fread(m_file, out, n);
    if (m_failed)
        return -1;
    if (m_ended)
        return 0;
    m_z.next_out = reinterpret_cast<Bytef*>(out);
    m_z.avail_out = static_cast<uInt>(std::min<std::size_t>(n, std::size_t{1} << 30));
    const uInt wanted = m_z.avail_out;
    while (m_z.avail_out > 0 && !m_ended) {
        if (m_z.avail_in == 0) {
            const zip_int64_t got = zip_fread(m_file, m_in.get(), kIn);
            if (got <= 0) // a stream cut short
                return fail();
            m_z.next_in = reinterpret_cast<Bytef*>(m_in.get());
            m_z.avail_in = static_cast<uInt>(got);
        }
        const int r = inflate(&m_z, Z_NO_FLUSH);
        if (r == Z_STREAM_END)
            m_ended = true;
        else if (r != Z_OK)
            return fail();
    }
    const std::size_t made = wanted - m_z.avail_out;
    m_crcSoFar = static_cast<std::uint32_t>(libdeflate_crc32(m_crcSoFar, out, made));
    if (m_ended && (m_z.total_out != m_size || m_crcSoFar != m_crc))
        return fail();
    return static_cast<zip_int64_t>(made);
}

InflatePipe::~InflatePipe() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void InflatePipe::run() {
    std::size_t made = 0;
    while (true) {
        Block block;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || !m_free.empty() || made < kBlocks; });
            if (m_stop)
                break;
            if (!m_free.empty()) {
                block = std::move(m_free.back());
                m_free.pop_back();
            }
        }
        if (!block.data) {
            block.data = std::make_unique_for_overwrite<char[]>(kRoom + kBlock);
            ++made;
        }
        block.size = 0;
        bool end = false, failed = false;
        while (block.size < kBlock) {
            const zip_int64_t n = m_file.read(block.data.get() + kRoom + block.size, kBlock - block.size);
            if (n <= 0) {
                end = true;
                failed = n < 0;
                break;
            }
            block.size += static_cast<std::size_t>(n);
        }
        {
            const std::lock_guard lock(m_mutex);
            if (block.size > 0)
                m_full.push_back(std::move(block));
            m_done = end;
            m_failed = failed;
        }
        m_changed.notify_all();
        if (end)
            break;
    }
}

} // namespace qb::xlsx
