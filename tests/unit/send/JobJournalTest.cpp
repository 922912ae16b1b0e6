#include "send/JobJournal.h"

#include "common/Cp949.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace qb;
using State = ServiceJobStatus::State;

namespace {

SendQueue queueOf(int count, int first = 20000000) {
    SendQueue q;
    for (int i = 0; i < count; ++i) {
        SendRecord r;
        r.number = "010" + std::to_string(first + i);
        r.body = ko("안녕하세요");
        r.callbackNumber = "0212345678";
        r.reservation = immediateReservation();
        r.displayBody = r.body;
        q.push_back(r);
    }
    return q;
}

JournalSegment segment(long long first, long long count, const std::string& tag) {
    JournalSegment s;
    s.first = first;
    s.count = count;
    s.sendCode = "SMS";
    s.sendTime = "2016-09-10 09:05:07";
    s.sendTag = tag;
    return s;
}

// A journal of 10 records: a first connection that the service took 4 of, a
// second from there with a mark at 9.
std::string writeJournal(const test::TempDir& dir, std::string& path) {
    JobJournal j;
    std::string error;
    PictureSlots pictures;
    pictures[0] = {"/tmp/a.jpg", 640, 480, {1234, std::string(32, '\x5a')}};
    EXPECT_TRUE(j.create(dir.path(), "user01", MessageKind::Mms, pictures, 1, queueOf(10), error)) << error;
    EXPECT_TRUE(j.beginSegment(segment(0, 10, "0000001")));
    EXPECT_TRUE(j.allow(6));
    EXPECT_TRUE(j.recordTaken(0, 4));
    EXPECT_TRUE(j.beginSegment(segment(4, 6, "0000002")));
    EXPECT_TRUE(j.allow(9));
    path = j.path();
    j.close();
    return test::readFile(path);
}

} // namespace

TEST(JobJournal, ReadsBackWhatWasWrittenAndTakesATornLastEntryAsNeverWritten) {
    test::TempDir dir;
    std::string path;
    const std::string bytes = writeJournal(dir, path);
    EXPECT_FALSE(test::fileExists(path + ".part"));
    const JournalContents c = JobJournal::read(path);
    ASSERT_EQ(c.problem, "");
    EXPECT_EQ(c.userId, "user01");
    EXPECT_EQ(c.kind, MessageKind::Mms);
    EXPECT_EQ(c.pictureCount, 1);
    EXPECT_EQ(c.pictures[0].path, "/tmp/a.jpg");
    EXPECT_EQ(c.pictures[0].height, 480);
    EXPECT_EQ(c.pictures[0].fingerprint, (PictureFingerprint{1234, std::string(32, '\x5a')}));
    ASSERT_EQ(c.queue.size(), 10u);
    EXPECT_EQ(c.queue.at(9).number, "01020000009");
    ASSERT_EQ(c.segments.size(), 2u);
    EXPECT_EQ(c.segments[0].taken, 4);
    EXPECT_EQ(c.segments[1].sendTag, "0000002");
    EXPECT_FALSE(c.segments[1].taken);
    EXPECT_EQ(c.allowed, 9);

    // Each cut inside the last entry (the mark at 9) leaves the mark before it.
    const std::size_t lastEntry = 1 + 4 + 8 + 4; // type, size, the mark, CRC
    for (std::size_t cut = 1; cut <= lastEntry; ++cut) {
        const JournalContents torn = JobJournal::parse(bytes.substr(0, bytes.size() - cut));
        ASSERT_EQ(torn.problem, "") << cut;
        EXPECT_EQ(torn.allowed, 6) << cut;
        EXPECT_EQ(torn.segments.size(), 2u);
    }
}

