#include "FormTestSupport.h"

#include "net/MessageRecord.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qb;
using namespace qb::test;

namespace {

const char* const kSummaryCaption = " 발송데이터 확인!";

std::string summary(long long total, long long dup, long long rej, long long err, long long queued,
                    const std::string& corrected = "") {
    return "총 데이터 [" + std::to_string(total) + "] 건\n중복제거 [" + std::to_string(dup) +
           "] 건\n수신거부 [" + std::to_string(rej) + "] 건\n번호형식오류 [" + std::to_string(err) +
           "] 건\n" + corrected + "전송할 데이터 [" + std::to_string(queued) + "] 건";
}

// The queued numbers in order.
Strings queuedNumbers(const FormFixture& f) {
    Strings out;
    for (std::size_t i = 0; i < f.batch().queue.size(); ++i)
        out.push_back(f.batch().queue.at(i).number);
    return out;
}

Strings reservations(const FormFixture& f) {
    Strings out;
    for (std::size_t i = 0; i < f.batch().queue.size(); ++i)
        out.push_back(cp949::toUtf8(f.batch().queue.at(i).reservation));
    return out;
}

std::string numbered(int i) {
    return "010" + std::to_string(10000000 + i);
}

} // namespace

TEST(Validation, ChecksRunInOrderWithTheirMessages) {
    using Setup = std::function<void(FormFixture&)>;
    using K = MessageKind;
    const auto splitting = [](const char* count, bool minutes) -> Setup {
        return [=](FormFixture& f) {
            f.state().splitOn = true;
            if (count)
                f.state().splitCount = count;
            if (minutes)
                f.state().splitMinutes.select(0);
        };
    };
    const auto range = [](const char* from, const char* to) -> Setup {
        return [=](FormFixture& f) {
            if (from)
                f.state().rangeFrom = from;
            if (to)
                f.state().rangeTo = to;
        };
    };
    const auto editor = [](MessageKind kind, const std::optional<EditorContent>& content) -> Setup {
        return [=](FormFixture& f) {
            f.state().kind = kind;
            (kind == K::Lms ? f.editors.lms : f.editors.mms) = content;
        };
    };
    struct Case {
        const char* message;
        Setup setup;
    } cases[] = {
        {"수신번호열 를 선택해주세요.", [](FormFixture& f) { f.state().numberColumn.select(0); }},
        {"회신번호를 확인해주세요.", [](FormFixture& f) { f.state().callbackList.fill({}); }},
        {"회신번호를 확인해주세요.", [](FormFixture& f) { f.state().callbackList.selected = -1; }},
        {"메세지조합기능를 확인해주세요.", [](FormFixture& f) { f.state().mergeOn[2] = true; }},
        {"분할전송을 확인해주세요.", splitting(nullptr, true)},
        {"분할전송을 확인해주세요.", splitting("0", true)},
        {"분할전송을 확인해주세요.", splitting("1x", true)},
        {"분할전송을 확인해주세요.", splitting("10", false)},
        {"전송범위지정을 확인해주세요.", range(nullptr, "")},
        {"전송범위지정을 확인해주세요.", range("0", nullptr)},
        {"전송범위지정을 확인해주세요.", range("-1", nullptr)},
        {"전송범위지정을 확인해주세요.", range("a", nullptr)},
        {"전송범위지정을 확인해주세요.", range("3", "2")},
        {"전송메세지를 입력해주세요.", [](FormFixture& f) { f.state().smsText.clear(); }},
        {"LMS 문자 편집창을 실행해 주세요!", editor(K::Lms, std::nullopt)},
        {" [LMS] 전송메세지를 입력해주세요.", editor(K::Lms, EditorContent{"t", true, "body", false, {}})},
        {" [LMS] 전송메세지를 입력해주세요.", editor(K::Lms, EditorContent{"t", true, "", true, {}})},
        {"[MMS] 문자 편집창을 실행해 주세요!", editor(K::Mms, std::nullopt)},
        {" [MMS] 사진을 선택해주세요.", editor(K::Mms, EditorContent{"t", true, "body", true, {}})},
        {" [MMS] 전송메세지를 입력해주세요.",
         editor(K::Mms, EditorContent{"t", true, "body", false, {PictureSlot{"/p.jpg", 10, 20}, {}, {}}})},
    };
    for (const Case& c : cases) {
        FormFixture f;
        f.loadRows({{"01011112222", "x"}});
        f.prepareSms("hello");
        // A previous queue is gone after any stop past the lock.
        ASSERT_TRUE(f.form.validateAndPreview());
        f.loadRows({{"01011112222", "x"}});
        f.state().numberColumn.select(1);
        f.notifier.clear();
        c.setup(f);
        EXPECT_FALSE(f.form.validateAndPreview()) << c.message;
        EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{errorBox(c.message)}) << c.message;
        EXPECT_TRUE(f.batch().queue.empty()) << c.message;
        EXPECT_EQ(f.state().table.columnCount(), 3) << c.message; // table untouched
    }
}

