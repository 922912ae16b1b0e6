#pragma once

#include <string>
#include <string_view>

// The program's one diagnostic trace: a time-stamped line appended to
// LOG/YYYY_MM_DD_SYS.log under the working folder, a file per local date.
// Only the login connection writes to it.
namespace qb {

class SystemLog {
public:
    // The folder is fixed here, so the log never follows a later change of the
    // current directory.
    explicit SystemLog(std::string workingFolder);

    // Appends "YYYY-MM-DD HH:MM:SS text" and CR LF. The file is opened and closed
    // for every line, so each line is on disk when this returns. A missing LOG
    // folder (it is never created), a full disk or a locked file make it a silent
    // no-op; a line is written whole or not at all.
    void write(std::string_view text) const;

    // The file a line written now would go to.
    std::string currentFilePath() const;

private:
    std::string m_folder;
};

} // namespace qb
