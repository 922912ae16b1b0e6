#include "Options.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

using qbsend::parseOptions;
using qbsend::readPassword;

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

TEST(QbsendOptions, ThePasswordComesOneWay) {
    // From the environment only when no option names it.
    EXPECT_EQ(parseOptions({"--id", "a"}, "env-pw").options.password, "env-pw");
    EXPECT_EQ(parseOptions({"--id", "a", "--password", "given"}, "env-pw").options.password, "given");
    EXPECT_EQ(parseOptions({"--id", "a"}, "").error, "--password is required");
    const auto fromStdin = parseOptions({"--id", "a", "--password", "-"}, "env-pw");
    ASSERT_TRUE(fromStdin.ok()) << fromStdin.error;
    EXPECT_TRUE(fromStdin.options.passwordFromStdin);
    EXPECT_EQ(fromStdin.options.password, "");
    const auto fromFile = parseOptions({"--id", "a", "--password-file", "/p"});
    ASSERT_TRUE(fromFile.ok()) << fromFile.error;
    EXPECT_EQ(fromFile.options.passwordFile, "/p");
    for (const std::vector<std::string>& twice :
         {std::vector<std::string>{"--id", "a", "--password", "x", "--password-file", "/p"},
          std::vector<std::string>{"--id", "a", "--password", "-", "--password-file", "/p"}})
        EXPECT_EQ(parseOptions(twice).error,
                  "give the password one way: --password, --password-file or --password -");

    qb::test::TempDir dir;
    struct Row {
        const char* name;
        std::string file; // empty: standard input
        std::string content;
        std::string password;
        std::string error;
    };
    const Row rows[] = {
        {"stdin line", "", "s3cret\nrest\n", "s3cret", ""},
        {"stdin CR LF", "", "s3cret\r\n", "s3cret", ""},
        {"stdin empty", "", "", "", "--password -: no password on standard input"},
        {"file", dir.write("pw", "p w \r\nsecond\n"), "", "p w ", ""},
        {"file without line end", dir.write("pw2", "last"), "", "last", ""},
        {"empty file", dir.write("pw3", "\n"), "", "",
         "--password-file: no password on the first line of " + dir.file("pw3")},
        {"missing file", dir.file("none"), "", "", "--password-file: cannot read " + dir.file("none")},
    };
    for (const Row& row : rows) {
        qbsend::Options o;
        if (row.file.empty())
            o.passwordFromStdin = true;
        else
            o.passwordFile = row.file;
        std::istringstream in(row.content);
        EXPECT_EQ(readPassword(o, in), row.error) << row.name;
        if (row.error.empty()) {
            EXPECT_EQ(o.password, row.password) << row.name;
        }
    }
}

TEST(QbsendOptions, TimeOuts) {
    const auto r =
        parseOptions({"--id", "a", "--password", "b", "--reply-timeout", "2", "--write-timeout=90"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.replyTimeout, 2);
    EXPECT_EQ(r.options.writeTimeout, 90);
    EXPECT_FALSE(parseOptions({"--id", "a", "--password", "b"}).options.replyTimeout);
    EXPECT_EQ(parseOptions({"--id", "a", "--password", "b", "--reply-timeout", "0"}).error,
              "--reply-timeout needs a number of seconds from 1 to 86400");
}