// Duplicates and reject matches by digits; the digits are what is queued.
TEST(Validation, CountsFormatErrorsDuplicatesAndRejects) {
    struct Case {
        const char* name;
        const char* numbers; // split at '|'
        bool dedup, reject;
        std::string rejectFile;
        long long dup, rej, err;
        const char* queued;
    } cases[] = {
        {"lengths, hyphens dropped", "01012345678|0101234567|010-1234-5678|0101", true, true, "", 1, 0, 1,
         "01012345678|0101234567"},
        {"8 and 15 pass, 7 and 16 fail", "12345678|123456789012345|1234567|1234567890123456", true, true, "",
         0, 0, 2, "12345678|123456789012345"},
        {"duplicate keeps the first", "01099998888|01011112222|01033334444|01011112222", true, true, "", 1, 0,
         0, "01099998888|01011112222|01033334444"},
        {"dedup off, one reject removes one copy", "01011112222|01033334444|01011112222", false, true,
         "01011112222\n", 0, 1, 0, "01033334444|01011112222"},
        {"a reject listed twice removes one deduplicated copy", "01011112222|01011112222|01033334444", true,
         true, "01011112222 01011112222\n", 1, 1, 0, "01033334444"},
        {"rejects compare digits", "01011112222|01033334444", true, true, "010-1111-2222\n0103333444\n", 0, 1,
         0, "01033334444"},
        {"reject off", "01011112222", true, false, "01011112222\n", 0, 0, 0, "01011112222"},
        {"prefix is not equal", "010111122223|01011112222", true, true, "01011112222\n", 0, 1, 0,
         "010111122223"},
        {"written three ways, one person", "010-2468-1357|01024681357|010 2468 1357|01011112222", true, true,
         "", 2, 0, 0, "01024681357|01011112222"},
        {"a header line is a format error", "phone_number|01024681357|HP-01011112222", true, true, "", 0, 0,
         2, "01024681357"},
        {"a reject written with hyphens removes the plain number", "01024681357|01011112222", true, true,
         "010-2468-1357\n", 0, 1, 0, "01011112222"},
        {"a plain reject removes a number written with hyphens", "010-2468-1357|01011112222", true, true,
         "01024681357 x-y-z\n", 0, 1, 0, "01011112222"},
        {"dedup off: both forms stay, one reject removes one", "010-2468-1357|01024681357", false, true,
         "01024681357\n", 0, 1, 0, "01024681357"},
    };
    for (const Case& c : cases) {
        FormFixture f;
        if (!c.rejectFile.empty())
            f.useRejectFile(c.rejectFile);
        const Strings numbers = split(c.numbers), queued = split(c.queued);
        f.loadNumbers(numbers);
        f.prepareSms("hi");
        f.state().dedupOn = c.dedup;
        f.state().rejectOn = c.reject;
        ASSERT_TRUE(f.form.validateAndPreview()) << c.name;
        EXPECT_EQ(queuedNumbers(f), queued) << c.name;
        ASSERT_EQ(f.notifier.shown().size(), 1u) << c.name;
        const Shown& box = f.notifier.shown()[0];
        EXPECT_EQ(box.utf8(), summary(static_cast<long long>(numbers.size()), c.dup, c.rej, c.err,
                                      static_cast<long long>(queued.size())))
            << c.name;
        EXPECT_EQ(cp949::toUtf8(box.caption), kSummaryCaption);
        EXPECT_EQ(box.icon, MessageIcon::None);
        const ValidationCounts& n = f.form.lastCounts();
        EXPECT_EQ(std::tuple(n.duplicates, n.rejected, n.formatErrors), std::tuple(c.dup, c.rej, c.err))
            << c.name;
    }
}

