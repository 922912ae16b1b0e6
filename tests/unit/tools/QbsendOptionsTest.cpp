#include "Options.h"

#include <gtest/gtest.h>

using qbsend::parseOptions;

TEST(QbsendOptions, GoodCommandLines) {
    const auto r =
        parseOptions({"--workdir", "/tmp/w", "--host=127.0.0.1", "--login-port", "40001", "--send-port=1",
                      "--web-port", "65535", "--id", "user01", "--password", "p w"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.workdir, "/tmp/w");
    EXPECT_EQ(r.options.host, "127.0.0.1");
    EXPECT_EQ(r.options.loginPort, 40001);
    EXPECT_EQ(r.options.sendPort, 1);
    EXPECT_EQ(r.options.webPort, 65535);
    EXPECT_EQ(r.options.id, "user01");
    EXPECT_EQ(r.options.password, "p w");

    const auto defaults = parseOptions({"--id", "a", "--password", "b"});
    ASSERT_TRUE(defaults.ok());
    EXPECT_EQ(defaults.options.workdir, ".");
    EXPECT_FALSE(defaults.options.host);
    EXPECT_FALSE(defaults.options.loginPort);
    // A value that looks like an option is still the value.
    EXPECT_EQ(parseOptions({"--id", "--x", "--password", "b"}).options.id, "--x");
    EXPECT_TRUE(parseOptions({"--help"}).options.help);
    EXPECT_TRUE(parseOptions({"--help"}).ok());
}

TEST(QbsendOptions, BadCommandLines) {
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{}, "--id is required"},
        {{"--id", "a"}, "--password is required"},
        {{"--id", "a", "--password"}, "--password needs PASSWORD"},
        {{"--id=", "--password", "b"}, "--id needs a non-empty value"},
        {{"--id", "a", "--password", "b", "--login-port", "0"},
         "--login-port needs a port number (1..65535)"},
        {{"--id", "a", "--password", "b", "--web-port", "65536"},
         "--web-port needs a port number (1..65535)"},
        {{"--id", "a", "--password", "b", "--send-port", "-1"}, "--send-port needs a port number (1..65535)"},
        {{"--id", "a", "--password", "b", "--send-port", "12x"},
         "--send-port needs a port number (1..65535)"},
        {{"--id", "a", "--password", "b", "--bogus"}, "unknown argument: --bogus"},
        {{"--id", "a", "--password", "b", "extra"}, "unknown argument: extra"},
        {{"--help=yes"}, "--help takes no value"},
    };
    for (const auto& [args, error] : rows)
        EXPECT_EQ(parseOptions(args).error, error);
}
