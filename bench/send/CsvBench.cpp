// The CSV choice against the plain comma at ten million rows: the same CP949 file,
// one row in ten with a quoted field holding a comma, loaded into the send form's
// table by each path in a process of its own, taken in turn in the same run. The
// goal: CSV within 1.3 times the plain path's time and peak memory.
#include "BenchSupport.h"
#include "common/Cp949.h"
#include "send/SendForm.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace qb;
using namespace qb::bench;

constexpr int kRows = 10000000;

struct Data {
    std::string dir, path;
    Data() {
        char templ[] = "/tmp/qbcsvbench.XXXXXX";
        dir = mkdtemp(templ);
        path = dir + "/recipients.csv";
        std::ofstream out(path, std::ios::binary);
        const std::string customer = ko("고객");
        char buf[64];
        for (int i = 0; i < kRows; ++i) {
            std::snprintf(buf, sizeof buf, "010%08d,", i);
            out << buf << customer << i;
            if (i % 10 == 0)
                out << ",\"memo, " << i % 1000 << "\"\r\n";
            else
                out << ",memo " << i % 1000 << "\r\n";
        }
    }
    ~Data() { std::filesystem::remove_all(dir); }
};

struct Load {
    double seconds = 0;
    double peakMiB = 0;
};

// Loads the file with the delimiter field in a child process: its time and peak memory.
Load loadInChild(const std::string& path, const char* field) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {-1, -1};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        resetPeak();
        QuietNotifier notifier;
        NoProgress progress;
        LoginState login;
        NoFormDialogHost dialogs;
        NoEditorWindowHost editors;
        SendForm form(notifier, progress, login, RejectTable::inWorkingFolder("/nonexistent"), dialogs,
                      editors);
        form.state().delimiterField = field;
        const auto start = std::chrono::steady_clock::now();
        form.imports().importTextPaths({path});
        Load load{std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), peakMiB()};
        if (form.state().table.dataRowCount() != kRows || notifier.errors != 0)
            load = {-1, -1};
        const bool written = ::write(fds[1], &load, sizeof load) == static_cast<ssize_t>(sizeof load);
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    Load load{-1, -1};
    if (::read(fds[0], &load, sizeof load) != static_cast<ssize_t>(sizeof load))
        load = {-1, -1};
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return load;
}

void BM_CsvAgainstPlain10M(benchmark::State& state) {
    static Data data;
    Load plain{1e9, 0}, csv{1e9, 0};
    for (auto _ : state) {
        const Load p = loadInChild(data.path, ","), c = loadInChild(data.path, "CSV");
        if (p.seconds < 0 || c.seconds < 0) {
            state.SkipWithError("a load failed");
            return;
        }
        // Best times, taken in turn: the machine is shared. Memory does not vary.
        plain = {std::min(plain.seconds, p.seconds), std::max(plain.peakMiB, p.peakMiB)};
        csv = {std::min(csv.seconds, c.seconds), std::max(csv.peakMiB, c.peakMiB)};
    }
    state.counters["plain_ms"] = plain.seconds * 1000;
    state.counters["csv_ms"] = csv.seconds * 1000;
    state.counters["plain_peak_MiB"] = plain.peakMiB;
    state.counters["csv_peak_MiB"] = csv.peakMiB;
    state.counters["time_ratio"] = csv.seconds / plain.seconds;
    state.counters["memory_ratio"] = csv.peakMiB / plain.peakMiB;
}
BENCHMARK(BM_CsvAgainstPlain10M)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
