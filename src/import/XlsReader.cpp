#include "common/Cp949.h"
#include "import/BiffCells.h"
#include "import/CellText.h"
#include "import/FileBytes.h"
#include "import/WorkbookReader.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <freexl.h>
#include <iconv.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

// Which .xls file takes which path:
// - BIFF8 (Excel 97 and later, what spreadsheet programs write today): our own
//   reader, BiffCells, which gives every cell as the sheet shows it (dates,
//   booleans, errors and formula results included).
// - Anything older (BIFF2 to BIFF5), or what our reader refuses: libfreexl.
// libfreexl can read past its own buffers on a malformed file (found by fuzzing
// 1.0.6), so every read runs in a child process that hands the results back
// over a pipe: whatever such a file does, the client only sees a workbook it
// cannot open.
namespace qb {
namespace {

constexpr std::uint32_t kEndOfCells = 0xFFFFFFFF;
constexpr int kQuietSeconds = 60; // a child silent this long is stuck

class Writer {
public:
    explicit Writer(int fd) : m_fd(fd) {}
    ~Writer() { flush(); }
    void u32(std::uint32_t v) { bytes(&v, sizeof v); }
    void text(std::string_view s) {
        u32(static_cast<std::uint32_t>(s.size()));
        bytes(s.data(), s.size());
    }
    void bytes(const void* data, std::size_t n) {
        const char* p = static_cast<const char*>(data);
        while (n > 0) {
            const std::size_t take = std::min(n, sizeof m_buf - m_used);
            std::memcpy(m_buf + m_used, p, take);
            m_used += take;
            p += take;
            n -= take;
            if (m_used == sizeof m_buf)
                flush();
        }
    }
    void flush() {
        std::size_t done = 0;
        while (done < m_used) {
            const ssize_t w = ::write(m_fd, m_buf + done, m_used - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                _exit(3);
            done += static_cast<std::size_t>(w);
        }
        m_used = 0;
    }

private:
    int m_fd;
    char m_buf[1 << 16];
    std::size_t m_used = 0;
};

class Reader {
public:
    explicit Reader(std::string data) : m_data(std::move(data)) {}
    bool u32(std::uint32_t& v) {
        if (m_data.size() - m_pos < sizeof v)
            return false;
        std::memcpy(&v, m_data.data() + m_pos, sizeof v);
        m_pos += sizeof v;
        return true;
    }
    bool text(std::string& s) {
        std::uint32_t n = 0;
        if (!u32(n) || m_data.size() - m_pos < n)
            return false;
        s.assign(m_data, m_pos, n);
        m_pos += n;
        return true;
    }

private:
    std::string m_data;
    std::size_t m_pos = 0;
};

// A BIFF8 workbook through our own reader; returns when it is none.
void biff8Main(const std::string& path, int sheet, Writer& out) {
    std::string file;
    std::vector<std::string> names;
    if (!readFileBytes(path, file))
        _exit(2);
    std::vector<std::pair<std::pair<int, int>, std::string>> cells;
    if (!readBiffWorkbook(file, names, sheet, [&](int row, int column, std::string text) {
            if (!text.empty())
                cells.emplace_back(std::pair{row, column}, std::move(text));
        }))
        return;
    if (sheet < 0) {
        out.u32(static_cast<std::uint32_t>(names.size()));
        for (const std::string& name : names)
            out.text(name);
    } else {
        for (const auto& [at, text] : cells) {
            out.u32(static_cast<std::uint32_t>(at.first));
            out.u32(static_cast<std::uint32_t>(at.second));
            out.text(text);
        }
    }
    out.u32(kEndOfCells);
    out.flush();
    _exit(0);
}

// The child's work: sheet names (sheet < 0) or one sheet's cells.
void childMain(const std::string& path, int sheet, int fd) {
    Writer out(fd);
    biff8Main(path, sheet, out);
    const void* handle = nullptr;
    if (freexl_open(path.c_str(), &handle) != FREEXL_OK || !handle)
        _exit(2);
    unsigned int info = 0;
    // An obfuscated (password) workbook's cells are not readable.
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK || info == FREEXL_BIFF_OBFUSCATED)
        _exit(2);
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0 || count > 0xFFFF)
        _exit(2);
    if (sheet < 0) {
        out.u32(count);
        for (unsigned int i = 0; i < count; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) != FREEXL_OK)
                _exit(2);
            out.text(name ? name : "");
        }
        out.u32(kEndOfCells);
        out.flush();
        _exit(0);
    }
    if (static_cast<unsigned int>(sheet) >= count ||
        freexl_select_active_worksheet(handle, static_cast<unsigned short>(sheet)) != FREEXL_OK)
        _exit(2);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
        _exit(2);
    for (unsigned int r = 0; r < rows && r < static_cast<unsigned int>(kMaxSheetRows); ++r)
        for (unsigned short c = 0; c < columns && c < kMaxSheetColumns; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK)
                continue;
            std::string text;
            switch (cell.type) {
            case FREEXL_CELL_INT:
                text = std::to_string(cell.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                text = celltext::number(cell.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                text = cell.value.text_value ? cell.value.text_value : "";
                break;
            default:
                break;
            }
            if (text.empty())
                continue;
            out.u32(r);
            out.u32(c);
            out.text(text);
        }
    out.u32(kEndOfCells);
    out.flush();
    _exit(0);
}