// Corrected numbers are compared, rejected and sent in their domestic form.
TEST(Validation, CorrectedNumbersAreCountedAfterTheFormatErrors) {
    FormFixture f;
    f.useRejectFile("+82-10-5555-6666\n");
    f.loadNumbers({"+82 10-3456-7804", "01034567804", "1012345678", "01055556666", "+1 555 1234 567"});
    f.prepareSms("hi");
    ASSERT_TRUE(f.form.validateAndPreview());
    EXPECT_EQ(queuedNumbers(f), (Strings{"01034567804", "01012345678"}));
    EXPECT_EQ(f.notifier.shown().at(0).utf8(), summary(5, 1, 1, 1, 2, "번호보정 [2] 건\n"));
}

// Rows whose message would carry an empty merge value or a '?' the load wrote are
// named first, by data row with or without a header line; "아니요" leaves no batch.
// A '?' the file itself holds is no finding.
TEST(Validation, EmptyMergeValuesAndReplacedCharactersAreAskedAbout) {
    for (const bool header : {false, true}) {
        SCOPED_TRACE(header);
        FormFixture f;
        std::string file = std::string(header ? "\xF0\x9F\x93\x9E,name\n" : "") + numbered(1) + ",김\n" +
                           numbered(2) + ",a\xF0\x9F\x98\x80\n" + numbered(3) + ",?\n";
        for (int i = 4; i <= 14; ++i)
            file += numbered(i) + ", \n";
        f.state().delimiterField = ",";
        f.state().headerRow = header;
        f.form.imports().importTextPaths({f.dir.write("r.txt", file)});
        f.prepareSms("<@1@>님");
        f.state().mergeOn[0] = true;
        f.state().mergeColumn[0].select(2);
        f.notifier.clear();
        EXPECT_FALSE(f.form.validateAndPreview());
        EXPECT_EQ(
            f.notifier.texts(),
            Strings{
                "메시지 조합 값이 비어 있는 행이 [11] 건 있습니다. (행 4, 5, 6, 7, 8, 9, 10, 11, 12, 13 외)\n"
                "CP949로 바꿀 수 없어 '?'로 바뀐 글자가 들어간 행이 [1] 건 있습니다. (행 2)\n"
                "계속하시겠습니까?"});
        EXPECT_EQ(f.form.prepared(), nullptr);
        f.notifier.answerNext(true);
        ASSERT_TRUE(f.form.validateAndPreview());
        EXPECT_EQ(f.batch().queue.size(), 14u);
    }
}

