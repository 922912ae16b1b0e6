#include "frame/MainFrameModel.h"

#include "common/Cp949.h"
#include "frame/FrameHost.h"
#include "net/LoginSession.h"
#include "send/SendFormHost.h"
#include "support/RecordingLoginHost.h"
#include "support/RunUntil.h"
#include "support/ServiceHarness.h"

#include <gtest/gtest.h>

using namespace qb;
using namespace std::chrono_literals;
using Events = std::vector<std::string>;

namespace {

const char* const kBase = "퀼뱅크문자 [127.0.0.1]";

// The window and the send form as one timeline of readable events.
class FakeFrame : public FrameHost, public SendFormHost {
public:
    explicit FakeFrame(Events& events) : m_events(events) {}

    std::string loginId = "user01";
    std::string loginPassword = "pass01";
    bool loginAnswer = true;
    bool addressBookClosedWithClose = true;
    std::string handOver; // what the address book puts into the transfer text
    MainFrameModel* model = nullptr;
    bool waitOpen = false;
    bool sending = false;

    // FrameHost
    void setTitle(const std::string& title) override { add("title:" + cp949::toUtf8(title)); }
    void showWaitWindow() override {
        waitOpen = true;
        add("wait:show");
    }
    void closeWaitWindow() override {
        if (waitOpen)
            add("wait:close");
        waitOpen = false;
    }
    void loginStateChanged(bool loggedIn) override { add(loggedIn ? "commands:in" : "commands:out"); }
    void activateView(ViewId v) override { add("view:" + std::to_string(static_cast<int>(v))); }
    void navigate(ViewId v, const std::string& url) override {
        add("load:" + std::to_string(static_cast<int>(v)) + " " + url);
    }
    void showNoticeWindow(const std::string& url) override { add("notice:" + url); }
    void showMemberInfoWindow(const std::string& url) override { add("member:" + url); }
    bool runLoginDialog() override {
        add("login-dialog");
        if (loginAnswer) {
            model->loginState().userId = loginId;
            model->loginState().password = loginPassword;
        }
        return loginAnswer;
    }
    bool runAddressBook() override {
        add("address-book");
        model->transferText() = handOver;
        return addressBookClosedWithClose;
    }
    void showAbout() override { add("about"); }
    void openInBrowser(const std::string& url) override { add("browser:" + url); }
    void closeWindow() override { add("close-window"); }

    // SendFormHost
    void refreshBalance() override { add("form:balance"); }
    void reloadCallbackNumbers() override { add("form:callbacks"); }
    void clearBalanceAndCallbacks() override { add("form:clear"); }
    void loadTransferredEntries(const std::string& text) override { add("form:load " + text); }
    void closeEditorWindows() override { add("form:close-editors"); }
    void followMainWindow(int, int) override {}
    bool sendResultArrived(int, int) override { return true; }
    void offerInterruptedJobs() override {}
    bool sendRunning() const override { return sending; }
    void abandonSend() override {
        add("form:abandon-send");
        sending = false;
    }

private:
    void add(std::string e) { m_events.push_back(std::move(e)); }
    Events& m_events;
};

class MainFrameModelTest : public ::testing::Test {
protected:
    MainFrameModelTest() {
        service.addAccount("user01", "pass01", 7, "TAG");
        service.dir().write("update.ini", "[PROGRAM]\r\nVERSION=2.1.5\r\n");
        service.dir().write("imgtemp/old.jpg", "jpeg");
        model =
            std::make_unique<MainFrameModel>(AppPaths(service.workdir()), service.config(), frame, notifier);
        frame.model = model.get();
        model->setSendForm(&frame);
    }

