#include "web/WebText.h"
#include "web/HttpRequests.h"
#include "web/WebHost.h"
#include "web/WebPages.h"

#include "common/Cp949.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(WebText, SaveEscapingInItsOrder) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"a'b\r\n\\c", "a\\'b\n\\\\c"},
        {"\r\n\r\n", "\n\n"},
        {"\\'", "\\\\\\'"},
        {"lone\rcr and lf\n", "lone\rcr and lf\n"},
        {"", ""},
        {ko("한글'"), ko("한글") + "\\'"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(webtext::escapeForSave(in), out) << in;
}

TEST(WebText, StoredLineEndsAreShownAsCrLf) {
    EXPECT_EQ(webtext::toCrLf("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(webtext::toCrLf("a\\nb"), "a\\nb");
}

TEST(WebText, PictureNamesThatMayBecomeFileNames) {
    const std::vector<std::pair<std::string, bool>> cases{
        {"tester_20240305140709_1.jpg", true},
        {ko("홍길동") + "_1.jpg", true},
        {"a b&c.jpg", true},
        {"..", false},
        {"../x.jpg", false},
        {"a/../../x.jpg", false},
        {"x..jpg", false},
        {"/etc/passwd", false},
        {"sub/x.jpg", false},
        {"..\\x.jpg", false},
        {"a\\b.jpg", false},
        {std::string("a\0b.jpg", 7), false},
        {".", false},
        {"", false},
        {std::string(255, 'a'), true},
        {std::string(256, 'a'), false},
    };
    for (const auto& [name, safe] : cases)
        EXPECT_EQ(webtext::isSafePictureName(name), safe) << name;
}

TEST(WebText, FillTakesArgumentsInOrderAndNeverRescansThem) {
    EXPECT_EQ(webtext::fill("%s - %d / %d", {"box", "1", "0"}), "box - 1 / 0");
    EXPECT_EQ(webtext::fill("[%s] --> [%s]", {"%s", "b"}), "[%s] --> [b]");
    EXPECT_EQ(webtext::fill("%s and %s", {"one"}), "one and %s");
    EXPECT_EQ(webtext::fill("100%", {}), "100%");
}

TEST(WebText, QueryValuesArePercentEncoded) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"tester", "tester"},
        {"a&b=c d", "a%26b%3Dc%20d"},
        {"+%?#/", "%2B%25%3F%23%2F"},
        {"-._~", "-._~"},
        {ko("가"), "%B0%A1"},
        {std::string("\0", 1), "%00"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(percentEncode(in), out) << in;
}

TEST(WebText, UrlsOnTheServiceHost) {
    const WebHost standard{"svc.example", 80, {}};
    const WebHost local{"127.0.0.1", 8080, {}};
    EXPECT_EQ(standard.url("getaddrgroup.jsp?cid=x"), "http://svc.example/getaddrgroup.jsp?cid=x");
    EXPECT_EQ(standard.url("/setaddrgroup.jsp"), "http://svc.example/setaddrgroup.jsp");
    EXPECT_EQ(local.url("fileSave/a.jpg"), "http://127.0.0.1:8080/fileSave/a.jpg");

    const std::string id = "a&b " + ko("가");
    EXPECT_EQ(webPageUrl(standard, WebPage::Results, id),
              "http://svc.example/ClientStatMgrd.jsp?mode=init&cid=a%26b%20%B0%A1");
    EXPECT_EQ(webPageUrl(local, WebPage::Reservations, "u"),
              "http://127.0.0.1:8080/view_reservedata.jsp?mode=view_rsv_client&cid=u");
    EXPECT_EQ(webPageUrl(standard, WebPage::Charging, "u"),
              "http://svc.example/ClientStatMgr.jsp?mode=view_acc_client&cid=u");
    EXPECT_EQ(webPageUrl(standard, WebPage::Notices, "u"),
              "http://svc.example/ClientNoticeReader.jsp?mode=init&kind=smsadmin");
    EXPECT_EQ(webPageUrl(standard, WebPage::MemberData, "u"),
              "http://svc.example/ClientUserinit.jsp?mode=init&cid=u");
}

} // namespace
} // namespace qb
