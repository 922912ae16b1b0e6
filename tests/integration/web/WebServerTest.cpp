#include "WebCall.h"
#include "WebFixture.h"

#include "common/Cp949.h"
#include "support/ServiceHarness.h"
#include "web/AddressBook.h"
#include "web/HttpRequests.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace qb::test {
namespace {

class WebServerTest : public WebFixture {
protected:
    httplib::Result get(const std::string& target) {
        httplib::Client client("127.0.0.1", server.port());
        return client.Get(target);
    }
    int post(const std::string& path, const httplib::MultipartFormDataItems& items) {
        httplib::Client client("127.0.0.1", server.port());
        const auto res = client.Post(path, items);
        return res ? res->status : -1;
    }
};

TEST_F(WebServerTest, QueryValuesArriveAsTheSameBytesEncodedOrRaw) {
    const std::string id = ko("사용자");
    store().addGroup(id, ko("그룹"));
    std::string text;
    ASSERT_TRUE(HttpGetText(host, "getaddrgroup.jsp?cid=" + percentEncode(id), text));
    const std::string encoded = text;
    ASSERT_TRUE(
        HttpGetText(host, "getaddrgroup.jsp?cid=" + id, text)); // raw high bytes, as older clients send
    EXPECT_EQ(text, encoded);
    EXPECT_NE(text.find(ko("그룹")), std::string::npos);
    EXPECT_NE(text.find("\"" + id + "\""), std::string::npos);
}

TEST_F(WebServerTest, BrowserPagesAreHtmlForTheUser) {
    const std::string id = "<b>&" + ko("홍");
    const std::string cid = percentEncode(id);
    server.setResultsRows(
        [](const std::string& user) { return "<p>rows of " + qbs::htmlEscape(user) + "</p>"; });
    const std::vector<std::pair<std::string, std::string>> pages{
        {"/ClientStatMgrd.jsp?mode=init&cid=" + cid, "결과조회"},
        {"/view_reservedata.jsp?mode=view_rsv_client&cid=" + cid, "예약조회"},
        {"/ClientStatMgr.jsp?mode=view_acc_client&cid=" + cid, "사이버머니충전"},
        {"/ClientNoticeReader.jsp?mode=init&kind=smsadmin", "공지사항"},
        {"/ClientUserinit.jsp?mode=init&cid=" + cid, "회원정보수정"},
    };
    for (const auto& [target, title] : pages) {
        const auto res = get(target);
        ASSERT_TRUE(res) << target;
        EXPECT_EQ(res->status, 200) << target;
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=euc-kr") << target;
        EXPECT_NE(res->body.find("<title>" + ko(title) + "</title>"), std::string::npos) << target;
        EXPECT_EQ(res->body.find("<b>"), std::string::npos) << target; // the id is escaped
        if (target.find("cid=") != std::string::npos) {
            EXPECT_NE(res->body.find("&lt;b&gt;&amp;" + ko("홍")), std::string::npos) << target;
        }
    }
    EXPECT_NE(get(pages[0].first)->body.find("rows of &lt;b&gt;"), std::string::npos);
}

TEST_F(WebServerTest, RequestsItWillNotCarryOutAreRefused) {
    struct Case {
        const char* what;
        std::string target;
        int status;
    };
    const std::vector<Case> gets{
        {"no user id", "/getaddrgroup.jsp", 400},
        {"empty user id", "/getsmsmsg.jsp?cid=", 400},
        {"wrong mode", "/ClientStatview.jsp?mode=other&cid=u", 400},
        {"idx not a number", "/delsmsmsg.jsp?cid=u&idx=1%20OR%201", 400},
        {"no such picture", "/fileSave/none.jpg", 404},
        {"no such document", "/nothing.jsp", 404},
        {"balance", "/ClientStatview.jsp?mode=stat_acc&cid=u", 200},
    };
    for (const Case& c : gets) {
        const auto res = get(c.target);
        ASSERT_TRUE(res) << c.what;
        EXPECT_EQ(res->status, c.status) << c.what;
    }
    EXPECT_EQ(get("/ClientStatview.jsp?mode=stat_acc&cid=u")->body, "0|20|50|200|0|0|0");

    using Items = httplib::MultipartFormDataItems;
    EXPECT_EQ(post("/setaddrdata.jsp",
                   Items{{"m_id", "u", "", ""}, {"groupname", "g", "", ""}, {"data", "nope", "", ""}}),
              400);
    EXPECT_EQ(
        post("/setaddrdata.jsp",
             Items{{"m_id", "u", "", ""}, {"groupname", "g", "", ""}, {"data", R"({"someone":[]})", "", ""}}),
        400);
    EXPECT_EQ(post("/deladdrgroup.jsp", Items{{"m_id", "u", "", ""},
                                              {"isall", "maybe", "", ""},
                                              {"groupname", "g", "", ""},
                                              {"data", R"({"u":[]})", "", ""}}),
              400);
    EXPECT_EQ(post("/setsmsmsg.jsp", Items{{"data", "x", "", ""}}), 400);
    EXPECT_EQ(post("/setmmsmsg.jsp", Items{{"m_id", "u", "", ""},
                                           {"title", "t", "", ""},
                                           {"data", "d", "", ""},
                                           {"img1", "jpeg", "../evil.jpg", "application/octet-stream"}}),
              400);
    EXPECT_FALSE(store().picture("../evil.jpg"));
    EXPECT_TRUE(store().messages("u", qbs::MessageStore::Mms).empty());
    EXPECT_TRUE(store().entries("u").empty());
}

TEST_F(WebServerTest, SendPicturesAreKeptPerUserInArrivalOrder) {
    using Items = httplib::MultipartFormDataItems;
    const Items upload{{"m_id", "u", "", ""},
                       {"imgcount", "2", "", ""},
                       {"imgfile1", "one", "u_20240305140709_01.jpg", "application/octet-stream"},
                       {"imgfile2", "two", "u_20240305140709_02.jpg", "application/octet-stream"}};
    EXPECT_EQ(post("/uploadmmsimage.jsp", upload), 200);
    Items wrongCount = upload;
    wrongCount[1].content = "3";
    EXPECT_EQ(post("/uploadmmsimage.jsp", wrongCount), 400);
    const auto pictures = store().sendPictures("u");
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].name, "u_20240305140709_01.jpg");
    EXPECT_EQ(pictures[0].data, "one");
    EXPECT_EQ(pictures[1].name, "u_20240305140709_02.jpg");
    EXPECT_TRUE(store().sendPictures("v").empty());
}