    void logIn() {
        // The service must have seen an earlier logout, or it refuses the login.
        ASSERT_TRUE(service.loginServer().waitForLogout("user01", std::chrono::seconds(10)));
        ASSERT_TRUE(model->execute(Command::Login));
        ASSERT_TRUE(test::runUntil([&] { return has("notice:" + noticeUrl()); }));
        events.clear();
        notifier.clear();
    }
    bool has(const std::string& e) const {
        return std::find(events.begin(), events.end(), e) != events.end();
    }
    std::string web() const { return service.config().webBase(); }
    std::string noticeUrl() const { return web() + "/ClientNoticeReader.jsp?mode=init&kind=smsadmin"; }

    test::ServiceHarness service;
    Events events;
    FakeFrame frame{events};
    test::TimelineNotifier notifier{events};
    std::unique_ptr<MainFrameModel> model;
};

} // namespace

TEST_F(MainFrameModelTest, CreationEmptiesImgtempAndReadsTheVersion) {
    EXPECT_FALSE(test::fileExists(service.dir().file("imgtemp/old.jpg")));
    EXPECT_EQ(model->loginState().version, "2.1.5");
    EXPECT_EQ(model->loginState().clientField, "0.0");
    EXPECT_FALSE(model->loginState().loggedIn);
    EXPECT_EQ(cp949::toUtf8(model->title()), kBase);
    EXPECT_EQ(model->activeView(), ViewId::SendForm);
    EXPECT_TRUE(events.empty());
}

TEST_F(MainFrameModelTest, LoginRunsTheAfterLoginStepsInOrder) {
    // 1,000 + 234 numbers in the active files; a switched-off file and a missing one.
    std::string thousand, some;
    for (int i = 0; i < 1000; ++i)
        thousand += "0101234" + std::to_string(1000 + i) + (i % 7 ? " " : "\r\n");
    for (int i = 0; i < 234; ++i)
        some += "0109876" + std::to_string(1000 + i) + "\t";
    const std::string a = service.dir().write("a.txt", thousand);
    const std::string off = service.dir().write("off.txt", "01011112222 01033334444");
    const std::string b = service.dir().write("b.txt", some);
    const std::string gone = service.dir().file("gone.txt");
    service.dir().write("msg/RAZIDODU.ini", "[Reject]\r\nReject_001=TRUE,a.txt," + a +
                                                "\r\nReject_002=FALSE,off.txt," + off +
                                                "\r\nReject_003=TRUE,gone.txt," + gone +
                                                "\r\nReject_050=TRUE,b.txt," + b + "\r\n");

    ASSERT_TRUE(model->execute(Command::Login));
    ASSERT_TRUE(test::runUntil([&] { return has("notice:" + noticeUrl()); }));
    EXPECT_EQ(events, (Events{
                          "login-dialog",
                          "wait:show",
                          "wait:close",
                          "commands:in",
                          std::string("title: ") + kBase + "  - 아이디 : [user01] Ver - 2.1.5 ",
                          "form:balance",
                          "error:" + gone + "\n수신거부 화일이 존재하지 않습니다. 확인바랍니다.",
                          std::string("title: ") + kBase +
                              " - 아이디 : [user01] Ver - 2.1.5 ::수신거부 데이터 [1234] 개",
                          "form:callbacks",
                          "notice:" + noticeUrl(),
                      }));
    EXPECT_EQ(model->loginState().rejectCount, 1234);
    EXPECT_TRUE(model->isEnabled(Command::Logout));
    EXPECT_FALSE(model->isEnabled(Command::Login));
}

TEST_F(MainFrameModelTest, CancelledOrRefusedLoginLeavesTheUserOut) {
    frame.loginAnswer = false;
    ASSERT_TRUE(model->execute(Command::Login));
    EXPECT_EQ(events, Events{"login-dialog"});
    EXPECT_EQ(model->session().connection(), nullptr);

    events.clear();
    frame.loginAnswer = true;
    frame.loginPassword = "wrong";
    ASSERT_TRUE(model->execute(Command::Login));
    ASSERT_TRUE(test::runUntil([&] { return !notifier.shown().empty(); }));
    test::runFor(50ms);
    EXPECT_EQ(events, (Events{"login-dialog", "wait:show", "wait:close",
                              "error:로그인 실패. 계정정보를 확인하세요!"}));
    EXPECT_FALSE(model->isEnabled(Command::Logout));
}

