#include "integration/send/SendJobFixture.h"

#include "net/MessageRecord.h"
#include "send/JobJournal.h"
#include "send/SendConnection.h"
#include "send/SendSession.h"
#include "web/HttpRequests.h"

using namespace qb;
using namespace std::chrono_literals;
using test::record;
using test::SendJobTest;
using Events = std::vector<std::string>;

namespace {

const char* const kDone3 = "info:총 [3] 건 전송이 완료되었습니다.";

// The fields every record ends with, from field 5 (SMS) or 6 (LMS, MMS) on.
std::vector<std::string> tail(const LoginState& s, const std::string& flag, const std::string& when,
                              const std::string& code) {
    return {"0.0", flag, when, "123456789", code, s.sendTag, "TAG-01", s.sendTime};
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Every record the service holds, job after job, carries the next number from
// 1 on, and there are `count` of them: nothing lost, nothing sent twice.
void expectEveryNumberOnceInOrder(SendJobTest& t, int count) {
    int expected = 1;
    for (const qbs::SendJobRow& j : t.serverJobs())
        for (const qbs::SendRecordRow& r : t.sendServer().store().records(j.id))
            ASSERT_EQ(r.record.number, t.number(expected++));
    EXPECT_EQ(expected, count + 1);
}

// The error boxes shown, in order.
Events errorTexts(const test::RecordingNotifier& notifier) {
    Events errors;
    for (const test::Shown& s : notifier.shown())
        if (s.icon == MessageIcon::Error)
            errors.push_back(s.utf8());
    return errors;
}

// The one box of a write fault with its counts.
std::string writeFault(long long sent, std::size_t left) {
    return "네트워크 에러! 다시 시도해 주시기 바랍니다.\n전송이 중단되었습니다. [" + std::to_string(sent) +
           "]건 전송, [" + std::to_string(left) + "]건 미전송.";
}

} // namespace

TEST_F(SendJobTest, SmsJobWritesEveryRecordThenClosesAndTheServerReportsTheCount) {
    login();
    prepareSms(3, "안녕하세요");
    const long long announced = staged().bytes;

    start();
    EXPECT_TRUE(job.running());
    EXPECT_FALSE(form.state().sendEnabled);
    EXPECT_FALSE(form.state().previewEnabled);
    ASSERT_TRUE(test::runUntil([&] { return progress.values.size() == 3; }));
    const auto lastRecord = std::chrono::steady_clock::now();
    EXPECT_TRUE(job.running()) << "the connection stays for half a second after the last record";
    EXPECT_NE(job.connection(), nullptr);
    ASSERT_TRUE(finish());
    // Measured from when the loop noticed the last record, so a little under.
    EXPECT_GE(std::chrono::steady_clock::now() - lastRecord, SendJob::kEndDelay - 50ms);
    EXPECT_EQ(job.connection(), nullptr);

    EXPECT_EQ(progress.ranges, std::vector<std::int64_t>{3});
    EXPECT_EQ(progress.values, (std::vector<std::int64_t>{1, 2, 3, 0}));
    // The form's balance refresh ends the job; the server's result follows on the
    // login connection with the main window's refresh and the message.
    EXPECT_EQ(events, (Events{"running", "stopped", "form:refresh-balance", "refresh-balance", kDone3}));
    EXPECT_TRUE(jobBatch().queue.empty());
    EXPECT_EQ(jobBatch().bytes, 0);
    EXPECT_TRUE(form.state().sendEnabled);
    EXPECT_TRUE(form.state().previewEnabled);

    // The check reply's values are in the login state and in every record.
    EXPECT_EQ(state.sendCode, "SMS");
    EXPECT_EQ(state.sendTime.size(), 19u);
    const auto jobs = serverJobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(state.sendTag, jobs[0].sendTag);
    EXPECT_EQ(jobs[0].announcedCount, 3);
    EXPECT_EQ(jobs[0].announcedBytes, announced);
    EXPECT_EQ(jobs[0].kind, 0);
    EXPECT_EQ(jobs[0].result, 1);
    std::vector<std::string> expected;
    for (int i = 1; i <= 3; ++i)
        expected.push_back(record(concat({"user01", number(i), "0212345678", ko("안녕하세요")},
                                         tail(state, "N", state.sendTime, "SMS"))));
    EXPECT_EQ(storedRaw(0), expected);
}

TEST_F(SendJobTest, ReservedLmsRecordsCarryTheReservationAndTheSendTimeLast) {
    login();
    prepare(MessageKind::Lms, 2, [&] {
        EditorContent c;
        c.title = ko("공지");
        c.titleTouched = true;
        c.body = ko("첫줄\r\n둘째줄");
        c.bodyTouched = true;
        editors.lms = c;
        form.onReservedChosen();
        form.state().reservationDate = {2016, 9, 10};
        form.state().reservationHour.select(9);
        form.state().reservationMinute.select(6);
    });
    start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(state.sendCode, "LMS");
    const std::string when = "2016-09-10 09:30:00";
    EXPECT_EQ(storedRaw(0),
              (std::vector<std::string>{
                  record(concat({"user01", number(1), "0212345678", ko("공지"), ko("첫줄\n둘째줄")},
                                tail(state, "Y", when, "LMS"))),
                  record(concat({"user01", number(2), "0212345678", ko("공지"), ko("첫줄\n둘째줄")},
                                tail(state, "Y", when, "LMS"))),
              }));
    EXPECT_EQ(events.back(), "info:총 [2] 건 전송이 완료되었습니다.");
}

TEST_F(SendJobTest, SplitSendingGivesEachSliceItsOwnTime) {
    login();
    prepare(MessageKind::Sms, 5, [&] {
        form.onMessageEdited("split");
        form.state().splitOn = true;
        form.onSplitSwitch();
        form.state().splitCount = "2";
        form.state().splitMinutes.select(10); // "20"
    });
    start();
    ASSERT_TRUE(finish());
    const char* const slices[] = {"2016-09-10 09:05:07", "2016-09-10 09:05:07", "2016-09-10 09:25:07",
                                  "2016-09-10 09:25:07", "2016-09-10 09:45:07"};
    std::vector<std::string> expected;
    for (int i = 1; i <= 5; ++i)
        expected.push_back(record(
            concat({"user01", number(i), "0212345678", "split"}, tail(state, "Y", slices[i - 1], "SMS"))));
    EXPECT_EQ(storedRaw(0), expected);
}

TEST_F(SendJobTest, MmsPicturesAreUploadedOnceUnderTheNamesTheRecordsCarry) {
    login();
    for (int pictures = 1; pictures <= 3; ++pictures) {
        SCOPED_TRACE(pictures);
        service.service().webServer().clearRequests();
        prepareMms(2, pictures);
        start();
        ASSERT_TRUE(finish());
        EXPECT_EQ(job.pictureStamp(), kStamp);
        EXPECT_EQ(state.sendCode, "MMS");

        const std::string stamp = kStamp;
        std::vector<std::string> names(3), sizes(6);
        for (int slot = 1; slot <= pictures; ++slot) {
            names[static_cast<std::size_t>(slot - 1)] =
                "user01_" + stamp + "_0" + std::to_string(slot) + ".jpg";
            sizes[static_cast<std::size_t>(2 * slot - 2)] = std::to_string(picture(slot).width);
            sizes[static_cast<std::size_t>(2 * slot - 1)] = std::to_string(picture(slot).height);
        }
        std::vector<std::string> expected;
        for (int i = 1; i <= 2; ++i)
            expected.push_back(record(
                concat(concat(concat({"user01", number(i), "0212345678", ko("사진"), ko("그림 보냅니다")},
                                     tail(state, "N", state.sendTime, "MMS")),
                              names),
                       sizes)));
        EXPECT_EQ(storedRaw(static_cast<std::size_t>(pictures - 1)), expected);

        // One upload, its files named as in the records, with the pictures' bytes.
        const auto requests = service.service().webServer().requests();
        EXPECT_EQ(std::count(requests.begin(), requests.end(), "POST /uploadmmsimage.jsp"), 1);
        const auto uploaded = service.service().webServer().store().sendPictures("user01");
        ASSERT_EQ(uploaded.size(), static_cast<std::size_t>(pictures * (pictures + 1) / 2));
        for (int slot = 1; slot <= pictures; ++slot) {
            const qbs::StoredPicture& p =
                uploaded[uploaded.size() - static_cast<std::size_t>(pictures - slot + 1)];
            EXPECT_EQ(p.name, names[static_cast<std::size_t>(slot - 1)]);
            EXPECT_EQ(p.data, test::readFile(picture(slot).path));
        }
        // The job's end clears the pictures: the next MMS needs the preview again.
        EXPECT_EQ(jobBatch().pictureCount, 0);
        for (const PictureSlot& s : jobBatch().pictures())
            EXPECT_TRUE(s.empty() && s.width == 0 && s.height == 0);
        events.clear();
    }
}

TEST_F(SendJobTest, ASecondPressWhileAJobRunsIsRefused) {
    login();
    prepareSms(3);
    start();
    start();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"전송중입니다. 전송이 끝난 후 다시 시도해 주세요!"});
    ASSERT_TRUE(finish());
    // Pressed again while the last half second runs, too.
    prepareSms(3);
    start();
    ASSERT_TRUE(test::runUntil([&] { return job.phase() == SendJob::Phase::Draining; }));
    start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(events, (Events{"running", "error:전송중입니다. 전송이 끝난 후 다시 시도해 주세요!", "stopped",
                              "form:refresh-balance", "refresh-balance", kDone3}));
    EXPECT_EQ(serverJobs().size(), 2u);
}

