#include "DryRun.h"
#include "FormTestSupport.h"
#include "common/ProfileFile.h"
#include "send/RejectListModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <sstream>
#include <sys/stat.h>

using namespace qb;
using namespace qb::test;

TEST(RejectList, KeysAreRejectZeroAndTwoDigits) {
    EXPECT_EQ(rejectKey(1), "Reject_001");
    EXPECT_EQ(rejectKey(50), "Reject_050");
    EXPECT_EQ(rejectKey(51), "Reject_051");
    EXPECT_EQ(rejectKey(100), "Reject_0100");
}

TEST(RejectList, ValuesAndTheActiveRule) {
    struct Case {
        const char* value;
        bool empty, active;
        const char* name;
        const char* path;
    } cases[] = {
        {"TRUE,list.txt,/home/u/list.txt", false, true, "list.txt", "/home/u/list.txt"},
        {"FALSE,list.txt,/home/u/list.txt", false, false, "list.txt", "/home/u/list.txt"},
        {"TRUE,list.txt,/home/FALSE/list.txt", false, false, "list.txt", "/home/FALSE/list.txt"},
        {"TRUE,NONE.txt,/x/NONE.txt", false, false, "NONE.txt", "/x/NONE.txt"},
        {"TRUE,,a.txt,,,/x/a.txt", false, true, "a.txt", "/x/a.txt"},
        {"NONE,", true, false, "", ""},
        {"", true, false, "", ""},
        {"TRUE,a.txt", true, false, "", ""},
        // Commas inside a path or name: the split where the path ends in the name wins.
        {"TRUE,b.txt,/x/a,b/b.txt", false, true, "b.txt", "/x/a,b/b.txt"},
        {"TRUE,a,b.txt,/x/a,b.txt", false, true, "a,b.txt", "/x/a,b.txt"},
        {"TRUE,a.txt,/x/a.txt,", false, true, "a.txt", "/x/a.txt"},
    };
    for (const Case& c : cases) {
        const RejectEntry e = parseRejectValue(c.value);
        EXPECT_EQ(e.emptySlot, c.empty) << c.value;
        EXPECT_EQ(e.active, c.active) << c.value;
        if (!c.empty) {
            EXPECT_EQ(e.name, c.name) << c.value;
            EXPECT_EQ(e.path, c.path) << c.value;
        }
    }
}