TEST_F(MainFrameModelTest, CommandsRefusedWhileLoggedOut) {
    for (const Command c : {Command::Logout, Command::SendForm, Command::Results, Command::Reserved,
                            Command::AddressBook, Command::Charge, Command::MemberInfo})
        EXPECT_FALSE(model->execute(c)) << static_cast<int>(c);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(model->execute(Command::Notice));
    EXPECT_TRUE(model->execute(Command::About));
    EXPECT_TRUE(model->execute(Command::Exit));
    EXPECT_EQ(events, (Events{"notice:" + noticeUrl(), "about", "close-window"}));
}

TEST_F(MainFrameModelTest, PageViewsLoadEachTimeTheyAreBroughtForward) {
    frame.loginId = "a&b c";
    service.addAccount("a&b c", "pass01");
    logIn();
    const std::string results = "load:134 " + web() + "/ClientStatMgrd.jsp?mode=init&cid=a%26b%20c";
    const std::string reserved =
        "load:138 " + web() + "/view_reservedata.jsp?mode=view_rsv_client&cid=a%26b%20c";
    const std::string charge = "load:140 " + web() + "/ClientStatMgr.jsp?mode=view_acc_client&cid=a%26b%20c";

    model->execute(Command::Results);
    model->execute(Command::Results); // already shown: nothing
    model->execute(Command::Reserved);
    model->execute(Command::Results);
    model->execute(Command::SendForm);
    model->execute(Command::SendForm);
    model->execute(Command::Charge);
    model->execute(Command::MemberInfo);
    EXPECT_EQ(events,
              (Events{"view:134", results, "view:138", reserved, "view:134", results, "view:101", "view:140",
                      charge, "member:" + web() + "/ClientUserinit.jsp?mode=init&cid=a%26b%20c"}));
    EXPECT_EQ(model->activeView(), ViewId::Charge);
}

TEST_F(MainFrameModelTest, LogoutBringsTheSendFormBackAndClosesTheConnection) {
    logIn();
    model->execute(Command::Reserved);
    events.clear();
    ASSERT_TRUE(model->execute(Command::Logout));
    EXPECT_EQ(events,
              (Events{"view:101", "form:clear", std::string("title: ") + kBase + " ", "commands:out"}));
    EXPECT_EQ(model->session().connection(), nullptr);
    EXPECT_TRUE(service.loginServer().waitForLogout("user01", 5s));

    // From the send form itself, the view is not switched again.
    logIn();
    model->execute(Command::Logout);
    EXPECT_EQ(events, (Events{"form:clear", std::string("title: ") + kBase + " ", "commands:out"}));
}

TEST_F(MainFrameModelTest, LogoutIsRefusedWhileASendJobRuns) {
    logIn();
    frame.sending = true;
    ASSERT_TRUE(model->execute(Command::Logout));
    EXPECT_EQ(events, Events{"error:전송중입니다. 전송이 끝난 후 다시 시도해 주세요!"});
    EXPECT_TRUE(model->loginState().loggedIn);
    EXPECT_NE(model->session().connection(), nullptr);

    events.clear();
    frame.sending = false;
    ASSERT_TRUE(model->execute(Command::Logout));
    EXPECT_EQ(events, (Events{"form:clear", std::string("title: ") + kBase + " ", "commands:out"}));
}

TEST_F(MainFrameModelTest, AppliedRejectListsRetitleOnlyWhileLoggedIn) {
    model->rejectListsApplied(12);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(model->loginState().rejectCount, 0);
    logIn();
    model->rejectListsApplied(77);
    EXPECT_EQ(events, (Events{std::string("title: ") + kBase +
                              " - 아이디 : [user01] Ver - 2.1.5 ::수신거부 데이터 [77] 개"}));
    EXPECT_EQ(model->loginState().rejectCount, 77);
}

