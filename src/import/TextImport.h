#pragma once

#include "common/Notifier.h"
#include "common/Progress.h"
#include "import/ColumnChoice.h"
#include "import/RecipientTable.h"
#include "import/TextEncoding.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Delimited text files into the recipient table.
namespace qb {

inline constexpr std::size_t kImportLineBytes = 1023;

// "구분자없음", ",", ":", ";", "|", "Tab", "CSV" (CP949). "CSV" came last so that the
// other items keep their indexes.
const std::vector<std::string>& delimiterItems();
// The separator bytes for a delimiter field: one TAB for exactly "Tab", a comma for
// a CSV field, otherwise every byte of the field. Empty means single-column import.
std::string delimiterSet(std::string_view field);
// The field asks for quoted CSV records: exactly "CSV".
bool isCsvField(std::string_view field);

// What reading one file gave.
struct TextFileRead {
    FileEncoding encoding;
    // Characters of a UTF-8 or UTF-16 file that CP949 lacks, written as '?'.
    std::size_t unmappable = 0;
    // Why the file was refused (CP949); nothing of it was taken.
    std::string refusal;
};

// The lines of the chosen files, in file order and line order, until the table is
// filled (the ImportLine list). Each line is at most 1023 bytes; it points into the
// buffer of its file, which the list owns. Lines are found again as they are read
// rather than kept in a list: ten million lines would cost 160 MB of views.
// For CSV the pieces are records instead: a record may span lines inside quotes, and
// one longer than 1023 bytes refuses its file rather than being cut.
class ImportLines {
public:
    explicit ImportLines(bool csvRecords = false) : m_csv(csvRecords) {}
    bool csv() const { return m_csv; }
    void clear();
    bool empty() const { return m_count == 0; }
    std::size_t size() const { return m_count; }
    // The bytes of all files, line breaks included.
    std::size_t bytes() const { return m_bytes; }
    // The lines (records for CSV; from 0, ascending) holding a '?' written for a
    // character that has no CP949 form.
    const std::vector<std::size_t>& replacedLines() const { return m_replacedLines; }

    // Takes a file's bytes as text: a UTF-8 or UTF-16 file (see findEncoding) is
    // converted to CP949, CR LF reads as LF, and lines longer than 1023 bytes are cut
    // into pieces (never inside a two-byte character). CSV records keep the line
    // breaks inside their quotes as the file has them.
    TextFileRead appendFile(std::string content, TextEncoding choice = TextEncoding::Auto,
                            Progress* progress = nullptr);
    // The same for a file read in two parts, `second` starting just after a line
    // break (or empty): as appendFile(first + second), without joining them.
    TextFileRead appendFile(std::string first, std::string second, TextEncoding choice = TextEncoding::Auto,
                            Progress* progress = nullptr);

private:
    // Where a cursor stands.
    struct Place {
        std::size_t buffer = 0;
        std::size_t pos = 0;
        std::string_view rest; // what is left of a line longer than 1023 bytes
        bool inLine = false;
    };

public:
    // Reads the lines in order, one at a time.
    class Cursor {
    public:
        explicit Cursor(const ImportLines& lines) : m_lines(lines) {}
        // From line `first` (from 0) on, found from the place noted nearest before it,
        // so that each block of a big file can be read on its own thread.
        Cursor(const ImportLines& lines, std::size_t first);
        // False after the last line.
        bool next(std::string_view& line);

    private:
        const ImportLines& m_lines;
        Place m_at;
    };

private:
    static constexpr std::size_t kLinesPerMark = 8192;

    struct NewFile;
    // A part of a file being appended, as the Cursor will find it: marks where its
    // lines (records) start, notes those with a replaced character, counts them.
    void noteLines(NewFile& file, std::size_t part);
    // False, with `refusal`, at a record that is broken or longer than 1023 bytes.
    bool noteRecords(NewFile& file, std::size_t part, std::string& refusal);

    std::deque<std::string> m_buffers; // elements never move, so the views stay valid
    std::vector<Place> m_marks;        // where line k * kLinesPerMark starts
    std::size_t m_count = 0;
    std::size_t m_bytes = 0;
    bool m_csv = false;
    std::vector<std::size_t> m_replacedLines;
};

enum class ReadResult { Read, NotOpened, Refused };

// Appends the lines of one file in the chosen encoding. NotOpened (after
// "화일경로가 존재하지 않습니다.") when it cannot be opened, Refused (after the reason,
// naming the file) when its encodings mix or its CSV is broken; tells the user when
// characters were replaced. `used`, when given, is what the file was read as.
ReadResult readTextFile(const std::string& path, ImportLines& lines, TextEncoding choice, Notifier& notifier,
                        Progress& progress, FileEncoding* used = nullptr);

// readTextFile with the encoding found; false unless it was read.
bool readLines(const std::string& path, ImportLines& lines, Notifier& notifier, Progress& progress);

// Told the first lines as the table would split them, before any row is stored; true
// takes the first line as the header row: it is no data row, and the rows after it
// are numbered from 1.
using HeaderRowChoice = std::function<bool(const ColumnSample&)>;

// Fills the table from the lines (the table must have been reset). Column mode when
// `separators` is not empty; CSV fields when the lines are CSV records. False (after its message) when a
// column-mode file has no usable first line. On success `rows` is the number of data rows.
bool fillTableFromLines(RecipientTable& table, ImportLines& lines, std::string_view separators,
                        Notifier& notifier, int& rows, const HeaderRowChoice& headerRow = {});

} // namespace qb
