#include "send/JobJournal.h"

#include "common/Cp949.h"
#include "send/ResumePlan.h"
#include "support/FailingWrites.h"
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

    // Each cut inside the last entry (the second segment's only mark, at 9) leaves
    // that segment unmarked: nothing of it was handed over.
    const std::size_t lastEntry = 1 + 4 + 8 + 4; // type, size, the mark, CRC
    for (std::size_t cut = 1; cut <= lastEntry; ++cut) {
        const JournalContents torn = parseJournal(bytes.substr(0, bytes.size() - cut));
        ASSERT_EQ(torn.problem, "") << cut;
        EXPECT_EQ(torn.allowed, 4) << cut;
        EXPECT_EQ(torn.segments.size(), 2u);
    }
}

// A damaged mark or count in the middle is skipped: the marks then bound nothing,
// and only the service's final count settles the last segment. Two in a row, or
// any larger entry, make the journal untrustworthy.
TEST(JobJournal, ADamagedMarkOrCountLeavesOnlyTheServicesCountToTrust) {
    test::TempDir dir;
    std::string path;
    const std::string bytes = writeJournal(dir, path);
    const std::size_t mark = bytes.find(std::string("\x04\x08\0\0\0\x06\0", 7)); // the mark at 6
    ASSERT_NE(mark, std::string::npos);
    std::string one = bytes;
    one[mark + 5] ^= 0x01;
    const JournalContents c = parseJournal(one);
    ASSERT_EQ(c.problem, "");
    EXPECT_EQ(c.lostEntries, 1);
    EXPECT_EQ(c.validEnd, bytes.size());
    ASSERT_EQ(c.segments.size(), 2u);
    EXPECT_EQ(c.segments[0].taken, 4);
    const ResumePlan unknown = planResume(c, {State::Unknown, 0, {}});
    EXPECT_EQ(unknown.sure, 4);
    EXPECT_EQ(unknown.uncertain, 6) << "every record of the last segment may have gone";
    EXPECT_EQ(planResume(c, {State::Interrupted, 3, {}}).sure, 7);

    std::string two = one;
    two[mark + 17 + 5] ^= 0x01; // the count right after it
    EXPECT_EQ(parseJournal(two).problem, "a damaged entry (checksum)");
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
        {"a segment past any count", bytes + segmentEntry(segment(1LL << 62, 1LL << 62, "0000003")),
         "a damaged segment"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const JournalContents c = parseJournal(row.bytes);
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
        ASSERT_TRUE(held.adopt(JobJournal::read(path), error)) << error;
        EXPECT_TRUE(JobJournal::pending(dir.path(), "user01").empty());
        JobJournal second;
        EXPECT_FALSE(second.adopt(JobJournal::read(path), error));
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
        std::string path = dir.write(name + ".qbj.part", "QBJOURNAL1\n");
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
        // The journal may have lost marks: the service's final count wins up to
        // the segment's size.
        {"service done", {State::Done, 6, {}}, 10, 0, 0},
        {"service interrupted", {State::Interrupted, 2, {}}, 6, 0, 4},
        {"service holds more than the marks allowed", {State::Interrupted, 5, {}}, 9, 0, 1},
        {"service claims more than the segment", {State::Interrupted, 7, {}}, 4, 5, 1},
        {"service has no such job", {State::NoSuchJob, 0, {}}, 4, 0, 6},
        {"service cannot say", {State::Unknown, 0, {}}, 4, 5, 1},
        {"service cannot be reached", {State::Unreachable, 0, {}}, 4, 5, 1},
        {"service still reading", {State::Running, 3, {}}, 4, 5, 1},
        // A later job announced what a resume from here would have: this journal
        // may be an older copy, and what follows the service's count is uncertain.
        {"a later job of the rest's size", {State::Interrupted, 2, {3, 4}}, 6, 4, 0},
        {"later jobs of other sizes", {State::Interrupted, 2, {3, 5}}, 6, 0, 4},
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
        EXPECT_EQ(p.serviceError(), row.status.stored == 7);
        EXPECT_EQ(p.serviceUnreachable, row.status.state == State::Unreachable);
    }
    JournalContents none;
    none.queue = queueOf(3);
    const ResumePlan fresh = planResume(none, {});
    EXPECT_EQ(fresh.left, 3);
    EXPECT_FALSE(fresh.complete());
}

namespace {

// Appends one entry as a crashed writer would leave it: only `keep` of its bytes.
void appendTorn(const std::string& path, std::size_t keep) {
    JobJournal j;
    std::string error;
    ASSERT_TRUE(j.adopt(JobJournal::read(path), error)) << error;
    const std::size_t before = test::readFile(path).size();
    ASSERT_TRUE(j.allow(10));
    j.close();
    std::filesystem::resize_file(path, before + keep);
}

} // namespace