// ---- Failures: the message, and what stays in the queue ----

struct FailureRow {
    const char* name;
    std::function<void(SendJobTest&)> setup; // before "전송하기"
    std::function<void(SendJobTest&)> after; // right after it, before the loop runs
    std::string messages;                    // the boxes in order, split at '|'
    int recordsLeft;                         // of 3
    bool started = true;
    // Ended while writing: the count of records sent and left follows the message.
    bool interrupted = false;
};

void PrintTo(const FailureRow& row, std::ostream* os) {
    *os << row.name;
}

class SendJobFailure : public SendJobTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(SendJobFailure, ShowsItsMessageAndKeepsTheUnsentRecords) {
    const FailureRow& row = GetParam();
    login();
    prepareSms(3);
    row.setup(*this);
    const long long bytes = staged().bytes;
    const std::size_t before = staged().queue.size();
    start();
    if (row.after)
        row.after(*this);
    ASSERT_TRUE(test::runUntil([&] { return !job.running(); }, 20s));
    test::runFor(200ms); // anything that would still follow
    Events errors;
    for (const std::string& e : events)
        if (e.rfind("error:", 0) == 0) {
            errors.push_back(e.substr(6));
        } else if (e.rfind("info:", 0) == 0) { // only the server's word on what it took
            EXPECT_EQ(e, "info:총 [" + std::to_string(3 - row.recordsLeft) + "] 건 전송이 완료되었습니다.");
        }
    // A fault while writing says in one box how far the job got.
    Events expected = test::split(row.messages);
    if (row.interrupted)
        expected.back() += "\n전송이 중단되었습니다. [" + std::to_string(3 - row.recordsLeft) +
                           "]건 전송, [" + std::to_string(row.recordsLeft) + "]건 미전송.";
    EXPECT_EQ(errors, expected);
    EXPECT_EQ(jobBatch().queue.size(), before == 0 ? 0u : static_cast<std::size_t>(row.recordsLeft));
    // Refused at the start, the job never ran; otherwise it stops before its last message.
    Events timeline;
    for (const std::string& m : expected)
        timeline.push_back("error:" + m);
    if (row.started) {
        timeline.insert(timeline.end() - 1, "stopped");
        timeline.insert(timeline.begin(), "running");
    }
    Events seen; // the logout is not the job's business
    for (const std::string& e : events)
        if (e != "logged-out" && e != "closed-by-server" && seen.size() < timeline.size())
            seen.push_back(e);
    EXPECT_EQ(seen, timeline);
    EXPECT_EQ(job.phase(), SendJob::Phase::Idle);
    EXPECT_EQ(job.connection(), nullptr);
    EXPECT_TRUE(form.state().sendEnabled);
    if (row.recordsLeft == 3) {
        EXPECT_EQ(jobBatch().bytes, bytes);
        for (const qbs::SendJobRow& j : serverJobs())
            EXPECT_EQ(j.stored, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SendJobFailure,
    ::testing::Values(
        FailureRow{"EmptyQueue", [](SendJobTest& t) { t.clearQueue(); }, nullptr,
                   "발송할 데이터가 없습니다. 발송데이터 확인을 눌러주세요!", 0, false},
        FailureRow{"NotLoggedInAtStart", [](SendJobTest& t) { t.logout(); }, nullptr,
                   "[확인] 로그인이 되지 않았습니다. 로그인 후 시도해주세요!", 3, false},
        FailureRow{"NoSocket", [](SendJobTest& t) { t.faultySocket().failCreate = true; }, nullptr,
                   "서버접속 오류입니다. 다시 시도해 주세요!", 3, false},
        FailureRow{"ConnectFailed", [](SendJobTest& t) { t.useDeadSendPort(); }, nullptr,
                   "서버 접속실패 ::: 다시 시도해 주세요!", 3},
        FailureRow{"CheckTakenInPart", [](SendJobTest& t) { t.faultySocket().shortSendAt = 1; }, nullptr,
                   "네트워크 에러!. 다시 시도하세요!", 3},
        FailureRow{"ReadFailed", [](SendJobTest& t) { t.faultySocket().failReceive = true; }, nullptr,
                   "네트워크 에러!! 다시 시도해 주세요!", 3},
        FailureRow{"CheckRefusedNotLoggedIn", [](SendJobTest& t) { t.pretendLoggedInAs("user02"); }, nullptr,
                   "[확인] 로그인이 되지 않았습니다. 로그인 후 시도해주세요!", 3},
        FailureRow{"CheckRefusedLimit", [](SendJobTest& t) { t.setBalance("40"); }, nullptr,
                   "[확인] 잔여한도가 부족합니다!", 3},
        FailureRow{"CheckRefusedOther",
                   [](SendJobTest& t) { t.quirks([](qbs::SendQuirks& q) { q.checkResult = 7; }); }, nullptr,
                   "네트워크 에러! 다시 시도해주세요.", 3},
        FailureRow{"ReplyOfAnotherType",
                   [](SendJobTest& t) { t.quirks([](qbs::SendQuirks& q) { q.replyType = 7; }); }, nullptr,
                   "패킷 에러! 다시 시도해 주세요.", 3},
        FailureRow{"CheckNeverAnswered",
                   [](SendJobTest& t) {
                       t.quirks([](qbs::SendQuirks& q) { q.neverReply = true; });
                       t.shortTimeouts();
                   },
                   nullptr, "네트워크 에러!! 다시 시도해 주세요!", 3},
        FailureRow{"ServerValueThatWouldBreakTheRecords", [](SendJobTest& t) { t.state.userTag += '\x04'; },
                   nullptr, "패킷 에러! 다시 시도해 주세요.", 3},
        FailureRow{"ClosedBeforeTheReply",
                   [](SendJobTest& t) { t.quirks([](qbs::SendQuirks& q) { q.closeBeforeReply = true; }); },
                   nullptr, "네트워크 에러!! 다시 시도해 주세요!", 3},
        FailureRow{"LoggedOutBeforeWriting",
                   [](SendJobTest& t) { t.quirks([](qbs::SendQuirks& q) { q.checkResult = 0; }); },
                   [](SendJobTest& t) { t.logout(); }, "로그인이 되어있지 않습니다.", 3},
        FailureRow{"NoPicture", [](SendJobTest& t) { t.fillQueueFor(MessageKind::Mms); }, nullptr,
                   "MMS 그림화일을 선택해 주시기 바랍니다.|[MMS] 화일서버 에러입니다.!", 3},
        FailureRow{"UploadRefused",
                   [](SendJobTest& t) {
                       t.fillQueueFor(MessageKind::Mms, 1);
                       t.webFault("status500@uploadmmsimage.jsp");
                   },
                   nullptr, "에러발생! 다시 시도해 주시기 바랍니다.|[MMS] 화일서버 에러입니다.!", 3},
        // Checked again right before the upload: nothing goes.
        FailureRow{"PictureFileGone",
                   [](SendJobTest& t) {
                       t.fillQueueFor(MessageKind::Mms, 1);
                       t.staged().settings.pictures[0].path = "/nonexistent-qb/gone.jpg";
                   },
                   nullptr,
                   "/nonexistent-qb/gone.jpg\n화일경로가 존재하지 않습니다.|[MMS] 화일서버 에러입니다.!", 3},
        FailureRow{"PictureChangedSinceItWasTaken",
                   [](SendJobTest& t) {
                       t.fillQueueFor(MessageKind::Mms, 1);
                       t.staged().settings.pictures[0].fingerprint.sha256[0] ^= 1;
                   },
                   nullptr,
                   test::dataPath("send/picture-64x48.jpg") +
                       "\n그림을 고른 뒤에 그림파일이 바뀌었습니다. 그림을 다시 선택해 주세요.|"
                       "[MMS] 화일서버 에러입니다.!",
                   3},
        FailureRow{"WriteFailed", [](SendJobTest& t) { t.faultySocket().failSendAt = 3; }, nullptr,
                   "네트워크 에러! 다시 시도해 주시기 바랍니다.", 2, true, true}),
    [](const ::testing::TestParamInfo<FailureRow>& info) { return info.param.name; });

// ---- Pressing again, full sockets, long jobs ----

TEST_F(SendJobTest, PressingAgainAfterAWriteFailureSendsOnlyTheRecordsLeft) {
    login();
    prepareSms(5, "again");
    const long long allBytes = staged().bytes;
    faultySocket().failSendAt = 4; // the check, records 1 and 2, then record 3 fails
    start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(notifier.texts(), (std::vector<std::string>{"네트워크 에러! 다시 시도해 주시기 바랍니다.\n"
                                                          "전송이 중단되었습니다. [2]건 전송, [3]건 미전송.",
                                                          "총 [2] 건 전송이 완료되었습니다."}));
    ASSERT_EQ(jobBatch().queue.size(), 3u);
    EXPECT_EQ(jobBatch().queue.front().number, number(3));
    // The next check announces the three records left, not the whole first job.
    EXPECT_LT(jobBatch().bytes, allBytes);
    const long long leftBytes = jobBatch().bytes;

    notifier.clear();
    events.clear();
    start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"총 [3] 건 전송이 완료되었습니다."});
    const auto jobs = serverJobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[1].announcedCount, 3);
    EXPECT_EQ(jobs[1].announcedBytes, leftBytes);
    EXPECT_EQ(jobs[0].stored + jobs[1].stored, 5);
    expectEveryNumberOnceInOrder(*this, 5);
    EXPECT_EQ(progress.ranges, (std::vector<std::int64_t>{5, 3}));
}

