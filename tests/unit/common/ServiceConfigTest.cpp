#include "app/ServiceConfig.h"
#include "common/Cp949.h"
#include "common/ProfileFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace qb;

TEST(ServiceConfig, DefaultsWithoutFile) {
    test::TempDir dir;
    const ServiceConfig c = ServiceConfig::load(dir.path());
    EXPECT_EQ(c.host, "quillbank2.example");
    EXPECT_EQ(c.loginPort, 40001);
    EXPECT_EQ(c.sendPort, 40000);
    EXPECT_EQ(c.webPort, 80);
    EXPECT_EQ(c.webBase(), "http://quillbank2.example");
}

TEST(ServiceConfig, ValuesFromFileAndBadPortsFallBack) {
    test::TempDir dir;
    dir.write("service.ini", "[service]\r\nhost=127.0.0.1\r\nLOGIN_PORT=5001\r\nSEND_PORT=abc\r\n"
                             "WEB_PORT=8080\r\nHOME_URL=http://127.0.0.1:8080/\r\n");
    const ServiceConfig c = ServiceConfig::load(dir.path());
    EXPECT_EQ(c.host, "127.0.0.1");
    EXPECT_EQ(c.loginPort, 5001);
    EXPECT_EQ(c.sendPort, 40000);
    EXPECT_EQ(c.webPort, 8080);
    EXPECT_EQ(c.webBase(), "http://127.0.0.1:8080");
    EXPECT_EQ(c.homeUrl, "http://127.0.0.1:8080/");

    dir.write("service.ini", "[SERVICE]\nLOGIN_PORT=70000\nHOST=\n");
    const ServiceConfig d = ServiceConfig::load(dir.path());
    EXPECT_EQ(d.loginPort, 40001);
    EXPECT_EQ(d.host, "quillbank2.example");
}

TEST(ServiceConfig, PortsOutOfRangeAreReportedNotReplacedSilently) {
    struct Row {
        const char* value;
        bool bad;
    };
    const Row rows[] = {{"0", true},       {"70000", true}, {"65536", true}, {"-1", true},
                        {"abc", true},     {"40 01", true}, {"1", false},    {"65535", false},
                        {" 5001 ", false}, {"", false}}; // an empty value is a missing one
    for (const Row& row : rows) {
        test::TempDir dir;
        dir.write("service.ini", std::string("[SERVICE]\r\nSEND_PORT=") + row.value + "\r\n");
        const ServiceConfig c = ServiceConfig::load(dir.path());
        if (!row.bad) {
            EXPECT_TRUE(c.badValues.empty()) << row.value;
            EXPECT_EQ(c.badValuesMessage(), "") << row.value;
            continue;
        }
        EXPECT_EQ(c.sendPort, 40000) << row.value;
        ASSERT_EQ(c.badValues.size(), 1u) << row.value;
        EXPECT_EQ(c.badValues[0].key, "SEND_PORT");
        EXPECT_EQ(c.badValues[0].value, row.value);
        EXPECT_EQ(c.badValues[0].fallback, 40000);
    }
    test::TempDir dir;
    dir.write("service.ini", "[SERVICE]\r\nLOGIN_PORT=70000\r\nWEB_PORT=web\r\n");
    EXPECT_EQ(
        cp949::toUtf8(ServiceConfig::load(dir.path()).badValuesMessage()),
        "service.ini [SERVICE] LOGIN_PORT=70000 : 포트 번호(1~65535)가 아닙니다. 기본값 40001을 사용합니다.\n"
        "service.ini [SERVICE] WEB_PORT=web : 포트 번호(1~65535)가 아닙니다. 기본값 80을 사용합니다.");

    // Too large to read: every value its default, and the file named.
    dir.write("service.ini", "[SERVICE]\r\nHOST=far.example\r\n" + std::string(ProfileFile::kMaxBytes, ' '));
    const ServiceConfig unread = ServiceConfig::load(dir.path());
    EXPECT_EQ(unread.host, ServiceConfig().host);
    EXPECT_EQ(unread.unreadFile, dir.file("service.ini"));
    EXPECT_EQ(cp949::toUtf8(unread.badValuesMessage()),
              dir.file("service.ini") + "\n설정 파일이 너무 큽니다(1MB 초과). 이 파일은 읽지 않습니다.");
}

TEST(ServiceConfig, AnIpv6HostIsWrittenInBracketsInAddresses) {
    const std::pair<const char*, const char*> rows[] = {
        {"::1", "[::1]"},
        {"[::1]", "[::1]"},
        {"127.0.0.1", "127.0.0.1"},
        {"quillbank2.example", "quillbank2.example"},
    };
    for (const auto& [host, written] : rows)
        EXPECT_EQ(urlHost(host), written);
    ServiceConfig c;
    c.host = "::1";
    c.webPort = 8080;
    EXPECT_EQ(c.webBase(), "http://[::1]:8080");
}