TEST(JobJournal, ADamagedJournalIsRefusedWhole) {
    test::TempDir dir;
    std::string path;
    const std::string bytes = writeJournal(dir, path);
    // The head entry follows the 11-byte mark: type, size, payload, CRC.
    const std::size_t headEnd =
        11 + 9 + (static_cast<unsigned char>(bytes[12]) | static_cast<unsigned char>(bytes[13]) << 8);
    const auto flipped = [&](std::size_t at) {
        std::string b = bytes;
        b[at] = static_cast<char>(b[at] ^ 0x20);
        return b;
    };
    const struct {
        const char* name;
        std::string bytes;
        const char* problem;
    } rows[] = {
        {"not a journal", "hello", "not a send job journal"},
        {"a byte of the records", flipped(headEnd + 20), "a damaged entry (checksum)"},
        {"a byte of the head", flipped(20), "a damaged entry (checksum)"},
        {"records cut off", bytes.substr(0, headEnd + 20), "records missing"},
        {"no head", bytes.substr(0, 11), "no head"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const JournalContents c = JobJournal::parse(row.bytes);
        EXPECT_EQ(c.problem, row.problem);
        EXPECT_TRUE(c.queue.empty());
        EXPECT_TRUE(c.segments.empty());
    }
}

TEST(JobJournal, PendingListsTheUsersJournalsThatNoOneHolds) {
    test::TempDir dir;
    std::string path;
    writeJournal(dir, path);
    EXPECT_EQ(JobJournal::pending(dir.path(), "user01"), std::vector<std::string>{path});
    EXPECT_TRUE(JobJournal::pending(dir.path(), "user02").empty());
    {
        JobJournal held;
        std::string error;
        ASSERT_TRUE(held.adopt(path, error)) << error;
        EXPECT_TRUE(JobJournal::pending(dir.path(), "user01").empty());
        JobJournal second;
        EXPECT_FALSE(second.adopt(path, error));
        held.finish();
    }
    EXPECT_FALSE(test::fileExists(path));
    EXPECT_TRUE(JobJournal::pending(dir.path() + "/none", "user01").empty());
}

namespace {

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// A journal written while the preview is read is published as it is only when
// the job is still the one it was written for; no part is ever left behind.
TEST(JobJournal, APreparedJournalIsPublishedOnlyForTheJobItWasWrittenFor) {
    const struct {
        const char* name;
        std::function<void(SendQueue&, std::string&)> change;
        bool published;
    } rows[] = {
        {"nothing changed", [](SendQueue&, std::string&) {}, true},
        {"refilled with other numbers of the same length",
         [](SendQueue& q, std::string&) { q = queueOf(10, 30000000); }, false},
        {"a record added", [](SendQueue& q, std::string&) { q.push_back(queueOf(1).at(0)); }, false},
        {"a record taken", [](SendQueue& q, std::string&) { q.pop_front(); }, false},
        {"another user", [](SendQueue&, std::string& user) { user = "user02"; }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        SendQueue queue = queueOf(10);
        std::string user = "user01", error;
        JobJournal j;
        j.prepare(dir.path(), user, MessageKind::Sms, {}, 0, queue);
        j.waitForPrepared();
        EXPECT_EQ(queue.sharedArena().use_count(), 2) << "the written records are let go";
        const std::vector<std::string> prepared = namesIn(dir.path());
        ASSERT_EQ(prepared.size(), 1u);
        ASSERT_TRUE(prepared[0].ends_with(".qbj.part"));

        row.change(queue, user);
        ASSERT_TRUE(j.create(dir.path(), user, MessageKind::Sms, {}, 0, queue, error)) << error;
        const std::vector<std::string> names = namesIn(dir.path());
        ASSERT_EQ(names.size(), 1u);
        EXPECT_EQ(names[0] + ".part" == prepared[0], row.published);
        j.close();
        const JournalContents c = JobJournal::read(dir.path() + "/" + names[0]);
        ASSERT_EQ(c.problem, "");
        EXPECT_EQ(c.userId, user);
        ASSERT_EQ(c.queue.size(), queue.size());
        for (std::size_t i = 0; i < queue.size(); ++i)
            ASSERT_EQ(c.queue.at(i).number, queue.at(i).number) << i;
    }
}

TEST(JobJournal, APartNobodyHoldsIsRemovedOnceItIsOldAndAPreparedOneGoesWithItsJournal) {
    test::TempDir dir;
    const auto part = [&](const std::string& name, int minutesOld) {
        const std::string path = dir.write(name + ".qbj.part", "QBJOURNAL1\n");
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                                   std::chrono::minutes(minutesOld));
        return path;
    };
    part("20160910090507-1-1", 5);
    part("20160910090507-1-2", 0);
    const int held = ::open(part("20160910090507-1-3", 5).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    {
        JobJournal j;
        j.prepare(dir.path(), "user01", MessageKind::Sms, {}, 0, queueOf(3));
        j.waitForPrepared();
        EXPECT_EQ(namesIn(dir.path()).size(), 3u);
    }
    ::close(held);
    EXPECT_EQ(namesIn(dir.path()),
              (std::vector<std::string>{"20160910090507-1-2.qbj.part", "20160910090507-1-3.qbj.part"}));
}

TEST(JobJournal, TheResumePlanTrustsTheServiceThenTheJournalAndNeverGuesses) {
    test::TempDir dir;
    std::string path;
    writeJournal(dir, path);
    const JournalContents c = JobJournal::read(path);
    // The last segment starts at 4 with 6 records; the mark at 9 means 5 of them
    // may have been handed over.
    const struct {
        const char* name;
        ServiceJobStatus status;
        long long sure, uncertain, left;
    } rows[] = {
        {"service done", {State::Done, 6}, 9, 0, 1},
        {"service interrupted", {State::Interrupted, 2}, 6, 0, 4},
        {"service says more than was handed", {State::Interrupted, 99}, 9, 0, 1},
        {"service has no such job", {State::NoSuchJob, 0}, 4, 0, 6},
        {"service cannot say", {State::Unknown, 0}, 4, 5, 1},
        {"service still reading", {State::Running, 3}, 4, 5, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ResumePlan p = planResume(c, row.status);
        EXPECT_EQ(p.total, 10);
        EXPECT_EQ(p.sure, row.sure);
        EXPECT_EQ(p.uncertain, row.uncertain);
        EXPECT_EQ(p.left, row.left);
        EXPECT_EQ(p.from(true), row.sure);
        EXPECT_EQ(p.from(false), row.sure + row.uncertain);
    }
    JournalContents none;
    none.queue = queueOf(3);
    const ResumePlan fresh = planResume(none, {});
    EXPECT_EQ(fresh.left, 3);
    EXPECT_FALSE(fresh.complete());
}
