#include "RawHttpCapture.h"
#include "WebFixture.h"

#include "common/Cp949.h"
#include "web/AddressBook.h"

#include <gtest/gtest.h>

namespace qb::test {
namespace {

using Shown = std::vector<test::Shown>;

std::string multipart(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string body;
    for (const auto& [name, value] : fields)
        body += "----HC-MPFD-BOUNDARY\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" +
                value + "\r\n";
    return body + "----HC-MPFD-BOUNDARY--\r\n";
}

class AddressBookTest : public WebFixture {
protected:
    AddressBook book{*web};

    std::vector<std::string> groupNames() const {
        std::vector<std::string> out;
        for (const AddressGroup& g : book.groups())
            out.push_back(g.grpname);
        return out;
    }
    // The entries as "group|phone|name|memo", the book's and the service's.
    std::vector<std::string> local() const {
        std::vector<std::string> out;
        for (const AddressEntry& e : book.entries())
            out.push_back(e.groupname + "|" + e.hpno + "|" + e.name + "|" + e.etc);
        return out;
    }
    std::vector<std::string> remote() {
        std::vector<std::string> out;
        for (const auto& e : store().entries(user()))
            out.push_back(e.groupname + "|" + e.hpno + "|" + e.name + "|" + e.etc);
        return out;
    }
    void seedEntry(const std::string& group, const std::string& hpno, const std::string& name,
                   const std::string& etc = "") {
        store().addEntry(user(), {0, group, hpno, name, etc, "2024-01-01 00:00:00"});
    }
};

TEST_F(AddressBookTest, LoadsGroupsAndEntriesInReplyOrderWithCp949Intact) {
    const std::string friends = ko("친구"), memo = ko("메모 ") + "\x8C\x63";
    store().addGroup(user(), friends);
    store().addGroup(user(), "Friends");
    store().addGroup(user(), "friends");
    store().addGroup("someone else", "theirs");
    seedEntry(friends, "01011112222", ko("홍길동"), memo);
    seedEntry("Friends", "01033334444", "Kim");

    ASSERT_TRUE(book.reload());
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_EQ(groupNames(), (std::vector<std::string>{friends, "Friends", "friends"}));
    EXPECT_EQ(book.groups()[0].idx, "1");
    ASSERT_EQ(book.entries().size(), 2u);
    const AddressEntry& e = book.entries()[0];
    EXPECT_EQ(e.groupname, friends);
    EXPECT_EQ(e.hpno, "01011112222");
    EXPECT_EQ(e.name, ko("홍길동"));
    EXPECT_EQ(e.etc, memo);
    EXPECT_EQ(e.credate, "2024-01-01 00:00:00");
    EXPECT_FALSE(e.idx.empty());
    // Names that differ only in case are different groups.
    EXPECT_EQ(book.entryCount("Friends"), 1u);
    EXPECT_EQ(book.entryCount("friends"), 0u);
}

TEST_F(AddressBookTest, LoadFailuresTellTheUserAndLeaveTheListEmpty) {
    struct Case {
        const char* what;
        qbs::FaultRule rule;
        bool down;
        Shown shown;
        std::size_t groups;
    };
    const std::string good = R"({"tester":[{"idx":"1","grpname":"a"}]})";
    const Shown unreachable{errorBox("서버와의 통신이 원활하지 않습니다.")};
    const Shown unreadable{errorBox("데이터 파싱 오류! 다시 시도 하세요.!")};
    const std::vector<Case> cases{
        {"server down", {}, true, unreachable, 0},
        {"500 with HTML", {qbs::WebFault::ServerError}, false, unreachable, 0},
        {"cut short", {qbs::WebFault::Truncated}, false, unreachable, 0},
        {"not JSON", {qbs::WebFault::InvalidJson}, false, unreadable, 0},
        {"HTML with status 200", qbs::FaultRule::canned(200, "<html>maintenance</html>"), false, unreadable,
         0},
        {"number for a name", qbs::FaultRule::canned(200, R"({"tester":[{"idx":"1","grpname":5}]})"), false,
         unreadable, 0},
        {"no member for the user", {qbs::WebFault::MissingMember}, false, {}, 0},
        {"empty list", qbs::FaultRule::canned(200, R"({"tester":[]})"), false, {}, 0},
        {"canned good reply", qbs::FaultRule::canned(200, good), false, {}, 1},
    };
    store().addGroup(user(), "real");
    for (const Case& c : cases) {
        server.faults().clear();
        server.faults().set("getaddrgroup.jsp", c.rule);
        notifier.clear();
        WebClient down = downClient();
        AddressBook b(c.down ? down : *web);
        b.LoadGroups();
        EXPECT_EQ(notifier.shown(), c.shown) << c.what;
        EXPECT_EQ(b.groups().size(), c.groups) << c.what;
    }
}

TEST_F(AddressBookTest, AFieldMissingFromOneElementIsEmptyForThatRecordOnly) {
    server.faults().set(
        "getaddrdata.jsp",
        qbs::FaultRule::canned(
            200, R"({"tester":[{"idx":"1","hpno":"010","name":"a","etc":"m","groupname":"g","credate":"d"},)"
                 R"({"idx":"2","name":"b","etc":null,"groupname":"g","credate":"d"}]})"));
    ASSERT_TRUE(book.LoadEntries());
    ASSERT_EQ(book.entries().size(), 2u);
    EXPECT_EQ(book.entries()[0].hpno, "010");
    EXPECT_EQ(book.entries()[1].hpno, "");
    EXPECT_EQ(book.entries()[1].etc, "");
    EXPECT_EQ(book.entries()[1].name, "b");
}

TEST_F(AddressBookTest, LoggedOutNothingIsSent) {
    login.loggedIn = false;
    EXPECT_FALSE(book.reload());
    EXPECT_FALSE(book.AddGroup("g"));
    EXPECT_FALSE(book.RegisterEntries("g", {{"n", "010", ""}}));
    EXPECT_FALSE(book.ModifyEntry("g", "n", "010", "m", "011", ""));
    EXPECT_FALSE(book.DeleteEntries("g", {{"n", "010"}}));
    EXPECT_FALSE(book.MoveEntries("g", "h", {{"n", "010"}}));
    EXPECT_EQ(notifier.shown(), Shown(6, errorBox("로그인이 되어 있지 않습니다.")));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(AddressBookTest, EveryWriteSendsItsFieldsInOrder) {
    RawHttpCapture capture;
    WebHost captureHost = host;
    captureHost.port = capture.port();
    WebClient client(login, notifier, captureHost);
    const std::string group = ko("친구"), name = ko("홍길동"), memo = ko("메모");
    AddressBook b(client);

    ASSERT_TRUE(b.AddGroup(group));
    ASSERT_TRUE(b.RegisterEntries(group, {{name, "01012345678", memo}, {"no phone", "", "skipped"}}));
    ASSERT_TRUE(b.ModifyEntry(group, name, "01012345678", "Kim", "0101", ""));
    ASSERT_TRUE(b.DeleteEntries(group, {{"Kim", "0101"}}));
    ASSERT_TRUE(b.MoveEntries(group, "new", {{"a", "1"}, {"b", "2"}}));

    const std::string registered = "{\n   \"tester\" : [\n      {\n         \"etc\" : \"" + memo +
                                   "\",\n         \"hpno\" : \"01012345678\",\n         \"name\" : \"" +
                                   name + "\"\n      }\n   ]\n}\n";
    const std::string modified =
        "{\n   \"tester\" : [\n      {\n         \"etc\" : \"\",\n         \"hpno\" : "
        "\"0101\",\n         \"name\" : \"Kim\"\n      }\n   ]\n}\n";
    const std::string deleted =
        "{\n   \"tester\" : [\n      {\n         \"hpno\" : \"0101\",\n         \"name\" : "
        "\"Kim\"\n      }\n   ]\n}\n";
    const std::string moved =
        "{\n   \"tester\" : [\n      {\n         \"hpno\" : \"1\",\n         \"name\" : "
        "\"a\"\n      },\n      {\n         \"hpno\" : \"2\",\n         \"name\" : \"b\"\n"
        "      }\n   ]\n}\n";
    const std::vector<std::pair<std::string, std::string>> expected{
        {"POST /setaddrgroup.jsp HTTP/1.1", multipart({{"m_id", "tester"}, {"groupname", group}})},
        {"POST /setaddrdata.jsp HTTP/1.1",
         multipart({{"m_id", "tester"}, {"groupname", group}, {"data", registered}})},
        {"POST /modifyaddrdata.jsp HTTP/1.1", multipart({{"m_id", "tester"},
                                                         {"groupname", group},
                                                         {"oldhpno", "01012345678"},
                                                         {"oldname", name},
                                                         {"data", modified}})},
        // After the modify the book holds one entry of the group, and this names it: all of them.
        {"POST /deladdrgroup.jsp HTTP/1.1",
         multipart({{"m_id", "tester"}, {"isall", "Y"}, {"groupname", group}, {"data", deleted}})},
        {"POST /moveaddrgroup.jsp HTTP/1.1", multipart({{"m_id", "tester"},
                                                        {"isall", "N"},
                                                        {"groupname", group},
                                                        {"newgroupname", "new"},
                                                        {"data", moved}})},
    };
    std::vector<std::pair<std::string, std::string>> posts;
    for (const std::string& r : capture.requests()) {
        const auto parsed = RawHttpCapture::parse(r);
        if (parsed.requestLine.starts_with("POST"))
            posts.emplace_back(parsed.requestLine, parsed.body);
    }
    EXPECT_EQ(posts, expected);
}

TEST_F(AddressBookTest, RegisteringTakesOnlyRowsWithAPhone) {
    const std::string group = ko("가족");
    store().addGroup(user(), group);
    ASSERT_TRUE(book.reload());
    std::vector<AddressRow> rows(10);
    rows[0] = {ko("홍길동"), "01011112222", ko("첫째")};
    rows[1] = {ko("이름만"), "", ko("메모만")};
    rows[4] = {"", "01033334444", ""};
    rows[9] = {"Last", "0105", "m"};
    ASSERT_TRUE(book.RegisterEntries(group, rows));
    EXPECT_TRUE(notifier.shown().empty());

    ASSERT_EQ(book.entries().size(), 3u);
    for (const AddressEntry& e : book.entries()) {
        EXPECT_EQ(e.groupname, group);
        EXPECT_EQ(e.credate, "2024-03-05 14:07:09");
    }
    const auto stored = store().entries(user());
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].name, ko("홍길동"));
    EXPECT_EQ(stored[0].etc, ko("첫째"));
    EXPECT_EQ(stored[1].hpno, "01033334444");
    EXPECT_EQ(stored[2].name, "Last");
}

TEST_F(AddressBookTest, ModifyChangesEveryMatchingEntryOfTheGroup) {
    seedEntry("g", "010", "twin", "one");
    seedEntry("g", "010", "twin", "two");
    seedEntry("h", "010", "twin", "other group");
    seedEntry("g", "011", "twin", "other phone");
    ASSERT_TRUE(book.reload());
    // Views of the very entry being changed are a fair way to call it.
    const AddressEntry& first = book.entries()[0];
    ASSERT_TRUE(
        book.ModifyEntry(first.groupname, first.name, first.hpno, ko("쌍둥이"), "019", ko("새 메모")));

    const std::vector<std::string> expected{"g|019|" + ko("쌍둥이") + "|" + ko("새 메모"),
                                            "g|019|" + ko("쌍둥이") + "|" + ko("새 메모"),
                                            "h|010|twin|other group", "g|011|twin|other phone"};
    EXPECT_EQ(local(), expected);
    EXPECT_EQ(remote(), expected);
}

TEST_F(AddressBookTest, DeletingAllOrSomeOfAGroup) {
    const std::string group = ko("친구");
    store().addGroup(user(), group);
    store().addGroup(user(), "keep");
    seedEntry(group, "1", "a");
    seedEntry(group, "2", "b");
    seedEntry(group, "3", "c");
    seedEntry("keep", "9", "z");
    ASSERT_TRUE(book.reload());

    ASSERT_TRUE(book.DeleteEntries(group, {{"a", "1"}, {"b", "2"}}));
    EXPECT_EQ(notifier.shown(), Shown{plainBox("[친구] 그룹 2 건 삭제완료.!")});
    EXPECT_EQ(groupNames(), (std::vector<std::string>{group, "keep"}));
    EXPECT_EQ(book.entryCount(group), 1u);

    notifier.clear();
    ASSERT_TRUE(book.DeleteEntries(group, {{"c", "3"}}));
    EXPECT_EQ(notifier.shown(), Shown{plainBox("[친구] 그룹 1 건 삭제완료.!")});
    // Every entry named: the service dropped the group too.
    EXPECT_EQ(groupNames(), std::vector<std::string>{"keep"});
    EXPECT_EQ(book.entries().size(), 1u);
}

TEST_F(AddressBookTest, MovingReloadsAndReports) {
    store().addGroup(user(), "from");
    store().addGroup(user(), "to");
    seedEntry("from", "1", "a");
    seedEntry("from", "2", "b");
    ASSERT_TRUE(book.reload());
    ASSERT_TRUE(book.MoveEntries("from", "to", {{"b", "2"}}));
    EXPECT_EQ(notifier.shown(), Shown{plainBox("[from] --> [to] 로 1 건 이동완료.!")});
    EXPECT_EQ(book.entryCount("from"), 1u);
    EXPECT_EQ(book.entryCount("to"), 1u);
}

TEST_F(AddressBookTest, AFailedWriteChangesNothing) {
    store().addGroup(user(), "g");
    seedEntry("g", "1", "a");
    ASSERT_TRUE(book.reload());
    for (const char* endpoint : {"setaddrgroup.jsp", "setaddrdata.jsp", "modifyaddrdata.jsp",
                                 "deladdrgroup.jsp", "moveaddrgroup.jsp"})
        server.faults().set(endpoint, {qbs::WebFault::ServerError});

    EXPECT_FALSE(book.AddGroup("new"));
    EXPECT_FALSE(book.RegisterEntries("g", {{"b", "2", ""}}));
    EXPECT_FALSE(book.ModifyEntry("g", "a", "1", "x", "9", ""));
    EXPECT_FALSE(book.DeleteEntries("g", {{"a", "1"}}));
    EXPECT_FALSE(book.MoveEntries("g", "new", {{"a", "1"}}));
    EXPECT_EQ(notifier.shown(), Shown(5, errorBox("에러발생! 다시 시도해 주시기 바랍니다.")));
    EXPECT_EQ(groupNames(), std::vector<std::string>{"g"});
    ASSERT_EQ(book.entries().size(), 1u);
    EXPECT_EQ(book.entries()[0].name, "a");
    EXPECT_EQ(store().entries(user()).size(), 1u);
    EXPECT_EQ(store().groups(user()).size(), 1u);
}

TEST_F(AddressBookTest, UserIdsWithQuerySyntaxOrHangulReachTheServiceIntact) {
    for (const std::string& id : {std::string("a&b=c d"), ko("사용자") + "+%", std::string("x&cid=victim")}) {
        loginAs(id);
        notifier.clear();
        AddressBook b(*web);
        ASSERT_TRUE(b.AddGroup("g-" + id));
        ASSERT_EQ(store().groups(id).size(), 1u) << id;
        EXPECT_EQ(store().groups(id)[0].grpname, "g-" + id);
        ASSERT_TRUE(b.reload());
        EXPECT_EQ(b.groups().size(), 1u) << id;
        EXPECT_TRUE(notifier.shown().empty());
    }
    EXPECT_TRUE(store().groups("victim").empty());
    EXPECT_TRUE(store().groups("x").empty());
}

TEST_F(AddressBookTest, TypedValuesBeyondTheirCapacityAreCutAtACharacterBoundary) {
    std::string longName;
    for (int i = 0; i < 20; ++i)
        longName += ko("가"); // 40 bytes
    ASSERT_TRUE(book.AddGroup(longName));
    const std::string cut = longName.substr(0, 30); // 31 bytes allowed, 15 syllables fit
    EXPECT_EQ(groupNames(), std::vector<std::string>{cut});
    EXPECT_EQ(store().groups(user())[0].grpname, cut);

    // What the service holds is kept whole; only the display is cut.
    seedEntry(cut, "010", "n", std::string(300, 'm'));
    ASSERT_TRUE(book.reload());
    EXPECT_EQ(book.entries()[0].etc, std::string(300, 'm'));
    EXPECT_EQ(displayText(book.entries()[0].etc, AddressEntry::kMemoWidth), std::string(255, 'm'));
    EXPECT_EQ(displayText(longName, AddressGroup::kNameWidth), cut);

    ASSERT_TRUE(book.RegisterEntries(cut, {{longName, std::string(40, '1'), std::string(300, 'x')}}));
    const qbs::StoredEntry added = store().entries(user()).back();
    EXPECT_EQ(added.name, cut);
    EXPECT_EQ(added.hpno, std::string(31, '1'));
    EXPECT_EQ(added.etc, std::string(255, 'x'));

    // A modification keeps a value the entry already holds and cuts a changed one.
    ASSERT_TRUE(book.ModifyEntry(cut, "n", "010", longName, "010", std::string(300, 'm')));
    EXPECT_EQ(store().entries(user())[0].name, cut);
    EXPECT_EQ(store().entries(user())[0].etc, std::string(300, 'm'));
}

// Entries the service holds with values longer than the fields still name
// themselves exactly in every change, so the change happens on the server and
// the local copy stays equal to it.
TEST_F(AddressBookTest, LongNamesFromTheServiceNameTheirEntriesWhole) {
    std::string longName, longGroup;
    for (int i = 0; i < 20; ++i)
        longName += ko("가"); // 40 bytes
    for (int i = 0; i < 18; ++i)
        longGroup += ko("나"); // 36 bytes
    const std::string memo(300, 'm');
    store().addGroup(user(), longGroup);
    store().addGroup(user(), "other");
    seedEntry(longGroup, "01011112222", longName, memo);
    seedEntry(longGroup, "01033334444", longName + "2", "second");
    seedEntry(longGroup, "01055556666", longName + "3", "third");
    ASSERT_TRUE(book.reload());
    ASSERT_EQ(book.groups()[0].grpname, longGroup);

    // The window names entries by what the book holds.
    const std::vector<AddressEntry> held = book.entries();
    const std::string group = book.groups()[0].grpname;
    // Only the memo changes: the name the user left alone goes back whole.
    ASSERT_TRUE(book.ModifyEntry(group, held[0].name, held[0].hpno, held[0].name, held[0].hpno, "new"));
    EXPECT_EQ(remote()[0], longGroup + "|01011112222|" + longName + "|new");
    EXPECT_EQ(local(), remote());

    ASSERT_TRUE(book.MoveEntries(group, "other", {{held[1].name, held[1].hpno}}));
    EXPECT_EQ(store().entries(user())[1].groupname, "other");
    EXPECT_EQ(local(), remote());

    ASSERT_TRUE(book.DeleteEntries(group, {{held[2].name, held[2].hpno}}));
    EXPECT_EQ(remote().size(), 2u);
    EXPECT_EQ(local(), remote());

    // Entries go into the group by its whole name.
    ASSERT_TRUE(book.RegisterEntries(group, {{"n", "0109", ""}}));
    EXPECT_EQ(store().entries(user()).back().groupname, longGroup);
}

} // namespace
} // namespace qb::test