TEST(Validation, RangeCountsFinalListPositionsAndClampsTheEnd) {
    struct Case {
        const char* from;
        const char* to;
        Strings queued;
        const char* toAfter;
    } cases[] = {
        {"3", "10", {"01000000003", "01000000004", "01000000005", "01000000006"}, "6"},
        {"1", "2", {"01000000001", "01000000002"}, "2"},
        {" 2", "2 ", {"01000000002"}, "2 "},
        {"8", "10", {}, "6"},
        {"6", "6", {"01000000006"}, "6"},
    };
    for (const Case& c : cases) {
        FormFixture f;
        // Row 2 has a bad number, so positions skip it.
        f.loadNumbers({"01000000001", "bad", "01000000002", "01000000003", "01000000004", "01000000005",
                       "01000000006"});
        f.prepareSms("hi");
        f.state().rangeFrom = c.from;
        f.state().rangeTo = c.to;
        ASSERT_TRUE(f.form.validateAndPreview());
        EXPECT_EQ(queuedNumbers(f), c.queued) << c.from << ".." << c.to;
        EXPECT_EQ(f.state().rangeTo, c.toAfter);
        EXPECT_EQ(f.notifier.shown()[0].utf8(), summary(7, 0, 0, 1, static_cast<long long>(c.queued.size())));
        EXPECT_EQ(f.state().table.rowCount(), static_cast<int>(c.queued.size()) + 1);
    }
}

// Every record carries its slice's stamp, across the blocks the queue is made in;
// a slice past the last four-digit year stops the preview.
TEST(Validation, SplitSlicesGetTimeStampsInKoreanTime) {
    struct Case {
        const char* name;
        int records;
        const char* count;
        int minutesItem; // index in the split minutes list
        bool reserved;
        LocalTime date; // reservation date, or the clock when immediate
        int hour, minute;
        const char* slices; // the stamp of each slice in turn, split at '|'; nullptr: refused
    } cases[] = {
        {"reserved 100 per 10 min", 250, "100", 9, true, LocalTime{2024, 1, 1}, 9, 0,
         "2024-01-01 09:00:00|2024-01-01 09:10:00|2024-01-01 09:20:00"},
        {"slices across the blocks the queue is made in", 9000, "3000", 9, true, LocalTime{2024, 1, 1}, 9, 0,
         "2024-01-01 09:00:00|2024-01-01 09:10:00|2024-01-01 09:20:00"},
        {"immediate 30 per 5 min", 65, "30", 4, false, LocalTime{2024, 5, 6, 10, 0, 20}, 0, 0,
         "2024-05-06 10:00:20|2024-05-06 10:05:20|2024-05-06 10:10:20"},
        {"year roll-over", 2, "1", 9, true, LocalTime{2024, 12, 31}, 23, 10,
         "2024-12-31 23:50:00|2025-01-01 00:00:00"},
        {"leap day roll-over", 3, "1", 11, true, LocalTime{2024, 2, 28}, 23, 0,
         "2024-02-28 23:00:00|2024-02-28 23:30:00|2024-02-29 00:00:00"},
        {"month roll-over, 60 minutes", 2, "1", 14, false, LocalTime{2023, 4, 30, 23, 30, 0}, 0, 0,
         "2023-04-30 23:30:00|2023-05-01 00:30:00"},
        {"reserved, second slice in year 10000", 2, "1", 9, true, LocalTime{9999, 12, 31}, 23, 11, nullptr},
        {"reserved, one slice", 2, "2", 9, true, LocalTime{9999, 12, 31}, 23, 11, "9999-12-31 23:55:00"},
        {"immediate, second slice a minute after the end", 2, "1", 0, false,
         LocalTime{9999, 12, 31, 23, 59, 30}, 0, 0, nullptr},
        {"immediate, last second", 1, "1", 0, false, LocalTime{9999, 12, 31, 23, 59, 59}, 0, 0,
         "9999-12-31 23:59:59"},
    };
    // Each case in each of the zones.
    for (std::size_t i = 0; i < std::size(cases) * std::size(kZones); ++i) {
        const Case& c = cases[i / std::size(kZones)];
        const ZoneAt zone(kZones[i % std::size(kZones)]);
        SCOPED_TRACE(std::string(c.name) + " in " + kZones[i % std::size(kZones)]);
        ClockAt clock(fromKorean(c.date));
        FormFixture f;
        f.loadNumbered(c.records);
        f.prepareSms("hi");
        f.state().splitOn = true;
        f.form.onSplitSwitch();
        f.state().splitCount = c.count;
        f.state().splitMinutes.select(c.minutesItem);
        if (c.reserved) {
            f.form.onReservedChosen();
            f.state().reservationHour.select(c.hour);
            f.state().reservationMinute.select(c.minute);
        }
        if (!c.slices) {
            EXPECT_FALSE(f.form.validateAndPreview());
            EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{errorBox("분할전송을 확인해주세요.")});
            EXPECT_TRUE(f.batch().queue.empty());
            EXPECT_TRUE(f.state().previewEnabled);
            continue;
        }
        ASSERT_TRUE(f.form.validateAndPreview());
        const Strings stamps = reservations(f), slices = split(c.slices);
        const std::size_t perSlice = std::stoul(c.count);
        ASSERT_EQ(stamps.size(), static_cast<std::size_t>(c.records));
        ASSERT_EQ((stamps.size() + perSlice - 1) / perSlice, slices.size());
        for (std::size_t r = 0; r < stamps.size(); ++r)
            ASSERT_EQ(stamps[r], slices[r / perSlice]) << "record " << r;
    }
}

