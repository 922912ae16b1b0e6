#include "RawHttpCapture.h"
#include "WebFixture.h"

#include "common/Cp949.h"
#include "support/ServiceHarness.h"
#include "web/CFormUploader.h"
#include "web/HttpRequests.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qb::test {
namespace {

using Capture = RawHttpCapture;

std::string reply(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

WebHost hostOf(int port) {
    return WebHost{"127.0.0.1", port, HttpTimeouts{2000, 5000}};
}

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool ipv6LoopbackWorks() {
    const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_addr = in6addr_loopback;
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

TEST(HttpOverIpv6, WebCallsReachAnIpv6HostAsTheMessageServerDoes) {
    if (!ipv6LoopbackWorks())
        GTEST_SKIP() << "no IPv6 loopback here";
    qbs::ServiceOptions options;
    options.host = "::1";
    ServiceHarness service(options);
    service.addAccount("user01", "pass01");
    const ServiceConfig config = service.config();
    ASSERT_EQ(config.host, "::1");
    EXPECT_EQ(config.webBase(), "http://[::1]:" + std::to_string(config.webPort));
    const WebHost web = WebHost::from(config);
    EXPECT_EQ(web.url("getaddrgroup.jsp?cid=user01"),
              "http://[::1]:" + std::to_string(config.webPort) + "/getaddrgroup.jsp?cid=user01");

    EXPECT_EQ(PostForm(web, "/setaddrgroup.jsp", {{"m_id", "user01"}, {"groupname", "v6"}}, {}), 0);
    std::string reply;
    ASSERT_TRUE(HttpGetText(web, "getaddrgroup.jsp?cid=user01", reply));
    EXPECT_NE(reply.find("\"v6\""), std::string::npos) << reply;
}

TEST(HttpWire, GetCarriesItsAgentAndTheEncodedPathExactly) {
    const std::string big(100'000, 'x');
    Capture capture(reply("200 OK", big));
    std::string text = "stale";
    ASSERT_TRUE(HttpGetText(hostOf(capture.port()),
                            "getaddrgroup.jsp?cid=" + percentEncode("a&b=c d" + ko("가")), text));
    EXPECT_EQ(text, big); // held whole, not cut at any buffer size
    const auto req = Capture::parse(capture.only());
    EXPECT_EQ(req.requestLine, "GET /getaddrgroup.jsp?cid=a%26b%3Dc%20d%B0%A1 HTTP/1.1");
    EXPECT_EQ(req.header("User-Agent"), "HTTP");
    EXPECT_EQ(req.header("Accept"), "*/*");
    EXPECT_EQ(req.header("Host"), "127.0.0.1:" + std::to_string(capture.port()));
    EXPECT_TRUE(req.body.empty());
}

TEST(HttpWire, PostCarriesTheMultipartBodyWithExactHeaders) {
    Capture capture;
    const std::string user = ko("홍길동");
    ASSERT_EQ(PostForm(hostOf(capture.port()), "/setsmsmsg.jsp", {{"m_id", user}, {"data", "a&b=c d"}}), 0);
    const auto req = Capture::parse(capture.only());
    const std::string body =
        "----HC-MPFD-BOUNDARY\r\nContent-Disposition: form-data; name=\"m_id\"\r\n\r\n" + user +
        "\r\n----HC-MPFD-BOUNDARY\r\nContent-Disposition: form-data; name=\"data\"\r\n\r\n"
        "a&b=c d\r\n----HC-MPFD-BOUNDARY--\r\n";
    EXPECT_EQ(req.requestLine, "POST /setsmsmsg.jsp HTTP/1.1");
    EXPECT_EQ(req.header("User-Agent"), "SMS");
    EXPECT_EQ(req.header("Content-Type"), "multipart/form-data; boundary=--HC-MPFD-BOUNDARY");
    EXPECT_EQ(req.header("Content-Length"), std::to_string(body.size()));
    EXPECT_EQ(std::count_if(req.headers.begin(), req.headers.end(),
                            [](const std::string& h) { return h.starts_with("Content-Length:"); }),
              1);
    EXPECT_FALSE(req.has("Accept"));
    EXPECT_FALSE(req.has("Expect"));
    EXPECT_EQ(req.body, body);
}

TEST(HttpWire, PathsWithoutALeadingSlashAreRootDocuments) {
    Capture capture;
    ASSERT_EQ(PostForm(hostOf(capture.port()), "setaddrdata.jsp", {{"m_id", "u"}}), 0);
    EXPECT_EQ(Capture::parse(capture.only()).requestLine, "POST /setaddrdata.jsp HTTP/1.1");
}

// Without a limit (0) or within it the bytes are written; over it nothing is left.
TEST(HttpWire, DownloadCarriesItsAgentAndWritesTheBytesWithinItsLimit) {
    const std::string picture("\xFF\xD8\0\r\n\xFF\xD9", 7);
    for (const long long limit : {0LL, 6LL, 7LL}) {
        Capture capture(reply("200 OK", picture));
        TempDir dir;
        const bool over = limit == 6;
        EXPECT_EQ(DownloadToFile(hostOf(capture.port()).url("fileSave/a.jpg"), dir.file("a.jpg"), {}, limit),
                  over ? -1 : 7);
        EXPECT_EQ(filesIn(dir.path()), over ? std::vector<std::string>{} : std::vector<std::string>{"a.jpg"});
        if (!over) {
            EXPECT_EQ(readFile(dir.file("a.jpg")), picture);
        }
        const auto req = Capture::parse(capture.only());
        EXPECT_EQ(req.requestLine, "GET /fileSave/a.jpg HTTP/1.1");
        EXPECT_EQ(req.header("User-Agent"), "Web");
    }
}

TEST(HttpWire, StatusDecidesSuccessForReadsWritesAndDownloads) {
    struct Case {
        std::string status;
        bool ok;
    };
    const std::vector<Case> cases{
        {"200 OK", true},           {"201 Created", true},    {"399 Odd", true},
        {"400 Bad Request", false}, {"404 Not Found", false}, {"500 Internal Server Error", false},
    };
    for (const Case& c : cases) {
        const std::string body = "<html>" + c.status + "</html>";
        Capture capture(reply(c.status, body));
        const WebHost host = hostOf(capture.port());
        std::string text;
        HttpOutcome outcome;
        EXPECT_EQ(HttpGetText(host, "getsmsmsg.jsp?cid=u", text, &outcome), c.ok) << c.status;
        EXPECT_EQ(outcome.status, std::stol(c.status)) << c.status;
        EXPECT_EQ(text, body) << c.status;

        EXPECT_EQ(PostForm(host, "/setsmsmsg.jsp", {{"m_id", "u"}}), c.ok ? 0 : upload::kRefusedByServer)
            << c.status;

        TempDir dir;
        EXPECT_EQ(DownloadToFile(host.url("fileSave/p.jpg"), dir.file("p.jpg")),
                  c.ok ? static_cast<long long>(body.size()) : -1)
            << c.status;
        EXPECT_EQ(filesIn(dir.path()), c.ok ? std::vector<std::string>{"p.jpg"} : std::vector<std::string>{})
            << c.status;
    }
}

TEST(HttpWire, NothingListeningFailsEveryOperation) {
    const WebHost host = hostOf(deadPort());
    std::string text = "stale";
    HttpOutcome outcome;
    EXPECT_FALSE(HttpGetText(host, "getsmsmsg.jsp?cid=u", text, &outcome));
    EXPECT_EQ(outcome.curlCode, CURLE_COULDNT_CONNECT);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(PostForm(host, "/setsmsmsg.jsp", {{"m_id", "u"}}), 12029);

    TempDir dir;
    dir.write("a.jpg", "old picture");
    EXPECT_EQ(DownloadToFile(host.url("fileSave/a.jpg"), dir.file("a.jpg")), -1);
    EXPECT_EQ(readFile(dir.file("a.jpg")), "old picture");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"a.jpg"});
}

TEST(HttpWire, ADownloadThatCannotBeStoredRequestsNothing) {
    Capture capture;
    EXPECT_EQ(DownloadToFile(hostOf(capture.port()).url("fileSave/a.jpg"), "/nonexistent-folder/a.jpg"), 0);
    EXPECT_TRUE(capture.requests().empty());
}

TEST(HttpWire, GetAndPostFollowTheProxyEnvironmentDownloadsGoDirect) {
    Capture capture(reply("200 OK", "body"));
    const WebHost host = hostOf(capture.port());
    const std::string proxy = "http://127.0.0.1:" + std::to_string(deadPort());
    const ScopedEnv noProxy("no_proxy", nullptr), noProxyUpper("NO_PROXY", nullptr);
    const ScopedEnv httpProxy("http_proxy", proxy.c_str());

    std::string text;
    EXPECT_FALSE(HttpGetText(host, "getsmsmsg.jsp?cid=u", text));
    EXPECT_NE(PostForm(host, "/setsmsmsg.jsp", {{"m_id", "u"}}), 0);
    EXPECT_TRUE(capture.requests().empty());

    TempDir dir;
    EXPECT_EQ(DownloadToFile(host.url("fileSave/a.jpg"), dir.file("a.jpg")), 4);
    EXPECT_EQ(capture.requests().size(), 1u);
}

class HttpAgainstService : public WebFixture {};

TEST_F(HttpAgainstService, SlowRepliesEndInTheTimeOut) {
    server.faults().set("getsmsmsg.jsp", {qbs::WebFault::Slow, 3000});
    server.faults().set("setsmsmsg.jsp", {qbs::WebFault::Slow, 3000});
    server.faults().set("fileSave", {qbs::WebFault::Slow, 3000});
    store().putPicture("p.jpg", "tester", "jpeg");
    WebHost quick = host;
    quick.timeouts = {2000, 300};

    std::string text;
    HttpOutcome outcome;
    EXPECT_FALSE(HttpGetText(quick, "getsmsmsg.jsp?cid=tester", text, &outcome));
    EXPECT_EQ(outcome.curlCode, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(PostForm(quick, "/setsmsmsg.jsp", {{"m_id", "tester"}, {"data", "x"}}), 12002);
    EXPECT_EQ(DownloadToFile(quick.url("fileSave/p.jpg"), dir.file("p.jpg"), quick.timeouts), -1);
    EXPECT_FALSE(fileExists(dir.file("p.jpg")));
}

TEST_F(HttpAgainstService, TruncatedRepliesAreFailuresNotShortReplies) {
    server.faults().set("", {qbs::WebFault::Truncated});
    store().addMessage("tester", qbs::MessageStore::Sms, {0, "", "hello", {}});
    store().putPicture("p.jpg", "tester", std::string(5000, 'j'));

    std::string text;
    HttpOutcome outcome;
    EXPECT_FALSE(HttpGetText(host, "getsmsmsg.jsp?cid=tester", text, &outcome));
    EXPECT_EQ(outcome.curlCode, CURLE_PARTIAL_FILE);
    EXPECT_EQ(DownloadToFile(host.url("fileSave/p.jpg"), dir.file("p.jpg")), -1);
    EXPECT_FALSE(fileExists(dir.file("p.jpg")));

    server.faults().clear();
    EXPECT_TRUE(HttpGetText(host, "getsmsmsg.jsp?cid=tester", text));
    EXPECT_NE(text.find("hello"), std::string::npos);
}

} // namespace
} // namespace qb::test