TEST_F(SendJobTest, AFullSocketHoldsTheRecordAndTheResumeGoesOnFromItsFirstByteNotTaken) {
    login();
    prepareMms(40, 2);
    test::FaultySocket& socket = faultySocket();
    socket.chop = 7;
    socket.blockEveryOther = true;
    // Were a resume to take a new stamp (and upload again), the names would change.
    socket.onWouldBlock = [this] { clock->advance(1); };
    service.service().webServer().clearRequests();
    start();
    ASSERT_TRUE(finish());
    EXPECT_GT(job.stats().wouldBlocks, 40);
    EXPECT_GT(job.stats().partialSends, 40);
    EXPECT_EQ(job.stats().recordsWritten, 40);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"총 [40] 건 전송이 완료되었습니다."});

    const auto jobs = serverJobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].malformed, 0);
    EXPECT_EQ(jobs[0].duplicates, 0);
    EXPECT_EQ(jobs[0].truncatedBytes, 0);
    const std::string stamp = kStamp;
    const auto stored = sendServer().store().records(jobs[0].id);
    ASSERT_EQ(stored.size(), 40u);
    for (int i = 1; i <= 40; ++i)
        EXPECT_EQ(stored[static_cast<std::size_t>(i - 1)].record.raw,
                  record(concat({"user01", number(i), "0212345678", ko("사진"), ko("그림 보냅니다")},
                                concat(tail(state, "N", state.sendTime, "MMS"),
                                       {"user01_" + stamp + "_01.jpg", "user01_" + stamp + "_02.jpg", "",
                                        "64", "48", "300", "200", "", ""}))));
    const auto requests = service.service().webServer().requests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "POST /uploadmmsimage.jsp"), 1);
}

