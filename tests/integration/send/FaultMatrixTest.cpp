// Jobs cut short at seeded random points against qb-service as a real process,
// then resumed as docs/send-transmission.md says: afterwards the service must
// hold every recipient exactly once. The normal suite runs one short trial per
// fault; scripts/fault-matrix.sh runs many long ones (QB_FAULT_TRIALS,
// QB_FAULT_RECORDS, QB_FAULT_SEED).
#include "Database.h"
#include "SendStore.h"
#include "send/JobJournal.h"
#include "support/ServiceProcess.h"
#include "support/TempDir.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <random>
#include <thread>

using namespace qb;
using namespace std::chrono_literals;

namespace {

enum class Fault { ServiceKilled, ServiceStopped, SenderKilled, ConnectionReset, ReaderStalled };

struct FaultRow {
    const char* name;
    Fault fault;
};

void PrintTo(const FaultRow& row, std::ostream* os) {
    *os << row.name;
}

int envNumber(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

std::string number(int i) {
    return "010" + std::to_string(20000000 + i);
}

class FaultMatrix : public ::testing::TestWithParam<FaultRow> {
protected:
    struct Run {
        int exitCode = -1;
        std::string out, err;
    };

    QStringList senderArgs(const test::TempDir& dir) const {
        return {"--workdir", QString::fromStdString(dir.path()), "--id", "user01", "--password", "pass01",
                // A stalled reader ends the job well before anything else waits; a
                // job the socket buffers took whole waits for its result instead.
                "--write-timeout", "2", "--reply-timeout", "20", "--wait", "10"};
    }

    static Run finish(QProcess& p) {
        EXPECT_TRUE(p.waitForFinished(120000)) << "qbsend still runs";
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
    }

    // Every record of every job the service holds, in the order it took them.
    static std::vector<std::string> stored(const std::string& database) {
        qbs::Database db(database);
        qbs::SendStore store(db);
        std::vector<std::string> numbers;
        for (const qbs::SendJobRow& job : store.jobs("user01"))
            for (const qbs::SendRecordRow& r : store.records(job.id))
                numbers.push_back(r.record.number);
        return numbers;
    }
};

TEST_P(FaultMatrix, AfterTheResumeEveryRecipientIsStoredExactlyOnce) {
    const FaultRow& row = GetParam();
    const int trials = envNumber("QB_FAULT_TRIALS", 1);
    const int records = envNumber("QB_FAULT_RECORDS", 20000);
    std::mt19937 random(
        static_cast<unsigned>(envNumber("QB_FAULT_SEED", 20261208) + static_cast<int>(row.fault)));
    for (int trial = 0; trial < trials; ++trial) {
        // The fault strikes this long after the send check, while the slow
        // reader takes the job (about 3 MB/s).
        const auto delay = std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 300)(random));
        SCOPED_TRACE("trial " + std::to_string(trial) + ", fault after " + std::to_string(delay.count()) +
                     " ms");
        test::TempDir dir;
        std::string list;
        for (int i = 0; i < records; ++i)
            list += number(i) + "\r\n";
        dir.write("list.txt", list);
        std::vector<std::string> args{"--add-account", "user01", "pass01", "--send-slow"};
        if (row.fault == Fault::ConnectionReset)
            args.insert(args.end(),
                        {"--send-drop-after",
                         std::to_string(std::uniform_int_distribution<int>(1, records - 1)(random))});
        test::ServiceProcess service(QB_SERVICE_PATH, dir.file("service.db"), args);
        service.start();
        service.writeServiceIni(dir.path());

        QProcess sender;
        sender.start(QBSEND_PATH,
                     senderArgs(dir) + QStringList{"--text", QString::fromStdString(dir.file("list.txt")),
                                                   "--number-column", "1", "--callback", "0212345678",
                                                   "--message", "안내 문자"});
        ASSERT_TRUE(service.waitForLog("send check", 60s)) << service.log();
        std::this_thread::sleep_for(delay);
        switch (row.fault) {
        case Fault::ServiceKilled:
        case Fault::ServiceStopped:
            service.stop(row.fault == Fault::ServiceKilled ? SIGKILL : SIGTERM);
            finish(sender);
            service.start();
            break;
        case Fault::SenderKilled:
            sender.kill();
            finish(sender);
            break;
        case Fault::ConnectionReset:
            finish(sender);
            break;
        case Fault::ReaderStalled:
            ::kill(service.pid(), SIGSTOP);
            finish(sender);
            ::kill(service.pid(), SIGCONT);
            break;
        }

        // The documented way on: the same working folder, id and password.
        QProcess resume;
        resume.start(QBSEND_PATH, senderArgs(dir) + QStringList{"--resume"});
        const Run resumed = finish(resume);
        EXPECT_EQ(resumed.exitCode, 0) << resumed.out << resumed.err;
        EXPECT_TRUE(JobJournal::pending(JobJournal::folderOf(dir.path()), "user01").empty());
        EXPECT_EQ(service.stop(SIGTERM), 0);

        std::vector<std::string> numbers = stored(dir.file("service.db"));
        std::sort(numbers.begin(), numbers.end());
        std::vector<std::string> expected;
        for (int i = 0; i < records; ++i)
            expected.push_back(number(i));
        ASSERT_EQ(numbers.size(), expected.size()) << resumed.out;
        EXPECT_TRUE(numbers == expected) << "a recipient is missing or stored twice";
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix,
                         ::testing::Values(FaultRow{"ServiceKilled", Fault::ServiceKilled},
                                           FaultRow{"ServiceStopped", Fault::ServiceStopped},
                                           FaultRow{"SenderKilled", Fault::SenderKilled},
                                           FaultRow{"ConnectionReset", Fault::ConnectionReset},
                                           FaultRow{"ReaderStalled", Fault::ReaderStalled}),
                         [](const ::testing::TestParamInfo<FaultRow>& info) { return info.param.name; });

} // namespace
