#include "app/ServiceConfig.h"

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