TEST(Validation, ReservationWithoutSplitAndImmediate) {
    ClockAt clock(fromKorean({2016, 9, 10, 8, 0, 0}));
    FormFixture f;
    f.loadRows({{"01011112222"}});
    f.prepareSms("hi");
    ASSERT_TRUE(f.form.validateAndPreview());
    EXPECT_EQ(reservations(f), Strings{"즉시전송"});

    f.loadRows({{"01011112222"}});
    f.state().numberColumn.select(1);
    f.form.onReservedChosen();
    f.state().reservationHour.select(9);
    f.state().reservationMinute.select(6);
    ASSERT_TRUE(f.form.validateAndPreview());
    EXPECT_EQ(reservations(f), Strings{"2016-09-10 09:30:00"});
    EXPECT_EQ(f.batch().settings.reservationDate, "2016-09-10");
    EXPECT_EQ(f.batch().settings.reservationHour, "09");
    EXPECT_EQ(f.batch().settings.reservationMinute, "30");
}

TEST(Validation, MergeFieldsComposeAndAPreviewAgainTakesTheKeptRecipients) {
    FormFixture f;
    f.loadRows({{"01011112222", "Kim"}, {"01033334444", "Lee"}});
    f.prepareSms("<@1@>\r\nhello <@2@>");
    f.state().mergeOn[0] = true;
    f.form.onMergeSwitch(1);
    f.state().mergeColumn[0].select(2);
    ASSERT_TRUE(f.form.validateAndPreview());
    EXPECT_EQ(cp949::toUtf8(f.batch().settings.mergeColumn[0]), "2 열");
    ASSERT_EQ(f.batch().queue.size(), 2u);
    EXPECT_EQ(f.batch().queue.at(1).body, "Lee\nhello <@2@>");
    EXPECT_EQ(f.batch().queue.at(1).displayBody, "Lee  hello <@2@>");
    EXPECT_TRUE(f.state().mergeLock);

    // The recipients behind the merged preview are read again.
    f.state().mergeColumn[0].select(1);
    ASSERT_TRUE(f.form.validateAndPreview());
    EXPECT_EQ(f.cell(2, 3), "01033334444  hello <@2@>");

    // With nothing kept behind a merged table, there is nothing to read again.
    f.form.loadDirectEntry("01055556666");
    f.state().mergeLock = true;
    f.notifier.clear();
    EXPECT_FALSE(f.form.validateAndPreview());
    EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{errorBox("전송메시지를 다시 세팅해 주세요.!")});
    EXPECT_EQ(f.batch().queue.size(), 2u); // the previous queue can still be sent
    f.form.resetForm();
    EXPECT_FALSE(f.state().mergeLock);
    EXPECT_TRUE(f.batch().queue.empty());
}