TEST_F(MainFrameModelTest, ServerClosingTheConnectionLogsOutBeforeItsMessage) {
    logIn();
    ASSERT_TRUE(service.loginServer().disconnect("user01"));
    ASSERT_TRUE(test::runUntil([&] { return !notifier.shown().empty(); }));
    // The commands follow the cleared flag before the box appears.
    EXPECT_EQ(events,
              (Events{std::string("title: ") + kBase, "commands:out", "error:서버연결이 종료되었습니다.!"}));
    EXPECT_FALSE(model->loginState().loggedIn);
}

// "아니요" changes nothing; "예" ends a running job before the logout closes the
// connection its result would come on, and empties imgtemp.
TEST_F(MainFrameModelTest, CloseQuestion) {
    const Events closing{"form:clear", std::string("title: ") + kBase + " ", "commands:out",
                         "form:close-editors"};
    Events stopping = closing;
    stopping.insert(stopping.begin(), "form:abandon-send");
    const struct Row {
        bool sending;
        const char* question;
        Events events;
    } rows[] = {
        {false, "종료하시겠습니까?", closing},
        {true,
         "전송중입니다. 종료하면 전송이 중단되며, 남은 데이터는 다음 실행 후 전송할 수 있습니다. "
         "종료하시겠습니까?",
         stopping},
    };
    const std::string picture = service.dir().file("imgtemp/pic.jpg");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.sending);
        logIn();
        service.dir().write("imgtemp/pic.jpg", "jpeg");
        frame.sending = r.sending;
        const test::Shown question{ko(r.question), MessageIcon::Error, defaultCaption(), true};
        notifier.answerNext(false);
        EXPECT_FALSE(model->confirmClose());
        EXPECT_EQ(notifier.shown(), std::vector<test::Shown>{question});
        EXPECT_EQ(events, Events{}); // a question is not an event of the timeline
        EXPECT_EQ(frame.sending, r.sending);
        EXPECT_TRUE(model->loginState().loggedIn);
        EXPECT_NE(model->session().connection(), nullptr);
        EXPECT_TRUE(test::fileExists(picture));

        notifier.clear();
        notifier.answerNext(true);
        EXPECT_TRUE(model->confirmClose());
        EXPECT_EQ(notifier.shown(), std::vector<test::Shown>{question});
        EXPECT_EQ(events, r.events);
        EXPECT_FALSE(model->loginState().loggedIn);
        EXPECT_EQ(model->session().connection(), nullptr);
        EXPECT_FALSE(test::fileExists(picture));
    }
}

TEST_F(MainFrameModelTest, AddressBookHandOver) {
    logIn();
    struct Row {
        const char* name;
        bool closedWithClose;
        std::string handOver;
        Events expected;
    };
    const std::string text = "kim\x04"
                             "01012345678\x02";
    const Row rows[] = {
        {"nothing picked", true, "", {"address-book"}},
        {"closed otherwise", false, text, {"address-book"}},
        {"picked", true, text, {"address-book", "form:load " + text}},
    };
    for (const Row& r : rows) {
        events.clear();
        frame.addressBookClosedWithClose = r.closedWithClose;
        frame.handOver = r.handOver;
        EXPECT_TRUE(model->execute(Command::AddressBook));
        EXPECT_EQ(events, r.expected) << r.name;
    }
    // From a page view, the send form comes forward first.
    model->execute(Command::Results);
    events.clear();
    model->execute(Command::AddressBook);
    EXPECT_EQ(events, (Events{"address-book", "view:101", "form:load " + text}));
}

TEST_F(MainFrameModelTest, BannerOpensTheHomePage) {
    model->openHomePage();
    EXPECT_EQ(events, Events{"browser:" + service.config().homeUrl});
}
