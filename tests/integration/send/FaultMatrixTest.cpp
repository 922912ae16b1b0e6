// Jobs cut short at seeded random points against qb-service as a real process,
// then resumed as docs/send-transmission.md says: afterwards the service must
// hold every recipient exactly once. Rows add a second fault that strikes the
// resume, a full disk (at the start, or under the resume's journal and followed
// by a kill), and a journal damaged after the fault; qbsend's exit code must say
// whether the rest is pending. The normal suite runs one short trial per row;
// scripts/fault-matrix.sh runs many long ones (QB_FAULT_TRIALS,
// QB_FAULT_RECORDS, QB_FAULT_SEED).
#include "Database.h"
#include "SendStore.h"
#include "send/JobJournal.h"
#include "support/ChildProcess.h"
#include "support/ServiceProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <thread>

using namespace qb;
using namespace std::chrono_literals;

namespace {

enum class Fault { None, ServiceKilled, ServiceStopped, SenderKilled, ConnectionReset, ReaderStalled };
enum class Damage { None, LastMarkFlipped, TailCut, OlderCopy };
// Where the journal cannot grow: from the job's start (it is never written), or
// from the first resume on (it stops there, and its fault strikes then).
enum class DiskFull { No, AtTheStart, InTheResume };

struct FaultRow {
    const char* name;
    Fault fault;                     // strikes the job
    Fault resumeFault = Fault::None; // strikes the first resume
    DiskFull diskFull = DiskFull::No;
    // Done to the journal after the first fault; an older copy is put back after
    // the resume it struck.
    Damage damage = Damage::None;
};

void PrintTo(const FaultRow& row, std::ostream* os) {
    *os << row.name;
}

// qbsend's exit codes.
constexpr int kWhole = 0, kNothingPending = 1, kNeedsChoice = 3, kPending = 4;
const char* const kDiskFull = "전송 기록을 저장할 수 없어 전송을 중단합니다. 디스크 공간을 확인해 주세요.";
const char* const kUser = "user01";

int envNumber(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

std::string number(int i) {
    return "010" + std::to_string(20000000 + i);
}

std::size_t checksIn(const std::string& log) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = log.find(": send check kind", at)) != std::string::npos; ++at)
        ++n;
    return n;
}

// True once the service has logged `n` send checks since its start; false when
// `sender` ends first.
bool waitForChecks(const test::ServiceProcess& service, std::size_t n, const test::ChildProcess& sender) {
    for (const auto end = std::chrono::steady_clock::now() + 60s; std::chrono::steady_clock::now() < end;) {
        if (checksIn(service.log()) >= n)
            return true;
        if (sender.ended(10ms))
            return checksIn(service.log()) >= n;
    }
    return false;
}

// The journal's frames, to damage it where a crash or a restore would: a magic
// line, then entries of type, size (32 bits, little-endian), payload and CRC-32.
constexpr std::size_t kMagicBytes = 11;
constexpr char kSegmentEntry = 3, kMarkEntry = 4;

struct Frame {
    char type;
    std::size_t at, payload; // where the frame starts; its payload's size
};

std::vector<Frame> framesOf(const std::string& bytes) {
    std::vector<Frame> frames;
    for (std::size_t at = kMagicBytes; at + 9 <= bytes.size();) {
        std::uint32_t size = 0;
        for (int i = 0; i < 4; ++i)
            size |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1 + i])) << (8 * i);
        if (at + 9 + size > bytes.size())
            break; // torn
        frames.push_back({bytes[at], at, size});
        at += 9 + size;
    }
    return frames;
}

std::optional<Frame> lastMark(const std::string& bytes) {
    const std::vector<Frame> frames = framesOf(bytes);
    const auto mark =
        std::find_if(frames.rbegin(), frames.rend(), [](const Frame& f) { return f.type == kMarkEntry; });
    return mark == frames.rend() ? std::nullopt : std::optional<Frame>(*mark);
}

// Room for the first few entries a resume appends (what the service took, its
// segment, marks), so that a random one of them fails, in part or whole, and
// the second mark at the latest: it is needed while records are still to be
// written. The segment is the size of the last one, give or take a digit.
std::uint64_t roomInJournal(const std::string& bytes, std::mt19937& random) {
    const std::vector<Frame> frames = framesOf(bytes);
    const auto segment =
        std::find_if(frames.rbegin(), frames.rend(), [](const Frame& f) { return f.type == kSegmentEntry; });
    // Without one, the segment's fields without their texts.
    const std::uint64_t segmentBytes = 9 + (segment == frames.rend() ? 32 : segment->payload);
    constexpr std::uint64_t kMarkBytes = 17;
    return std::uniform_int_distribution<std::uint64_t>(0, segmentBytes + kMarkBytes + 8)(random);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<long>(bytes.size()));
}