TEST(Validation, AMergeValueOverTheLimitStopsTheWholeRun) {
    FormFixture f;
    f.loadRows({{"01011112222", "short"}, {"01033334444", std::string(80, 'x')}});
    f.prepareSms(std::string(20, 'a') + "<@1@>");
    f.state().mergeOn[0] = true;
    f.state().mergeColumn[0].select(2);
    EXPECT_FALSE(f.form.validateAndPreview()); // LMS offered, declined
    EXPECT_EQ(f.notifier.shown().back(), errorBox("[SMS] 내용이 90바이트 이상입니다.!"));
    EXPECT_TRUE(f.batch().queue.empty());
    EXPECT_EQ(f.batch().bytes, 0);
    EXPECT_EQ(f.progress.value, 0);
    EXPECT_TRUE(f.state().previewEnabled);
    EXPECT_TRUE(f.state().sendEnabled);
    EXPECT_FALSE(f.state().mergeLock);
}

TEST(Validation, BytesThatWouldBreakARecordNeverReachTheQueue) {
    // 0x02 ends a record on the wire, 0x04 a field, and a NUL ends the server's text.
    for (const std::string& bad : {std::string(1, '\0'), std::string("\x02"), std::string("\x04")}) {
        SCOPED_TRACE(static_cast<int>(bad[0]));
        struct Case {
            const char* message;
            std::function<void(FormFixture&)> setup;
        } cases[] = {
            {"회신번호에 사용할 수 없는 제어문자가 들어 있습니다.",
             [&](FormFixture& f) { f.state().callbackList.fill({"0212" + bad + "345678"}); }},
            {"전송메세지에 사용할 수 없는 제어문자가 들어 있습니다.",
             [&](FormFixture& f) { f.form.onMessageEdited("hi" + bad + "there"); }},
            {"제목에 사용할 수 없는 제어문자가 들어 있습니다.",
             [&](FormFixture& f) {
                 f.state().kind = MessageKind::Lms;
                 f.editors.lms = EditorContent{"t" + bad, true, "body", true, {}};
             }},
            {"전송메세지에 사용할 수 없는 제어문자가 들어 있습니다.",
             [&](FormFixture& f) {
                 f.state().kind = MessageKind::Mms;
                 f.editors.mms =
                     EditorContent{"t", true, bad + "body", true, {PictureSlot{"/p.jpg", 10, 20}}};
             }},
        };
        for (const Case& c : cases) {
            FormFixture f;
            f.loadRows({{"01011112222"}});
            f.prepareSms("hello");
            c.setup(f);
            EXPECT_FALSE(f.form.validateAndPreview()) << c.message;
            EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{errorBox(c.message)});
            EXPECT_TRUE(f.batch().queue.empty());
        }

        // A row whose number or bound merge value holds one is a number-format error.
        FormFixture f;
        f.loadRows({{"01011112222", "Kim", "x"},
                    {"01033334444", "Lee", "y"},
                    {"01055556666", "Park", "z"},
                    {"01077778888", "Choi", "w"}});
        f.state().table.setCell(2, 1, "0103333" + bad + "444");
        f.state().table.setCell(3, 2, "Pa" + bad + "01099990000");
        f.state().table.setCell(4, 3, "not bound" + bad); // no merge field reads column 3
        f.prepareSms("<@1@> hello");
        f.state().mergeOn[0] = true;
        f.state().mergeColumn[0].select(2);
        ASSERT_TRUE(f.form.validateAndPreview());
        EXPECT_EQ(f.notifier.shown().back().utf8(), summary(4, 0, 0, 2, 2));
        EXPECT_EQ(queuedNumbers(f), (Strings{"01011112222", "01077778888"}));
        EXPECT_EQ(f.batch().queue.at(1).body, "Choi hello");
    }
}

