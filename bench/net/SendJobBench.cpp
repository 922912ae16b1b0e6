// A million SMS records sent by the client's send job to a plain reader on
// loopback that drains its socket (the stand-in service's SQLite would set the
// pace otherwise), next to a plain loop that writes the same bytes, one send per
// record, to the same kind of socket and reader in the same run, and the same loop
// sending 64 records at a time, as the job does with records encoded ahead. The second run
// keeps the job's journal on disk (bench/net's build folder), as the client and
// qbsend do: the queue is written while the preview is read (journal_written_ms,
// outside the job's time, as in the client), every write-ahead mark within it.
#include "BenchSupport.h"
#include "app/ServiceConfig.h"
#include "common/LoginState.h"
#include "common/Notifier.h"
#include "common/Progress.h"
#include "net/MessageRecord.h"
#include "net/Packets.h"
#include "send/JobJournal.h"
#include "send/SendBatch.h"
#include "send/SendJob.h"
#include "send/SendJobHost.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace qb;
using namespace qb::bench;
using Clock = std::chrono::steady_clock;

constexpr int kRecords = 1000000;
const char* const kSendTime = "2016-09-10 09:05:07";

class NoHost : public SendJobHost {
public:
    void sendRunningChanged(bool) override {}
    void refreshBalance() override {}
};

// The last record handed over: the end of the job's own work.
class FinishLine : public Progress {
public:
    std::int64_t maximum = 0;
    Clock::time_point reached;
    void setRange(std::int64_t, std::int64_t hi) override { maximum = hi; }
    void setValue(std::int64_t v) override {
        if (v == maximum && v > 0)
            reached = Clock::now();
    }
};

// Accepts connections one after the other: reads the send check, answers it,
// then reads everything until the client closes.
class DrainingReader {
public:
    DrainingReader() {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(m_listen, 4) != 0)
            throw std::runtime_error("cannot listen");
        socklen_t len = sizeof a;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~DrainingReader() {
        ::shutdown(m_listen, SHUT_RDWR);
        ::close(m_listen);
        m_thread.join();
    }
    int port() const { return m_port; }
    long long bytes() const { return m_bytes.load(); }

private:
    void run() {
        std::string buffer(1 << 18, '\0');
        for (;;) {
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                return;
            std::size_t got = 0;
            while (got < packet::kSendCheckSize) {
                const ssize_t n = ::recv(fd, buffer.data() + got, packet::kSendCheckSize - got, 0);
                if (n <= 0)
                    break;
                got += static_cast<std::size_t>(n);
            }
            const std::string ack = packet::encodeSendCheckAck(0, "SMS", kSendTime, "1");
            [[maybe_unused]] const ssize_t w = ::send(fd, ack.data(), ack.size(), MSG_NOSIGNAL);
            long long total = 0;
            for (ssize_t n; (n = ::recv(fd, buffer.data(), buffer.size(), 0)) > 0;)
                total += n;
            m_bytes = total;
            ::close(fd);
        }
    }

    int m_listen = -1;
    int m_port = 0;
    std::thread m_thread;
    std::atomic<long long> m_bytes{0};
};

LoginState loginState() {
    LoginState s;
    s.loggedIn = true;
    s.userId = "user01";
    s.userNumber = "123456789";
    s.userTag = "TAG-01";
    return s;
}

void fill(SendQueue& queue, long long& batchBytes, const LoginState& login) {
    queue.clear();
    queue.reserve(kRecords, 80);
    batchBytes = 0;
    SendRecord r;
    r.callbackNumber = "0212345678";
    r.body = "Quillbank2 bench: an SMS of a usual length.";
    r.displayBody = r.body;
    r.reservation = immediateReservation();
    for (int i = 0; i < kRecords; ++i) {
        r.number = "010" + std::to_string(10000000 + i);
        queue.push_back(r);
        batchBytes += estimateRecordBytes(MessageKind::Sms, r, login, {}, 0);
    }
}