TEST(RejectList, LoadReadsActiveFilesFromEntry50DownWithRunningSeq) {
    TempDir dir;
    const std::string a = dir.write("a.txt", "01011112222 01033334444\r\n01055556666\n");
    const std::string b = dir.write("b.txt", "\t0109999\n" + std::string(40, '7') + "\n01011112222");
    const std::string off = dir.write("off.txt", "01000000000\n");
    dir.write("msg/RAZIDODU.ini", "[Reject]\r\nReject_001=TRUE,a.txt," + a + "\r\nReject_002=FALSE,off.txt," +
                                      off + "\r\nReject_003=TRUE,gone.txt," + dir.file("gone.txt") +
                                      "\r\nReject_050=TRUE,b.txt," + b + "\r\n");
    const RejectTable table = RejectTable::inWorkingFolder(dir.path());
    const std::vector<RecipientEntry> list = loadRejectNumbers(table);
    Strings numbers;
    std::vector<long long> seqs;
    for (const auto& e : list) {
        numbers.push_back(e.number);
        seqs.push_back(e.seq);
    }
    // Tokens longer than 23 bytes are kept whole and counted like any other.
    EXPECT_EQ(numbers, (Strings{"0109999", std::string(40, '7'), "01011112222", "01011112222", "01033334444",
                                "01055556666"}));
    EXPECT_EQ(seqs, (std::vector<long long>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(countRejectNumbers(a), 3);
    EXPECT_EQ(countRejectNumbers(dir.file("gone.txt")), std::nullopt);

    RecordingNotifier n;
    EXPECT_EQ(countRejectNumbersForTitle(table, n), 6);
    EXPECT_EQ(n.texts(),
              Strings{dir.file("gone.txt") + "\n수신거부 화일이 존재하지 않습니다. 확인바랍니다."});
    EXPECT_EQ(n.shown()[0].icon, MessageIcon::Error);
}

// A file read in two parts split at any byte gives each token once, whole, in
// order: at every byte of small files, and about the reader's block edge.
TEST(RejectList, PartsOfAFileGiveEachTokenOnce) {
    const auto tokensIn = [](const std::string& path, std::uint64_t from, std::uint64_t to) {
        Strings tokens;
        detail::forEachTokenIn(
            path, from, to,
            [](void* t, std::string_view token) { static_cast<Strings*>(t)->emplace_back(token); }, &tokens);
        return tokens;
    };
    constexpr auto kEnd = std::numeric_limits<std::uint64_t>::max();
    const auto splitAt = [&](const std::string& path, std::uint64_t at) {
        Strings parts = tokensIn(path, 0, at);
        const Strings rest = tokensIn(path, at, kEnd);
        parts.insert(parts.end(), rest.begin(), rest.end());
        return parts;
    };
    TempDir dir;
    const std::string small = " 010 1111\r\n2222\t\v\f333  7";
    const std::string smallPath = dir.write("small.txt", small);
    const Strings tokens{"010", "1111", "2222", "333", "7"};
    ASSERT_EQ(tokensIn(smallPath, 0, kEnd), tokens);
    for (std::uint64_t at = 0; at <= small.size() + 1; ++at)
        ASSERT_EQ(splitAt(smallPath, at), tokens) << at;
    std::string big;
    while (big.size() < (std::size_t{1} << 20) + 64)
        big += "0101234" + std::to_string(1000 + big.size() % 9000) + (big.size() % 3 ? "\r\n" : " \t");
    const std::string bigPath = dir.write("big.txt", big);
    const Strings all = tokensIn(bigPath, 0, kEnd);
    for (const std::uint64_t edge = 1u << 20;
         const std::uint64_t at : {edge - 9, edge - 1, edge, edge + 1, edge + 5})
        ASSERT_EQ(splitAt(bigPath, at), all) << at;
}

TEST(RejectListModel, ListsEntriesInOrderWithTheirTicks) {
    TempDir dir;
    dir.write("msg/RAZIDODU.ini",
              "[Reject]\r\nReject_001=NONE,\r\nReject_002=FALSE,b.txt,/x/b.txt\r\n"
              "Reject_003=TRUE,c.txt,/x/c.txt\r\nReject_004=junk\r\nReject_051=TRUE,z,/z\r\n");
    RejectListModel m(RejectTable::inWorkingFolder(dir.path()));
    m.load();
    ASSERT_EQ(m.rows().size(), 2u);
    EXPECT_EQ(m.cell(0, 0), "");
    EXPECT_EQ(m.cell(0, 1), "b.txt");
    EXPECT_EQ(cp949::toUtf8(m.cell(1, 0)), "적용");
    EXPECT_EQ(m.cell(1, 2), "/x/c.txt");
    m.toggle(0);
    EXPECT_EQ(cp949::toUtf8(m.cell(0, 0)), "적용");
}

TEST(RejectListModel, AddAndDeleteRefuseWithTheirMessages) {
    TempDir dir;
    RejectListModel m(RejectTable::inWorkingFolder(dir.path()));
    m.load();
    EXPECT_TRUE(m.rows().empty());
    RecordingNotifier n;
    EXPECT_TRUE(m.add("/x/a.txt", n));
    EXPECT_TRUE(m.add("/x/b.txt", n));
    EXPECT_FALSE(m.add("", n));
    EXPECT_FALSE(m.add("/x/", n));
    EXPECT_FALSE(m.add("/x/a.txt", n));
    EXPECT_FALSE(m.add("/x,y/c.txt", n));
    EXPECT_FALSE(m.removeRows({}, n));
    EXPECT_FALSE(m.removeRows({7}, n));
    EXPECT_EQ(n.shown(),
              (std::vector<Shown>{errorBox("화일경로가 존재하지 않습니다."),
                                  errorBox("화일이 존재하지 않습니다."), errorBox("중복화일이 존재합니다!"),
                                  errorBox("화일경로에 쉼표(,)가 있는 화일은 등록할 수 없습니다."),
                                  errorBox("삭제할 항목이 없습니다."), errorBox("삭제할 항목이 없습니다.")}));
    ASSERT_EQ(m.rows().size(), 2u);
    EXPECT_EQ(m.rows()[0].path, "/x/b.txt"); // added at the top
    EXPECT_TRUE(m.rows()[0].ticked);
    EXPECT_TRUE(m.removeRows({1, 0}, n));
    EXPECT_TRUE(m.rows().empty());
}

TEST(RejectListModel, ApplyWritesEveryKeyAndShowsTheSummary) {
    TempDir dir;
    const std::string a = dir.write("a.txt", "1 2 3\n");
    const std::string b = dir.write("b.txt", "4\n5\n");
    RejectListModel m(RejectTable::inWorkingFolder(dir.path())); // msg/ does not exist yet
    m.load();
    RecordingNotifier n;
    m.add(dir.file("missing.txt"), n);
    m.add(b, n);
    m.add(a, n);
    m.add(dir.file("off.txt"), n);
    m.toggle(0);
    const auto total = m.apply(n);
    ASSERT_EQ(total, 5);

    const std::string ini = readFile(dir.file("msg/RAZIDODU.ini"));
    std::string expected = "[Reject]\r\nReject_001=FALSE,off.txt," + dir.file("off.txt") +
                           "\r\nReject_002=TRUE,a.txt," + a + "\r\nReject_003=TRUE,b.txt," + b +
                           "\r\nReject_004=TRUE,missing.txt," + dir.file("missing.txt") + "\r\n";
    for (int k = 5; k <= 50; ++k)
        expected += rejectKey(k) + "=NONE,\r\n";
    EXPECT_EQ(ini, expected);

    ASSERT_EQ(n.shown().size(), 2u);
    EXPECT_EQ(n.shown()[0].icon, MessageIcon::Error);
    EXPECT_EQ(n.shown()[0].utf8(), dir.file("missing.txt") + "\n화일이 존재하지 않습니다.");
    EXPECT_EQ(n.shown()[1].icon, MessageIcon::None);
    EXPECT_EQ(cp949::toUtf8(n.shown()[1].caption), "수신거부 등록");
    EXPECT_EQ(n.shown()[1].utf8(), "[missing.txt] - [0] 개\n[b.txt] - [2] 개\n[a.txt] - [3] 개\n"
                                   "\n--------------------\n[Total] - [5] 개");
}

TEST(RejectListModel, FileNamesFromTheFileSystemReadRightInTheMessages) {
    TempDir dir;
    // The file system names files in UTF-8; messages are CP949.
    const std::string named = dir.write("수신거부.txt", "01011112222 01033334444");
    const std::string gone = dir.file("없음.txt");
    RejectListModel m(RejectTable::inWorkingFolder(dir.path()));
    RecordingNotifier n;
    ASSERT_TRUE(m.add(gone, n));
    ASSERT_TRUE(m.add(named, n));
    ASSERT_EQ(m.apply(n), 2);
    EXPECT_EQ(n.texts(),
              (std::vector<std::string>{
                  gone + "\n화일이 존재하지 않습니다.",
                  "[없음.txt] - [0] 개\n[수신거부.txt] - [2] 개\n\n--------------------\n[Total] - [2] 개"}));
    EXPECT_EQ(countRejectNumbersForTitle(RejectTable::inWorkingFolder(dir.path()), n), 2);
    EXPECT_EQ(n.texts().back(), gone + "\n수신거부 화일이 존재하지 않습니다. 확인바랍니다.");
}

TEST(RejectListModel, ApplyPadsWithNoneAndWritesRowsPastFifty) {
    for (int rows : {0, 3, 50, 52}) {
        TempDir dir;
        dir.write("msg/RAZIDODU.ini", "; other\n[Other]\nx=1\n");
        RejectListModel m(RejectTable::inWorkingFolder(dir.path()));
        m.load();
        RecordingNotifier n;
        for (int i = rows; i >= 1; --i)
            m.add("/r/" + std::to_string(i) + ".txt", n);
        ASSERT_EQ(m.apply(n), 0);
        const ProfileFile ini(dir.file("msg/RAZIDODU.ini"));
        for (int k = 1; k <= std::max(rows, 50); ++k) {
            const std::string want =
                k <= rows ? "TRUE," + std::to_string(k) + ".txt,/r/" + std::to_string(k) + ".txt"
                          : std::string("NONE,");
            ASSERT_EQ(ini.read("Reject", rejectKey(k)), want) << rows << " rows, key " << k;
        }
        EXPECT_EQ(ini.read("Reject", rejectKey(std::max(rows, 50) + 1), "missing"), "missing");
        EXPECT_EQ(ini.read("Other", "x"), "1");
        // Every row file is missing: one message each for the fifty read back, then the summary.
        EXPECT_EQ(n.shown().size(), static_cast<std::size_t>(std::min(rows, 50)) + 1);
    }
}

TEST(RejectListModel, ApplyReportsAnIniThatCannotBeWritten) {
    for (const char* blocker : {"msg/RAZIDODU.ini/", "msg"}) {
        TempDir dir;
        if (blocker[std::string_view(blocker).size() - 1] == '/')
            dir.mkdir(blocker); // a folder where the file should be
        else
            dir.write(blocker, "a file where the folder should be");
        RejectListModel m(RejectTable::inWorkingFolder(dir.path()));
        m.load();
        EXPECT_TRUE(m.rows().empty());
        RecordingNotifier n;
        EXPECT_EQ(m.apply(n), std::nullopt) << blocker;
        EXPECT_EQ(n.texts(), Strings{dir.file("msg/RAZIDODU.ini") + "\n화일을 저장할 수 없습니다."})
            << blocker;
    }
}

// With "자체수신거부" on, a list that cannot be read stops the preview and the dry run
// with its name: read as empty, it would send to every number it holds.
TEST(RejectList, AListThatCannotBeReadStopsThePreviewAndTheDryRun) {
    const auto table = [](const TempDir& d, const std::string& list, std::size_t pad = 0) {
        d.write("msg/RAZIDODU.ini", "[Reject]\nReject_001=TRUE,x," + list + "\n" + std::string(pad, ';'));
        return pad ? d.file("msg/RAZIDODU.ini") : list;
    };
    const std::function<std::string(const TempDir&)> cases[] = {
        [&](const TempDir& d) { return table(d, d.file("gone.txt")); },
        [&](const TempDir& d) { return table(d, d.mkdir("folder.txt")); },
        [&](const TempDir& d) {
            return ::mkfifo(d.file("f").c_str(), 0600) == 0 ? table(d, d.file("f")) : "";
        },
        [&](const TempDir& d) { return table(d, d.write("a.txt", "0101\n"), ProfileFile::kMaxBytes); },
        [&](const TempDir& d) { return d.mkdir("msg/RAZIDODU.ini"); },
    };
    for (const auto& make : cases) {
        FormFixture f;
        const std::string file = make(f.dir);
        SCOPED_TRACE(file);
        const std::string message = "수신거부 목록 파일을 읽을 수 없습니다: " + file +
                                    "\n자체수신거부를 끄거나 파일을 확인해 주세요.";
        f.loadRows({{"01011112222"}});
        f.prepareSms("hi");
        EXPECT_FALSE(f.form.validateAndPreview());
        EXPECT_EQ(f.notifier.shown(), std::vector<Shown>{errorBox(message.c_str())});
        DryRunOptions o;
        o.workingFolder = f.dir.path();
        o.textFiles = {f.dir.write("r.txt", "01011112222\n")};
        o.numberColumn = 1;
        o.callback = "021234";
        o.message = "hi";
        RecordingNotifier printed;
        std::ostringstream out;
        EXPECT_EQ(runDryRun(o, printed, out), 1);
        EXPECT_EQ(printed.texts(), Strings{message});
        f.state().rejectOn = false; // nothing is read
        EXPECT_TRUE(f.form.validateAndPreview());
    }
}