TEST(Validation, ARecordLongerThanTheServerTakesStopsTheRun) {
    // An immediate LMS record, the check reply's texts counted at their widths:
    // id 6, number 11, callback, title 1, body 2000, "0.0", "N", time 24, user
    // number 9, code 4, tag 8, user tag 5, time 24, and 13 separators.
    const std::size_t longestCallback =
        kMaxRecordBytes - (6 + 11 + 1 + 2000 + 3 + 1 + 24 + 9 + 4 + 8 + 5 + 24 + 13);
    for (const std::size_t callback : {longestCallback, longestCallback + 1}) {
        const bool fits = callback == longestCallback;
        FormFixture f;
        f.login.userId = "user01";
        f.login.userNumber = "123456789";
        f.login.userTag = "TAG01";
        f.loadRows({{"01011112222"}, {"01033334444"}});
        f.prepareSms("x");
        f.state().kind = MessageKind::Lms;
        f.editors.lms = EditorContent{"t", true, std::string(2000, 'b'), true, {}};
        f.state().callbackList.fill({std::string(callback, '7')});
        EXPECT_EQ(f.form.validateAndPreview(), fits) << callback;
        EXPECT_EQ(f.batch().queue.size(), fits ? 2u : 0u) << callback;
        if (!fits) {
            EXPECT_EQ(
                f.notifier.shown(),
                std::vector<Shown>{errorBox(
                    "전송데이터 한 건이 4095바이트를 넘습니다. 회신번호와 전송메세지를 확인해주세요.")});
            EXPECT_EQ(f.batch().bytes, 0);
            EXPECT_TRUE(f.state().sendEnabled);
        }
    }
}

TEST(Validation, PreviewLayoutBySmsAndLongKinds) {
    FormFixture f;
    f.loadRows({{"01011112222"}, {"0111234567"}, {"010123456789"}});
    f.prepareSms("a\r\nb");
    ASSERT_TRUE(f.form.validateAndPreview());
    const RecipientTable& t = f.state().table;
    EXPECT_EQ(f.headers(), (Strings{" 번 호 ", " 수신번호 ", " 회신번호 ", " 내 용 ", " 예약일자 "}));
    EXPECT_EQ(f.column(1), (Strings{"010-1111-2222", "011-123-4567", "010123456789"}));
    EXPECT_EQ(f.column(0), (Strings{"1", "2", "3"}));
    EXPECT_EQ(f.cell(2, 2), "0212345678");
    EXPECT_EQ(f.cell(2, 3), "a  b");
    EXPECT_EQ(f.cell(2, 4), "즉시전송");
    const std::vector<int> widths{50, 100, 100, 400, 200};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(t.columnWidth(c), widths[static_cast<std::size_t>(c)]);
        EXPECT_EQ(t.background(0, c), colours::header);
    }
    EXPECT_EQ(t.background(1, 1), colours::numberColumn);
    EXPECT_EQ(t.background(1, 2), colours::callback);
    EXPECT_EQ(t.background(1, 3), colours::body);
    EXPECT_EQ(t.background(1, 4), colours::reservation);
    EXPECT_EQ(f.progress.value, 0);

    FormFixture l;
    l.form.onKindChosen(MessageKind::Lms);
    l.loadRows({{"01011112222"}});
    l.prepareSms("");
    l.editors.lms = EditorContent{ko("제목"), true, "body\r\n", true, {}};
    ASSERT_TRUE(l.form.validateAndPreview());
    EXPECT_EQ(l.headers(),
              (Strings{" 번 호 ", " 수신번호 ", " 회신번호 ", " 제 목 ", " 내 용 ", " 예약일자 "}));
    EXPECT_EQ(l.cell(1, 3), "제목");
    EXPECT_EQ(l.cell(1, 4), "body  ");
    EXPECT_EQ(l.state().table.columnWidth(3), 100);
    EXPECT_EQ(l.state().table.background(1, 3), colours::body);
    EXPECT_EQ(l.state().table.background(1, 5), colours::reservation);

    // An untouched title is not used.
    l.loadRows({{"01011112222"}});
    l.state().numberColumn.select(1);
    l.editors.lms->titleTouched = false;
    ASSERT_TRUE(l.form.validateAndPreview());
    EXPECT_EQ(l.batch().queue.front().title, "");
}