TEST_F(SendJobTest, AHundredThousandRecordsReachASlowReaderWhole) {
    constexpr int kCount = 100000;
    login();
    fillQueue(MessageKind::Sms, kCount, ko("느린 수신 확인"));
    quirks([](qbs::SendQuirks& q) { q = qbs::SendQuirks::slowReader(); });
    start();
    ASSERT_TRUE(finish());
    EXPECT_GT(job.stats().wouldBlocks, 0) << "the reader never held the client up";
    EXPECT_EQ(job.stats().recordsWritten, kCount);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"총 [100000] 건 전송이 완료되었습니다."});
    ASSERT_EQ(progress.values.size(), static_cast<std::size_t>(kCount + 1));
    for (int i = 0; i < kCount; ++i)
        ASSERT_EQ(progress.values[static_cast<std::size_t>(i)], i + 1);
    EXPECT_EQ(progress.values.back(), 0);

    const auto jobs = serverJobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].received, kCount);
    EXPECT_EQ(jobs[0].stored, kCount);
    EXPECT_EQ(jobs[0].malformed, 0);
    EXPECT_EQ(jobs[0].duplicates, 0);
    EXPECT_EQ(jobs[0].truncatedBytes, 0);
    EXPECT_EQ(jobs[0].receivedBytes, job.stats().bytesWritten);
    const auto stored = sendServer().store().records(jobs[0].id);
    ASSERT_EQ(stored.size(), static_cast<std::size_t>(kCount));
    const std::string expectedTail = "\x04" + ko("느린 수신 확인") + "\x04" + "0.0\x04N\x04" +
                                     state.sendTime +
                                     "\x04"
                                     "123456789\x04SMS\x04" +
                                     state.sendTag + "\x04TAG-01\x04" + state.sendTime + "\x02";
    for (int i = 1; i <= kCount; ++i) {
        const std::string& raw = stored[static_cast<std::size_t>(i - 1)].record.raw;
        ASSERT_EQ(raw, "user01\x04" + number(i) +
                           "\x04"
                           "0212345678" +
                           expectedTail)
            << i;
    }
}