struct Tally {
    long long twice = 0, missing = 0, strangers = 0;
};

// What the service holds against the `records` recipients of the list.
Tally tally(const std::vector<std::string>& numbers, int records) {
    Tally t;
    std::vector<int> seen(static_cast<std::size_t>(records), 0);
    for (const std::string& n : numbers) {
        const long long i = n.size() == 11 ? std::atoll(n.c_str() + 3) - 20000000 : -1;
        if (i < 0 || i >= records)
            ++t.strangers;
        else
            ++seen[static_cast<std::size_t>(i)];
    }
    for (const int c : seen) {
        t.missing += c == 0;
        t.twice += std::max(0, c - 1);
    }
    return t;
}

class FaultMatrix : public ::testing::TestWithParam<FaultRow> {
protected:
    void runTrial(int records, std::mt19937& random);

    std::vector<std::string> senderArgs(std::vector<std::string> more) const {
        std::vector<std::string> args{"--workdir", m_dir->path(), "--id", kUser, "--password", "pass01",
                                      // A stalled reader ends the job well before anything else
                                      // waits; a job the socket buffers took whole waits for its
                                      // result instead.
                                      "--write-timeout", "2", "--reply-timeout", "20", "--wait", "10"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    std::string folder() const { return JobJournal::folderOf(m_dir->path()); }
    std::vector<std::string> pending() const { return JobJournal::pending(folder(), kUser); }
    // Every journal file, also one a running qbsend holds.
    std::vector<std::string> journalFiles() const;

    void strike(Fault fault, test::ChildProcess& sender);
    // After qbsend ended by itself, its exit code says whether the rest is pending.
    void expectExitSaysWhatIsLeft(test::ChildProcess& sender, const char* which);
    void damage(Damage damage, const std::string& path, std::mt19937& random);
    void expectNamesTheJournals(test::ChildProcess& resume, const std::vector<std::string>& journals);
    // A resume that a fault strikes while it sends (or once a full disk stopped
    // it); none when it had nothing to send.
    void resumeStruckBy(Fault fault, std::chrono::milliseconds delay, bool diskFull, std::mt19937& random);
    // The documented way on, with a choice where it asks for one. True when the
    // records it could not be sure of were taken as sent.
    bool resumeToTheEnd(bool skipUncertain);

    std::optional<test::TempDir> m_dir;
    std::optional<test::ServiceProcess> m_service;
};

std::vector<std::string> FaultMatrix::journalFiles() const {
    std::vector<std::string> paths;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder(), ec))
        if (e.path().extension() == ".qbj")
            paths.push_back(e.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

void FaultMatrix::strike(Fault fault, test::ChildProcess& sender) {
    switch (fault) {
    case Fault::None:
        break;
    case Fault::ServiceKilled:
    case Fault::ServiceStopped:
        m_service->stop(fault == Fault::ServiceKilled ? SIGKILL : SIGTERM);
        sender.wait();
        m_service->start();
        break;
    case Fault::SenderKilled:
        sender.signal(SIGKILL);
        sender.wait();
        break;
    case Fault::ConnectionReset:
        sender.wait();
        break;
    case Fault::ReaderStalled:
        m_service->signal(SIGSTOP);
        sender.wait();
        m_service->signal(SIGCONT);
        break;
    }
}

void FaultMatrix::expectExitSaysWhatIsLeft(test::ChildProcess& sender, const char* which) {
    const int code = sender.wait();
    const bool left = !pending().empty();
    // Nothing pending: the whole job is with the service, or nothing was handed over.
    EXPECT_TRUE(left ? code == kPending : code == kWhole || code == kNothingPending)
        << which << (left ? ": the rest is pending\n" : ": nothing is pending\n") << sender.out()
        << sender.err();
}

void FaultMatrix::damage(Damage damage, const std::string& path, std::mt19937& random) {
    std::string bytes = test::readFile(path);
    switch (damage) {
    case Damage::LastMarkFlipped: {
        const std::optional<Frame> mark = lastMark(bytes);
        ASSERT_TRUE(mark) << "the journal holds no mark";
        const auto at = std::uniform_int_distribution<std::size_t>(0, mark->payload - 1)(random);
        bytes[mark->at + 5 + at] = static_cast<char>(bytes[mark->at + 5 + at] ^ 0xFF);
        writeFile(path, bytes);
        break;
    }
    case Damage::TailCut:
        std::filesystem::resize_file(path,
                                     bytes.size() - std::uniform_int_distribution<std::size_t>(1, 8)(random));
        break;
    case Damage::None:
    case Damage::OlderCopy:
        break;
    }
}

void FaultMatrix::expectNamesTheJournals(test::ChildProcess& resume,
                                         const std::vector<std::string>& journals) {
    resume.wait();
    for (const std::string& path : journals) {
        const std::string name = std::filesystem::path(path).filename().string();
        EXPECT_TRUE(resume.out().find(name) != std::string::npos)
            << "the resume names the journal it resumes, " << name << "\n"
            << resume.out();
    }
}

void FaultMatrix::resumeStruckBy(Fault fault, std::chrono::milliseconds delay, bool diskFull,
                                 std::mt19937& random) {
    const std::vector<std::string> journals = pending();
    ASSERT_EQ(journals.size(), 1u);
    const std::size_t checksBefore = checksIn(m_service->log());
    // Records it cannot be sure of are sent again here: the fault is what this run is for.
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{"--resume"}, std::vector<std::string>{"--resume", "--resend-uncertain"}}) {
        test::ChildProcess resume(QBSEND_PATH, senderArgs(extra));
        if (diskFull) {
            const std::string bytes = test::readFile(journals.front());
            resume.limitFileSize(bytes.size() + roomInJournal(bytes, random));
        }
        resume.start();
        const bool struck = diskFull ? resume.waitForOutput(kDiskFull, 60s)
                                     : waitForChecks(*m_service, checksBefore + 1, resume);
        if (struck) {
            if (!diskFull)
                std::this_thread::sleep_for(delay);
            strike(fault, resume);
            if (fault == Fault::SenderKilled)
                return;
        }
        expectNamesTheJournals(resume, journals);
        if (struck || resume.wait() != kNeedsChoice) {
            EXPECT_TRUE(struck || !diskFull) << "the full disk is not reported\n"
                                             << resume.out() << resume.err();
            expectExitSaysWhatIsLeft(resume,
                                     struck ? "the resume the fault struck" : "a resume that sent nothing");
            return;
        }
    }
}