// Peak resident memory since the last reset, in MiB.
// One send per span of `ends` (a record each, or a run of them) over a non-blocking
// socket, waiting in poll when it is full.
double plainLoop(int port, const std::string& bytes, const std::vector<std::size_t>& ends) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 && errno != EINPROGRESS)
        throw std::runtime_error("plain loop: cannot connect");
    pollfd p{fd, POLLOUT, 0};
    ::poll(&p, 1, -1);
    const std::string check = packet::encodeSendCheck(MessageKind::Sms, "user01", kRecords, 1);
    [[maybe_unused]] ssize_t n = ::send(fd, check.data(), check.size(), MSG_NOSIGNAL);
    char ack[packet::kSendCheckAckSize];
    p = {fd, POLLIN, 0};
    for (std::size_t got = 0; got < sizeof ack;) {
        ::poll(&p, 1, -1);
        const ssize_t r = ::recv(fd, ack + got, sizeof ack - got, 0);
        if (r <= 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    const auto start = Clock::now();
    std::size_t begin = 0;
    for (const std::size_t end : ends) {
        while (begin < end) {
            const ssize_t r = ::send(fd, bytes.data() + begin, end - begin, MSG_NOSIGNAL);
            if (r > 0) {
                begin += static_cast<std::size_t>(r);
            } else if (errno == EAGAIN) {
                p = {fd, POLLOUT, 0};
                ::poll(&p, 1, -1);
            } else {
                throw std::runtime_error("plain loop: send failed");
            }
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ::close(fd);
    return seconds;
}

void BM_MillionSmsRecords(benchmark::State& state) {
    DrainingReader reader;
    QuietNotifier notifier;
    FinishLine progress;
    LoginState login = loginState();
    NoHost host;
    ServiceConfig config;
    config.host = "127.0.0.1";
    config.sendPort = reader.port();

    const bool journaled = state.range(0) != 0;
    const std::string journalFolder = std::filesystem::current_path().string() + "/bench-sendjob";
    double bestJob = 1e9, bestPlain = 1e9, bestRuns = 1e9, peak = 0, growth = 0, queueMiB = 0, journalMiB = 0;
    for (auto _ : state) {
        SendBatch batch;
        fill(batch.queue, batch.bytes, login);
        queueMiB = static_cast<double>(batch.queue.arenaBytes()) / (1 << 20);
        resetPeak();
        const double before = peakMiB();
        SendJob job(login, notifier, progress, host, config);
        double headMs = 0;
        if (journaled) {
            // As in the client: the journal is written while the user reads the
            // preview, and "전송하기" comes after that.
            job.setJournalFolder(journalFolder);
            const auto prepared = Clock::now();
            job.prepareJournal(batch);
            job.waitForPreparedJournal();
            headMs = std::chrono::duration<double, std::milli>(Clock::now() - prepared).count();
        }
        const auto start = Clock::now();
        job.take(std::move(batch));
        job.startSend();
        while (job.phase() != SendJob::Phase::Draining && job.running())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (notifier.errors || !job.running())
            state.SkipWithError("the job failed");
        const double jobSeconds = std::chrono::duration<double>(progress.reached - start).count();
        while (job.running())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        peak = std::max(peak, peakMiB());
        growth = std::max(growth, peakMiB() - before);
        const long long sent = job.stats().bytesWritten;
        if (journaled) {
            journalMiB = static_cast<double>(std::filesystem::file_size(job.journalPath())) / (1 << 20);
            JobJournal::remove(job.journalPath());
        }
        if (journaled)
            state.counters["journal_written_ms"] = headMs;
        state.counters["would_blocks"] = static_cast<double>(job.stats().wouldBlocks);
        state.counters["yields"] = static_cast<double>(job.stats().yields);

        // The same bytes, built before the clock starts.
        login.sendCode = "SMS";
        login.sendTime = kSendTime;
        login.sendTag = "1";
        SendBatch plain;
        fill(plain.queue, plain.bytes, login);
        std::string bytes;
        std::vector<std::size_t> ends;
        ends.reserve(kRecords);
        bytes.reserve(static_cast<std::size_t>(sent));
        for (std::size_t i = 0; i < plain.queue.size(); ++i) {
            appendMessageRecord(bytes, MessageKind::Sms, plain.queue.at(i), login, plain.pictures(), "");
            ends.push_back(bytes.size());
        }
        plain.queue.clear();
        if (static_cast<long long>(bytes.size()) != sent)
            state.SkipWithError("the plain loop's bytes differ from the job's");
        const double plainSeconds = plainLoop(reader.port(), bytes, ends);
        // The job offers up to 64 records encoded ahead in one send: the same loop
        // with sends of 64 records is what the job's way of writing can reach.
        std::vector<std::size_t> runEnds;
        for (std::size_t i = 63; i < ends.size(); i += 64)
            runEnds.push_back(ends[i]);
        if (runEnds.empty() || runEnds.back() != ends.back())
            runEnds.push_back(ends.back());
        bestRuns = std::min(bestRuns, plainLoop(reader.port(), bytes, runEnds));

        state.SetIterationTime(jobSeconds);
        bestJob = std::min(bestJob, jobSeconds);
        bestPlain = std::min(bestPlain, plainSeconds);
    }
    state.counters["job_records_per_s"] = kRecords / bestJob;
    state.counters["plain_records_per_s"] = kRecords / bestPlain;
    state.counters["job_to_plain"] = bestPlain / bestJob;
    state.counters["plain_runs_records_per_s"] = kRecords / bestRuns;
    state.counters["job_to_plain_runs"] = bestRuns / bestJob;
    // Resident peak while the job ran (the filled queue included), what the job
    // added to it, and the queue's own size.
    state.counters["job_peak_rss_MiB"] = peak;
    state.counters["job_growth_MiB"] = growth;
    state.counters["queue_MiB"] = queueMiB;
    if (journaled)
        state.counters["journal_MiB"] = journalMiB;
}
BENCHMARK(BM_MillionSmsRecords)
    ->ArgName("journal")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