TEST_F(SendJobTest, ALongJobLetsTheEventLoopRunBetweenRecords) {
    login();
    fillQueue(MessageKind::Sms, 20000);
    job.setYieldInterval(0ms);
    // A timer due at once, set when the first record goes out, runs while the
    // job is still writing.
    std::size_t leftWhenTimerRan = 0;
    SendJob::Phase phaseWhenTimerRan = SendJob::Phase::Idle;
    progress.onValue = [&](std::int64_t v) {
        if (v == 1)
            QTimer::singleShot(0, [&] {
                leftWhenTimerRan = jobBatch().queue.size();
                phaseWhenTimerRan = job.phase();
            });
    };
    start();
    ASSERT_TRUE(finish());
    EXPECT_GT(job.stats().yields, 0);
    EXPECT_GT(leftWhenTimerRan, 0u);
    EXPECT_EQ(phaseWhenTimerRan, SendJob::Phase::Writing);
    EXPECT_EQ(serverJobs().at(0).stored, 20000);
    EXPECT_EQ(serverJobs().at(0).malformed, 0);
}

TEST_F(SendJobTest, AServerThatGoesAwayLeavesTheRecordsNotTakenInTheQueue) {
    constexpr int kCount = 60000; // more than the socket buffers hold: the drop comes mid-job
    login();
    fillQueue(MessageKind::Sms, kCount);
    quirks([](qbs::SendQuirks& q) {
        q = qbs::SendQuirks::slowReader();
        q.closeAfterRecords = 100;
    });
    start();
    ASSERT_TRUE(test::runUntil([&] { return !job.running(); }, 30s));
    test::runFor(200ms);
    // What the socket had taken but the service did not keep is gone with the
    // connection: the queue goes on from the first record the service does not hold.
    const long long stored = serverJobs().at(0).stored;
    const std::size_t left = jobBatch().queue.size();
    EXPECT_EQ(errorTexts(notifier), Events{writeFault(stored, left)});
    ASSERT_GT(left, 0u);
    EXPECT_EQ(static_cast<long long>(left), kCount - stored);
    EXPECT_LT(stored, job.stats().recordsWritten) << "the socket took more than the service kept";
    EXPECT_EQ(jobBatch().queue.front().number, number(static_cast<int>(stored) + 1));
    EXPECT_EQ(jobBatch().queue.at(left - 1).number, number(kCount));
}