bool FaultMatrix::resumeToTheEnd(bool skipUncertain) {
    const std::vector<std::string> journals = pending();
    std::optional<test::ChildProcess> resume;
    resume.emplace(QBSEND_PATH, senderArgs({"--resume"}));
    resume->start();
    expectNamesTheJournals(*resume, journals);
    const bool choice = resume->wait() == kNeedsChoice;
    if (choice) {
        resume.emplace(QBSEND_PATH,
                       senderArgs({"--resume", skipUncertain ? "--skip-uncertain" : "--resend-uncertain"}));
        resume->start();
    }
    EXPECT_EQ(resume->wait(), kWhole) << resume->out() << resume->err();
    EXPECT_TRUE(pending().empty());
    return choice && skipUncertain;
}

void FaultMatrix::runTrial(int records, std::mt19937& random) {
    const FaultRow& row = GetParam();
    // The fault strikes this long after the send check, while the slow reader
    // takes the job (about 3 MB/s).
    const auto delay = std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 300)(random));
    const auto resumeDelay = std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 150)(random));
    SCOPED_TRACE("fault after " + std::to_string(delay.count()) + " ms, in the resume after " +
                 std::to_string(resumeDelay.count()) + " ms");
    m_dir.emplace();
    std::string list;
    for (int i = 0; i < records; ++i)
        list += number(i) + "\r\n";
    m_dir->write("list.txt", list);
    std::vector<std::string> args{"--add-account", kUser, "pass01", "--send-slow"};
    if (row.fault == Fault::ConnectionReset)
        args.insert(args.end(), {"--send-drop-after",
                                 std::to_string(std::uniform_int_distribution<int>(1, records - 1)(random))});
    m_service.emplace(QB_SERVICE_PATH, m_dir->file("service.db"), args);
    m_service->start();
    m_service->writeServiceIni(m_dir->path());

    const std::vector<std::string> jobArgs =
        senderArgs({"--text", m_dir->file("list.txt"), "--number-column", "1", "--callback", "0212345678",
                    "--message", "안내 문자"});
    test::ChildProcess job(QBSEND_PATH, jobArgs);
    // Far less than the journal of the records takes (some twenty bytes each).
    if (row.diskFull == DiskFull::AtTheStart)
        job.limitFileSize(static_cast<std::uint64_t>(records));
    job.start();
    if (row.diskFull == DiskFull::AtTheStart) {
        EXPECT_TRUE(job.waitForOutput(kDiskFull, 60s)) << job.out() << job.err();
    } else {
        ASSERT_TRUE(waitForChecks(*m_service, 1, job)) << m_service->log() << job.out() << job.err();
        if (row.damage == Damage::LastMarkFlipped) {
            // A mark to damage: the first one goes before any record.
            while (!job.ended(10ms) && !lastMark(test::readFile(journalFiles().at(0)))) {
            }
        }
        std::this_thread::sleep_for(delay);
    }
    strike(row.fault, job);
    if (row.fault != Fault::SenderKilled)
        expectExitSaysWhatIsLeft(job, "the job the fault struck");
    if (row.diskFull == DiskFull::AtTheStart) {
        // Nothing was handed over and nothing is kept: the same command again, with room.
        EXPECT_EQ(job.wait(), kNothingPending);
        test::ChildProcess again(QBSEND_PATH, jobArgs);
        again.start();
        EXPECT_EQ(again.wait(), kWhole) << again.out() << again.err();
    }

    std::string olderCopy, journal;
    if (row.damage != Damage::None) {
        const std::vector<std::string> journals = pending();
        ASSERT_EQ(journals.size(), 1u) << "the job left no journal to damage";
        journal = journals.front();
        olderCopy = test::readFile(journal);
        damage(row.damage, journal, random);
    }
    if (row.resumeFault != Fault::None)
        resumeStruckBy(row.resumeFault, resumeDelay, row.diskFull == DiskFull::InTheResume, random);
    if (row.damage == Damage::OlderCopy)
        writeFile(journal, olderCopy);
    // An older journal does not know what the resume after it sent: the service
    // may hold records it offers again, and those must not be sent twice.
    const bool skipped = resumeToTheEnd(row.damage == Damage::OlderCopy);
    EXPECT_EQ(m_service->stop(SIGTERM), 0);

    qbs::Database db(m_dir->file("service.db"));
    qbs::SendStore store(db);
    std::vector<std::string> numbers;
    for (const qbs::SendJobRow& j : store.jobs(kUser))
        for (const qbs::SendRecordRow& r : store.records(j.id))
            numbers.push_back(r.record.number);
    const Tally t = tally(numbers, records);
    EXPECT_EQ(t.twice, 0) << "recipients stored twice (" << t.missing << " of " << records << " missing)";
    if (!skipped) {
        EXPECT_EQ(t.missing, 0) << "recipients missing (" << t.twice << " stored twice)";
    }
    EXPECT_EQ(t.strangers, 0);
}