TEST_F(WebServerTest, FaultsAreSetFromTheCommandLine) {
    struct Case {
        std::string option;
        bool ok;
        std::string endpoint;
        qbs::WebFault fault;
        int delayMs;
    };
    const std::vector<Case> cases{
        {"status500", true, "anything.jsp", qbs::WebFault::ServerError, 0},
        {"badjson@getaddrgroup.jsp", true, "getaddrgroup.jsp", qbs::WebFault::InvalidJson, 0},
        {"nomember@getsmsmsg.jsp", true, "getsmsmsg.jsp", qbs::WebFault::MissingMember, 0},
        {"slow", true, "x", qbs::WebFault::Slow, 3000},
        {"slow:250@fileSave", true, "fileSave", qbs::WebFault::Slow, 250},
        {"truncate@ClientStatview.jsp", true, "ClientStatview.jsp", qbs::WebFault::Truncated, 0},
        {"explode", false, "x", qbs::WebFault::None, 0},
        {"slow:soon", false, "x", qbs::WebFault::None, 0},
        {"slow:-5", false, "x", qbs::WebFault::None, 0},
        {"status500:10", false, "x", qbs::WebFault::None, 0},
        {"badjson@", false, "x", qbs::WebFault::None, 0},
    };
    for (const Case& c : cases) {
        qbs::WebFaults faults;
        std::string error;
        EXPECT_EQ(faults.apply(c.option, &error), c.ok) << c.option;
        EXPECT_EQ(error.empty(), c.ok) << c.option;
        EXPECT_EQ(faults.lookup(c.endpoint).fault, c.fault) << c.option;
        EXPECT_EQ(faults.lookup(c.endpoint).delayMs, c.delayMs) << c.option;
    }

    qbs::WebFaults faults;
    ASSERT_TRUE(faults.apply("status500"));
    ASSERT_TRUE(faults.apply("none@getsmsmsg.jsp"));
    ASSERT_TRUE(faults.apply("badjson@getlmsmsg.jsp"));
    EXPECT_EQ(faults.lookup("getmmsmsg.jsp").fault, qbs::WebFault::ServerError);
    EXPECT_EQ(faults.lookup("getsmsmsg.jsp").fault, qbs::WebFault::None);
    EXPECT_EQ(faults.lookup("getlmsmsg.jsp").fault, qbs::WebFault::InvalidJson);
    ASSERT_TRUE(faults.apply("none"));
    EXPECT_EQ(faults.lookup("getmmsmsg.jsp").fault, qbs::WebFault::None);
}

TEST(ServiceWeb, TheServiceRunsTheWebApplicationWhereTheClientLooks) {
    ServiceHarness harness;
    EXPECT_EQ(harness.config().webPort, harness.service().webServer().port());
    harness.service().webServer().store().addGroup("demo", "friends");
    LoginState login;
    login.loggedIn = true;
    login.userId = "demo";
    RecordingNotifier notifier;
    WebClient web(login, notifier, WebHost::from(harness.config()));
    AddressBook book(web);
    ASSERT_TRUE(book.LoadGroups());
    ASSERT_EQ(book.groups().size(), 1u);
    EXPECT_EQ(book.groups()[0].grpname, "friends");
}

TEST(ServiceWeb, FaultsFromTheServiceOptions) {
    qbs::ServiceOptions options;
    options.webFaults = {"status500@getaddrgroup.jsp"};
    qbs::Service service(options);
    service.start();
    LoginState login;
    login.loggedIn = true;
    login.userId = "demo";
    RecordingNotifier notifier;
    WebClient web(login, notifier, WebHost{"127.0.0.1", service.webServer().port(), {}});
    AddressBook book(web);
    EXPECT_FALSE(book.LoadGroups());
    EXPECT_TRUE(book.LoadEntries());
    EXPECT_EQ(notifier.shown(), std::vector<Shown>{errorBox("서버와의 통신이 원활하지 않습니다.")});

    options.webFaults = {"explode"};
    qbs::Service broken(options);
    EXPECT_THROW(broken.start(), std::runtime_error);
}

} // namespace
} // namespace qb::test