TEST_F(SendJobTest, AnEditorClosedUnderAFailingJobLeavesTheRestForTheNextPress) {
    constexpr int kCount = 60000; // more than the socket buffers hold: the drop comes mid-job
    login();
    SendSession send({notifier, progress, progress, state, RejectTable::inWorkingFolder(service.workdir()),
                      dialogs, editors, service.config()});
    send.refreshBalanceAfterJob = false;
    SendForm& lms = send.form();
    lms.onKindChosen(MessageKind::Lms);
    fillQueue(send.job(), MessageKind::Lms, kCount);
    quirks([](qbs::SendQuirks& q) {
        q = qbs::SendQuirks::slowReader();
        q.closeAfterRecords = 100;
    });
    // The user closes the LMS editor as the first record goes out.
    progress.onValue = [&](std::int64_t v) {
        if (v == 1)
            send.returnToSms();
    };
    send.startSend();
    ASSERT_TRUE(test::runUntil([&] { return !send.job().running(); }, 30s));
    ASSERT_TRUE(finish()); // the service's count of the first job
    progress.onValue = nullptr;
    const long long sent = serverJobs().at(0).stored;
    const std::size_t left = send.job().batch().queue.size();
    ASSERT_GT(left, 0u);
    EXPECT_EQ(sent + static_cast<long long>(left), kCount);
    EXPECT_EQ(errorTexts(notifier), Events{writeFault(sent, left)});
    // Still the LMS job, so the next press sends what it left.
    EXPECT_EQ(lms.state().kind, MessageKind::Lms);
    EXPECT_EQ(send.job().batch().queue.front().number, number(static_cast<int>(sent) + 1));

    sendServer().clearQuirks();
    notifier.clear();
    events.clear();
    send.startSend();
    ASSERT_TRUE(test::runUntil([&] { return !send.job().running(); }, 30s));
    ASSERT_TRUE(finish());
    EXPECT_EQ(notifier.texts(), Events{"총 [" + std::to_string(left) + "] 건 전송이 완료되었습니다."});
    const auto jobs = serverJobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[1].announcedCount, static_cast<long long>(left));
    const auto rest = sendServer().store().records(jobs[1].id);
    ASSERT_EQ(rest.size(), left);
    EXPECT_EQ(rest.front().record.number, number(static_cast<int>(sent) + 1));
    EXPECT_EQ(rest.back().record.number, number(kCount));
    // With the queue through, the closed editor's return to SMS is done.
    EXPECT_EQ(lms.state().kind, MessageKind::Sms);
    EXPECT_TRUE(lms.state().smsBoxEnabled);
}

TEST_F(SendJobTest, AnAbandonedJobEndsCleanlyAndTheNextPressSendsExactlyTheRest) {
    constexpr int kCount = 20000;
    login();
    fillQueue(MessageKind::Sms, kCount);
    quirks([](qbs::SendQuirks& q) { q = qbs::SendQuirks::slowReader(); });
    // The program closes part way, from the event loop as a window does; the
    // job lets the loop run every few records, however fast the machine.
    job.setYieldInterval(0ms);
    progress.onValue = [&](std::int64_t v) {
        if (v == 500)
            QTimer::singleShot(0, &job, [&] { job.abandon(); });
    };
    start();
    ASSERT_TRUE(finish());
    progress.onValue = nullptr;
    const long long sent = job.stats().recordsWritten;
    const long long left = static_cast<long long>(jobBatch().queue.size());
    ASSERT_GT(left, 0);
    EXPECT_EQ(sent + left, kCount);
    EXPECT_EQ(job.connection(), nullptr);
    // The job says nothing and refreshes nothing (the refresh is the result's);
    // the service took every whole record written and no byte more.
    EXPECT_EQ(events, (Events{"running", "stopped", "refresh-balance",
                              "info:총 [" + std::to_string(sent) + "] 건 전송이 완료되었습니다."}));
    EXPECT_EQ(serverJobs().at(0).receivedBytes, job.stats().bytesWritten);
    EXPECT_EQ(jobBatch().queue.front().number, number(static_cast<int>(sent) + 1));

    events.clear();
    start();
    ASSERT_TRUE(finish());
    ASSERT_EQ(serverJobs().size(), 2u);
    expectEveryNumberOnceInOrder(*this, kCount);
}