TEST(Validation, ByteTotalAndPicturesFollowTheRecordEstimate) {
    FormFixture f;
    f.login.userId = "user01";
    f.login.userNumber = "123";
    f.login.userTag = "TAG";
    f.form.onKindChosen(MessageKind::Mms);
    f.loadRows({{"01011112222"}, {"0101234567"}});
    f.prepareSms("");
    f.editors.mms =
        EditorContent{"Title",
                      true,
                      "Body",
                      true,
                      {PictureSlot{}, PictureSlot{"/a.jpg", 640, 480}, PictureSlot{"/b.jpg", 1024, 768}}};
    ASSERT_TRUE(f.form.validateAndPreview());
    EXPECT_EQ(f.batch().pictureCount, 2);
    EXPECT_EQ(f.batch().settings.pictures[0].path, "/a.jpg");
    EXPECT_EQ(f.batch().settings.pictures[1].width, 1024);
    EXPECT_TRUE(f.batch().settings.pictures[2].empty());
    // id 6 + number + callback 10 + body 4 + "0.0" 3 + 3 + 3 + 59, title 5 + 1,
    // pictures 2 * (6 + 22) + 3, sizes "640480" and "1024768" 13, separators 6.
    const long long fixed = 6 + 10 + 4 + 3 + 3 + 3 + 59 + 5 + 1 + 2 * 28 + 3 + 13 + 6;
    EXPECT_EQ(f.batch().bytes, (fixed + 11) + (fixed + 10));

    // The next run starts its total afresh.
    f.loadRows({{"01011112222"}});
    f.state().numberColumn.select(1);
    ASSERT_TRUE(f.form.validateAndPreview());
    EXPECT_EQ(f.batch().bytes, fixed + 11);
}

TEST(Validation, TheCallbackNumberIsTheItemChosenOrTheNumberTyped) {
    FormFixture f;
    f.loadRows({{"01011112222"}});
    f.prepareSms("hello");
    f.form.setCallbackChoices({"0212345678", "0311112222"});

    struct Step {
        std::function<void()> act;
        const char* used;
        int selected;
    } steps[] = {
        {[&] { f.form.onCallbackChosen(1); }, "0311112222", 1},
        {[&] { f.form.onCallbackEdited("0507778888"); }, "0507778888", -1},
        {[&] { f.form.onCallbackEdited("0212345678"); }, "0212345678", 0},
        {[&] { f.form.onCallbackEdited("050777"); }, "050777", -1},
        {[&] { f.form.onCallbackChosen(7); }, "050777", -1}, // no such item: nothing changes
        {[&] { f.form.onCallbackChosen(1); }, "0311112222", 1},
        // Typing stops at 15 bytes, never inside a two-byte character.
        {[&] { f.form.onCallbackEdited("0123456789012345"); }, "012345678901234", -1},
        {[&] { f.form.onCallbackEdited("01234567890123" + ko("가")); }, "01234567890123", -1},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(f.form.callbackNumber(), s.used);
        EXPECT_EQ(f.state().callbackList.selected, s.selected) << s.used;
    }
    f.form.onCallbackEdited("0507778888");
    f.state().mergeLock = false;
    ASSERT_TRUE(f.form.validateAndPreview());
    EXPECT_EQ(f.batch().queue.at(0).callbackNumber, "0507778888");
    EXPECT_EQ(f.cell(1, 2), "0507778888");

    // The reset keeps the box; the service's list replaces it.
    f.form.resetForm();
    EXPECT_EQ(f.form.callbackNumber(), "0507778888");
    f.form.setCallbackChoices({});
    EXPECT_EQ(f.form.callbackNumber(), "");
}
