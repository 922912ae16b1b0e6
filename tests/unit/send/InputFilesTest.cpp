// Only regular files are read as recipients, reject lists and workbooks: a FIFO
// would wait for a writer and a device such as /dev/zero never ends.
#include "FormTestSupport.h"
#include "import/ExcelAutomation.h"
#include "send/RejectList.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace qb;
using namespace qb::test;

namespace {

// A FIFO with a writer waiting on the other end. Whatever the reader does, the
// writer is released when the FIFO goes: a reader that opens it gets one line.
class Fifo {
public:
    explicit Fifo(const std::string& path) : m_path(path) {
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        m_writer = std::thread([this] {
            // A reader that only looks at what the path is may close it before
            // the line is written: the write fails, it does not kill the test.
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
            const int fd = ::open(m_path.c_str(), O_WRONLY);
            if (fd >= 0) {
                const std::string line = "01012345678\n";
                (void)!::write(fd, line.data(), line.size());
                ::close(fd);
            }
        });
    }
    ~Fifo() {
        // Gives the writer a reader if nobody opened the FIFO.
        const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK);
        m_writer.join();
        if (fd >= 0)
            ::close(fd);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::thread m_writer;
};

} // namespace

TEST(InputFiles, TextImportRefusesWhatIsNoRegularFile) {
    FormFixture f;
    Fifo fifo(f.dir.file("numbers.txt"));
    f.state().delimiterField = ",";
    f.form.imports().importTextPaths({fifo.path(), "/dev/null", f.dir.mkdir("folder.txt")});
    EXPECT_EQ(f.notifier.shown(), (std::vector<Shown>{errorBox("화일경로가 존재하지 않습니다."),
                                                      errorBox("화일경로가 존재하지 않습니다."),
                                                      errorBox("화일경로가 존재하지 않습니다."),
                                                      errorBox("화일포맷이 잘못되었습니다. 확인바랍니다.")}));
}

TEST(InputFiles, WorkbookAndRejectListMustBeRegularFiles) {
    TempDir dir;
    Fifo fifo(dir.file("book.xlsx"));
    for (const std::string& path : {fifo.path(), std::string("/dev/null")}) {
        FormFixture f;
        EXPECT_FALSE(f.form.imports().loadWorkbookSheet(path, 1)) << path;
        EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{errorBox("엑셀화일을 열수 없습니다.")}) << path;
    }

    FormFixture f;
    f.writeRejectIni({"TRUE,null,/dev/null"});
    EXPECT_EQ(countRejectNumbersForTitle(RejectTable::inWorkingFolder(f.dir.path()), f.notifier), 0);
    EXPECT_EQ(f.notifier.texts(),
              std::vector<std::string>{"/dev/null\n수신거부 화일이 존재하지 않습니다. 확인바랍니다."});
}