TEST_F(SendJobTest, AServerThatStopsReadingEndsTheJobAndTheNextPressSendsExactlyTheRest) {
    // More than the socket buffers of both ends hold.
    constexpr int kCount = 60000;
    login();
    fillQueue(MessageKind::Sms, kCount);
    quirks([](qbs::SendQuirks& q) {
        q.receiveBuffer = 16 * 1024;
        q.stopReadingAfterRecords = 100;
    });
    shortTimeouts();
    start();
    ASSERT_TRUE(test::runUntil([&] { return !job.running(); }, 30s));
    // A stopped service cannot say what it holds: what went on the wire is
    // uncertain, what the client still held never leaves. The user takes the
    // uncertain records as sent ("아니요").
    const long long left = static_cast<long long>(jobBatch().queue.size());
    const long long onTheWire = kCount - left;
    ASSERT_GT(left, 0);
    EXPECT_LT(onTheWire, job.stats().recordsWritten) << "records the client still held go again";
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{
                  "네트워크 에러! 다시 시도해 주시기 바랍니다.\n전송이 중단되었습니다. [0]건 전송 확인, [" +
                  std::to_string(onTheWire) + "]건 확인 불가, [" + std::to_string(left) + "]건 미전송.\n" +
                  cp949::toUtf8(SendJob::resendUncertainQuestion(onTheWire))}));
    EXPECT_EQ(jobBatch().queue.front().number, number(static_cast<int>(onTheWire) + 1));

    // The service comes back and reads what reached it: exactly the records that
    // went on the wire whole; the one cut short is dropped.
    sendServer().resumeReading();
    ASSERT_TRUE(finish());
    EXPECT_EQ(serverJobs().at(0).stored, onTheWire);
    EXPECT_EQ(serverJobs().at(0).malformed, 0);

    notifier.clear();
    events.clear();
    sendServer().clearQuirks();
    // The rest is most of the job: a slow build's service must not look stalled.
    job.setTimeouts(NetTimeouts{});
    start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(notifier.texts(),
              std::vector<std::string>{"총 [" + std::to_string(left) + "] 건 전송이 완료되었습니다."});
    const auto jobs = serverJobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[1].announcedCount, left);
    expectEveryNumberOnceInOrder(*this, kCount);
}

TEST_F(SendJobTest, ARecordThatWouldBreakTheStreamOrPassTheLongestIsNeverWritten) {
    struct Row {
        const char* name;
        std::function<void(SendRecord&)> spoil;
        const char* message;
    };
    const Row rows[] = {
        {"a record end in the body",
         [](SendRecord& r) {
             r.body = "x\x02user01\x04"
                      "01099999999\x04"
                      "0212345678\x04"
                      "forged";
         },
         "사용할 수 없는 제어문자가 들어 있는 데이터가 있어 전송을 중단합니다."},
        // The server would refuse it while the job counted it as sent.
        {"4,096 bytes", [](SendRecord& r) { r.callbackNumber.resize(4096, '7'); },
         "4095바이트를 넘는 데이터가 있어 전송을 중단합니다."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        login();
        notifier.clear();
        fillQueue(MessageKind::Sms, 3);
        // Whatever put it in the queue, such a record stops the job.
        SendQueue& queue = staged().queue;
        std::vector<SendRecord> records = {queue.at(0), queue.at(1), queue.at(2)};
        row.spoil(records[1]);
        queue.clear();
        for (const SendRecord& r : records)
            queue.push_back(r);
        const std::size_t jobsBefore = serverJobs().size();
        start();
        ASSERT_TRUE(finish());
        EXPECT_EQ(notifier.texts(),
                  (std::vector<std::string>{std::string(row.message) +
                                                "\n전송이 중단되었습니다. [1]건 전송, [2]건 미전송.",
                                            "총 [1] 건 전송이 완료되었습니다."}));
        ASSERT_EQ(serverJobs().size(), jobsBefore + 1);
        EXPECT_EQ(storedRaw(jobsBefore).size(), 1u);
        EXPECT_EQ(serverJobs().at(jobsBefore).received, 1);
        ASSERT_EQ(jobBatch().queue.size(), 2u);
        EXPECT_EQ(jobBatch().queue.front().number, number(2));
        session.logout();
        ASSERT_TRUE(service.loginServer().waitForLogout("user01", 5s));
    }
}

TEST_F(SendJobTest, ASecondGoAheadDuringTheJobChangesNothing) {
    login();
    prepareSms(3, "once");
    quirks([](qbs::SendQuirks& q) {
        q.appendToReply = packet::encodeSendCheckAck(0, "XYZ", "2099-01-01 00:00:00", "OTHER");
    });
    start();
    ASSERT_TRUE(finish());
    EXPECT_EQ(state.sendCode, "SMS");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"총 [3] 건 전송이 완료되었습니다."});
    EXPECT_EQ(progress.ranges, std::vector<std::int64_t>{3});
}