// A resume's segment starts below the marks of the one before; a torn entry is
// cut off before anything is appended behind it; a count of what can have reached
// the service bounds the uncertain span. Each journal stays readable after any
// sequence of these.
TEST(JobJournal, StaysExactAcrossSegmentsTornAppendsAndAFullDisk) {
    test::TempDir dir;
    std::string path;
    writeJournal(dir, path); // segment 2 starts at 4, marked up to 9
    {
        JobJournal j;
        std::string error;
        ASSERT_TRUE(j.adopt(JobJournal::read(path), error)) << error;
        ASSERT_TRUE(j.recordTaken(1, 1));
        ASSERT_TRUE(j.beginSegment(segment(5, 5, "0000003")));
        ASSERT_TRUE(j.allow(7)); // below the last segment's 9
        ASSERT_TRUE(j.recordReached(2, 1));
    }
    JournalContents c = JobJournal::read(path);
    ASSERT_EQ(c.problem, "");
    EXPECT_EQ(c.allowed, 7);
    const ResumePlan reached = planResume(c, {State::Unreachable, 0, {}});
    EXPECT_EQ(reached.sure, 5);
    EXPECT_EQ(reached.uncertain, 1) << "only one record can have reached the service";
    EXPECT_EQ(reached.left, 4);

    for (std::size_t keep : {1u, 5u, 12u}) {
        SCOPED_TRACE(keep);
        appendTorn(path, keep);
        c = JobJournal::read(path);
        ASSERT_EQ(c.problem, "");
        ASSERT_LT(c.validEnd, c.fileSize);
        JobJournal j;
        std::string error;
        ASSERT_TRUE(j.adopt(c, error)) << error;
        EXPECT_EQ(test::readFile(path).size(), c.validEnd) << "the torn entry is cut off";
        ASSERT_TRUE(j.allow(8));
        j.close();
        c = JobJournal::read(path);
        ASSERT_EQ(c.problem, "");
        EXPECT_EQ(c.allowed, 8);
    }

    // A full disk: the mark that does not fit goes, the journal stays whole.
    const std::size_t size = test::readFile(path).size();
    {
        JobJournal j;
        std::string error;
        ASSERT_TRUE(j.adopt(JobJournal::read(path), error)) << error;
        const test::FailingWrites full(size + 6);
        EXPECT_FALSE(j.allow(9));
        EXPECT_EQ(j.lastError(), EFBIG);
    }
    EXPECT_EQ(test::readFile(path).size(), size);
    {
        JobJournal j;
        std::string error;
        ASSERT_TRUE(j.adopt(JobJournal::read(path), error)) << error;
        ASSERT_TRUE(j.allow(9));
    }
    c = JobJournal::read(path);
    ASSERT_EQ(c.problem, "");
    EXPECT_EQ(c.allowed, 9);

    // Changed between the read and the take-over: not taken.
    c = JobJournal::read(path);
    appendTorn(path, 3);
    JobJournal late;
    std::string error;
    EXPECT_FALSE(late.adopt(c, error));
    EXPECT_TRUE(error.ends_with("changed since it was read")) << error;
}

TEST(JobJournal, EveryJournalIsListedAndOneSetAsideIsNeverOverwritten) {
    test::TempDir dir;
    std::string mine, other;
    writeJournal(dir, mine);
    {
        JobJournal j;
        std::string error;
        ASSERT_TRUE(j.create(dir.path(), "user02", MessageKind::Sms, {}, 0, queueOf(2), error)) << error;
        other = j.path();
    }
    const std::string broken = dir.write("20000101000000-1-1.qbj", "QBJOURNAL1\nnot an entry");
    JobJournal held;
    std::string error;
    ASSERT_TRUE(held.adopt(JobJournal::read(mine), error)) << error;
    std::vector<JobJournal::Listed> listed = JobJournal::list(dir.path());
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].path, broken); // oldest first
    EXPECT_FALSE(listed[0].inUse);
    const auto mineListed =
        std::find_if(listed.begin(), listed.end(), [&](auto& l) { return l.path == mine; });
    ASSERT_NE(mineListed, listed.end());
    EXPECT_TRUE(mineListed->inUse);
    EXPECT_TRUE(JobJournal::setAside(mine, error).empty()) << "in use";

    const std::string first = JobJournal::setAside(broken, error);
    EXPECT_EQ(first, dir.path() + "/set-aside/20000101000000-1-1.qbj") << error;
    dir.write("20000101000000-1-1.qbj", "QBJOURNAL1\n");
    const std::string second = JobJournal::setAside(broken, error);
    EXPECT_EQ(second, first + ".1") << error;
    EXPECT_EQ(test::readFile(first), "QBJOURNAL1\nnot an entry");
    held.close();
    listed = JobJournal::list(dir.path());
    ASSERT_EQ(listed.size(), 2u);
}

TEST(JobJournal, TheStatusDocumentNamesTheLaterJobsWhenAsked) {
    const struct {
        const char* reply;
        State state;
        long long stored;
        std::vector<long long> later;
    } rows[] = {
        {"done|3", State::Done, 3, {}},
        {"interrupted|2|\r\n", State::Interrupted, 2, {}},
        {"interrupted|2|4,17", State::Interrupted, 2, {4, 17}},
        {"done|3|4,", State::Unknown, 0, {}},
        {"done|3|x", State::Unknown, 0, {}},
        {"done|x|4", State::Unknown, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply);
        const ServiceJobStatus s = parseSendStatus(row.reply);
        EXPECT_EQ(s.state, row.state);
        EXPECT_EQ(s.stored, row.stored);
        EXPECT_EQ(s.laterJobs, row.later);
    }
}