// The child must not load code (a lock another thread of the client held at the
// fork could stay taken there), so the converters libfreexl asks for are loaded
// here first and kept open.
iconv_t g_keptConverters[4];

void loadConvertersOnce() {
    static const bool loaded = [] {
        const char* const from[] = {"CP1252", "CP949", "UTF-16LE", "CP1250"};
        for (std::size_t i = 0; i < 4; ++i)
            g_keptConverters[i] = iconv_open("UTF-8", from[i]);
        return true;
    }();
    (void)loaded;
}

// Runs childMain in a child process; the bytes it wrote, or false when it failed.
bool runIsolated(const std::string& path, int sheet, std::string& result) {
    loadConvertersOnce();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        std::signal(SIGPIPE, SIG_IGN);
        // What a broken file makes the library say (or a sanitizer report) is no
        // message for the user.
        const int devNull = ::open("/dev/null", O_WRONLY);
        if (devNull >= 0)
            dup2(devNull, STDERR_FILENO);
        childMain(path, sheet, fds[1]);
        _exit(2);
    }
    close(fds[1]);
    result.clear();
    bool stuck = false;
    char buf[1 << 16];
    while (true) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, kQuietSeconds * 1000);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            stuck = true;
            break;
        }
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        result.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (stuck)
        kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return !stuck && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class XlsReader final : public WorkbookReader {
public:
    explicit XlsReader(std::string path) : m_path(std::move(path)) {}

    bool open() {
        std::string data;
        if (!runIsolated(m_path, -1, data))
            return false;
        Reader in(std::move(data));
        std::uint32_t count = 0, end = 0;
        if (!in.u32(count))
            return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string name;
            if (!in.text(name))
                return false;
            m_names.push_back(cp949::fromUtf8(name).text);
        }
        return in.u32(end) && end == kEndOfCells && !m_names.empty();
    }

    const std::vector<std::string>& sheetNames() const override { return m_names; }

    bool readSheet(int index, CellSink& sink) override {
        if (index < 0 || index >= static_cast<int>(m_names.size()))
            return false;
        std::string data;
        if (!runIsolated(m_path, index, data))
            return false;
        Reader in(std::move(data));
        std::vector<std::pair<std::pair<int, int>, std::string>> cells;
        while (true) {
            std::uint32_t row = 0, column = 0;
            if (!in.u32(row))
                return false;
            if (row == kEndOfCells)
                break;
            std::string text;
            if (!in.u32(column) || !in.text(text) || row >= static_cast<std::uint32_t>(kMaxSheetRows) ||
                column >= static_cast<std::uint32_t>(kMaxSheetColumns))
                return false;
            cells.emplace_back(std::pair{static_cast<int>(row), static_cast<int>(column)}, std::move(text));
        }
        for (auto& [at, text] : cells)
            sink.cell(at.first, at.second, cp949::fromUtf8(text).text);
        return true;
    }

private:
    std::string m_path;
    std::vector<std::string> m_names;
};

} // namespace

std::unique_ptr<WorkbookReader> openXls(const std::string& path) {
    auto reader = std::make_unique<XlsReader>(path);
    if (!reader->open())
        return nullptr;
    return reader;
}

} // namespace qb