TEST_P(FaultMatrix, AfterTheResumeEveryRecipientIsStoredExactlyOnce) {
    const int trials = envNumber("QB_FAULT_TRIALS", 1);
    const int records = envNumber("QB_FAULT_RECORDS", 20000);
    std::mt19937 random(static_cast<unsigned>(envNumber("QB_FAULT_SEED", 20261208)) +
                        static_cast<unsigned>(std::hash<std::string_view>{}(GetParam().name) % 1000));
    for (int trial = 0; trial < trials && !HasFatalFailure(); ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        runTrial(records, random);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultMatrix,
    ::testing::Values(
        FaultRow{"ServiceKilled", Fault::ServiceKilled}, FaultRow{"ServiceStopped", Fault::ServiceStopped},
        FaultRow{"SenderKilled", Fault::SenderKilled}, FaultRow{"ConnectionReset", Fault::ConnectionReset},
        FaultRow{"ReaderStalled", Fault::ReaderStalled},
        FaultRow{
            .name = "ServiceKilledTwice", .fault = Fault::ServiceKilled, .resumeFault = Fault::ServiceKilled},
        FaultRow{.name = "ServiceKilledThenResumeKilled",
                 .fault = Fault::ServiceKilled,
                 .resumeFault = Fault::SenderKilled},
        FaultRow{.name = "DiskFullAtTheStart", .fault = Fault::None, .diskFull = DiskFull::AtTheStart},
        // The service goes first, so that the resume has records left to send.
        FaultRow{.name = "DiskFullThenServiceKilled",
                 .fault = Fault::ServiceKilled,
                 .resumeFault = Fault::ServiceKilled,
                 .diskFull = DiskFull::InTheResume},
        FaultRow{.name = "DiskFullThenSenderKilled",
                 .fault = Fault::ServiceKilled,
                 .resumeFault = Fault::SenderKilled,
                 .diskFull = DiskFull::InTheResume},
        FaultRow{.name = "LastMarkFlipped", .fault = Fault::ServiceKilled, .damage = Damage::LastMarkFlipped},
        FaultRow{.name = "TailCut", .fault = Fault::ServiceKilled, .damage = Damage::TailCut},
        FaultRow{.name = "OlderCopyPutBack",
                 .fault = Fault::ServiceKilled,
                 .resumeFault = Fault::SenderKilled,
                 .damage = Damage::OlderCopy}),
    [](const ::testing::TestParamInfo<FaultRow>& info) { return info.param.name; });

} // namespace