TEST_F(SendJobTest, TheWebApplicationShowsWhatWasSentAndCharges) {
    login();
    qbs::Balance b;
    b.balance = "1000";
    service.service().webServer().store().setBalance("user01", b);
    prepareSms(3, "결과 <확인>");
    start();
    ASSERT_TRUE(finish());
    const qbs::Balance after = service.service().webServer().store().balance("user01");
    EXPECT_EQ(after.balance, "940");
    EXPECT_EQ(after.counts, (std::array<std::string, 3>{"3", "0", "0"}));

    std::string page;
    ASSERT_TRUE(
        HttpGetText(WebHost::from(service.config()), "ClientStatMgrd.jsp?mode=init&cid=user01", page));
    for (int i = 1; i <= 3; ++i)
        EXPECT_NE(page.find("<td>" + number(i) + "</td>"), std::string::npos) << i;
    EXPECT_NE(page.find(ko("결과 &lt;확인&gt;")), std::string::npos);
    EXPECT_NE(page.find(ko("완료")), std::string::npos);
}

// ---- Faults: what the service holds decides, and a crash loses nothing ----

TEST_F(SendJobTest, AJobCutShortGoesOnFromWhatTheServiceHoldsEvenAfterTheProgramEnds) {
    login();
    const std::string folder = JobJournal::folderOf(service.workdir());
    const auto parts = [&] {
        return SendSessionParts{
            notifier, progress, progress,        state, RejectTable::inWorkingFolder(service.workdir()),
            dialogs,  editors,  service.config()};
    };
    long long heldAfterFault = 0;
    {
        SendSession first(parts());
        first.setWorkingFolder(service.workdir());
        loginHost.onSendResult = [&](int r, int c) { first.sendResultArrived(r, c); };
        fillQueue(first.job(), MessageKind::Sms, 5000);
        first.job().prepareJournal(first.job().batch()); // as the preview does
        // The service drops the connection, and with it what its socket held.
        quirks([](qbs::SendQuirks& q) {
            q = qbs::SendQuirks::slowReader();
            q.closeAfterRecords = 1000;
        });
        first.startSend();
        // The service's own report of the short job comes last, whether the client
        // met the drop while writing or only afterwards.
        const auto reported = [&] {
            const std::vector<std::string> t = notifier.texts();
            return !first.job().running() && !t.empty() &&
                   (t.back().find("건 전송이 완료되었습니다.") != t.back().npos ||
                    t.back().find("남은 건을 전송합니다.") != t.back().npos);
        };
        ASSERT_TRUE(test::runUntil(reported, 60s)) << ::testing::PrintToString(notifier.texts());
        heldAfterFault = serverJobs().at(0).stored;
        const std::string held = std::to_string(heldAfterFault), left = std::to_string(5000 - heldAfterFault);
        // Counted from what the service holds, never from what the socket took.
        // Met while writing, the rest goes to the journal and waits for a resume.
        const std::vector<std::string> whileWriting{
            "네트워크 에러! 다시 시도해 주시기 바랍니다.\n전송이 중단되었습니다. [" + held + "]건 전송, [" +
            left + "]건 미전송.\n이어서 전송을 누르면 남은 건을 전송합니다."};
        const std::vector<std::string> afterwards{"서버가 [" + held + "]건만 받았습니다. 나머지 [" + left +
                                                      "]건은 이어서 전송을 누르면 전송됩니다.",
                                                  "총 [" + held + "] 건 전송이 완료되었습니다."};
        EXPECT_TRUE(notifier.texts() == whileWriting || notifier.texts() == afterwards)
            << ::testing::PrintToString(notifier.texts());
        EXPECT_EQ(first.job().batch().queue.size(),
                  notifier.texts() == whileWriting ? 0u : static_cast<std::size_t>(5000 - heldAfterFault));
        EXPECT_EQ(first.job().pendingJournal().empty(), notifier.texts() != whileWriting);
        EXPECT_GT(first.job().stats().recordsWritten, heldAfterFault)
            << "the socket took more than was stored";
        // The program ends here without sending the rest.
    }
    ASSERT_EQ(JobJournal::pending(folder, "user01").size(), 1u);
    sendServer().clearQuirks();
    notifier.clear();

    SendSession second(parts());
    second.setWorkingFolder(service.workdir());
    loginHost.onSendResult = [&](int r, int c) { second.sendResultArrived(r, c); };
    notifier.answerNext(true); // send the rest now
    second.offerInterruptedJobs();
    ASSERT_TRUE(test::runUntil(
        [&] {
            return !second.job().running() && serverJobs().size() == 2 && !notifier.texts().empty() &&
                   notifier.texts().back().find("건 전송이 완료되었습니다.") != std::string::npos;
        },
        60s));
    const std::string left = std::to_string(5000 - heldAfterFault);
    EXPECT_EQ(notifier.texts(), (std::vector<std::string>{
                                    "이전에 중단된 전송이 있습니다. SMS 전체 [5000]건 중 [" +
                                        std::to_string(heldAfterFault) + "]건 전송 확인, [0]건 확인 불가, [" +
                                        left + "]건 미전송.\n남은 건을 지금 전송하시겠습니까?",
                                    "총 [" + left + "] 건 전송이 완료되었습니다."}));
    // Every number once, in order; the journal is gone with the whole job taken.
    expectEveryNumberOnceInOrder(*this, 5000);
    EXPECT_TRUE(JobJournal::pending(folder, "user01").empty());
    loginHost.onSendResult = nullptr;
}
