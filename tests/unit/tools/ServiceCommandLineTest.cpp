#include "Accounts.h"
#include "CommandLine.h"

#include "common/Cp949.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace qbs;

TEST(ServiceCommandLine, Options) {
    const CommandLine c = CommandLine::parse(
        {"--host", "0.0.0.0", "--login-port", "40001", "--send-port", "0", "--db", "/tmp/x.db", "--seed",
         "a.txt", "--seed", "b.txt", "--add-account", "홍길동", "pw", "--quiet", "--demo-data", "demo"});
    ASSERT_EQ(c.error, "");
    EXPECT_EQ(c.service.host, "0.0.0.0");
    EXPECT_EQ(c.service.loginPort, 40001);
    EXPECT_EQ(c.service.sendPort, 0);
    EXPECT_EQ(c.service.webPort, 0);
    EXPECT_EQ(c.service.databasePath, "/tmp/x.db");
    EXPECT_EQ(c.seedFiles, (std::vector<std::string>{"a.txt", "b.txt"}));
    ASSERT_EQ(c.accounts.size(), 1u);
    EXPECT_EQ(c.accounts[0].id, qb::ko("홍길동"));
    EXPECT_TRUE(c.quiet);
    EXPECT_EQ(c.demoDataUsers, std::vector<std::string>{"demo"});
    EXPECT_TRUE(c.service.webFaults.empty());

    const CommandLine faults =
        CommandLine::parse({"--web-fault", "slow:500@getsmsmsg.jsp", "--web-fault", "status500"});
    ASSERT_EQ(faults.error, "");
    EXPECT_EQ(faults.service.webFaults, (std::vector<std::string>{"slow:500@getsmsmsg.jsp", "status500"}));

    for (const auto& [text, form, value] :
         {std::tuple{"after-header", LengthField::Form::AfterHeader, 0},
          std::tuple{"whole", LengthField::Form::Whole, 0}, std::tuple{"zero", LengthField::Form::Zero, 0},
          std::tuple{"-1", LengthField::Form::Value, -1},
          std::tuple{"4096", LengthField::Form::Value, 4096}}) {
        const CommandLine l = CommandLine::parse({"--packet-length", text});
        ASSERT_EQ(l.error, "") << text;
        EXPECT_EQ(l.service.lengthField.form, form) << text;
        EXPECT_EQ(l.service.lengthField.value, value) << text;
    }

    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{"--packet-length", "large"}, "--packet-length needs after-header, whole, zero or a number"},
        {{"--packet-length", "4294967296"}, "--packet-length needs after-header, whole, zero or a number"},
        {{"--packet-length"}, "--packet-length needs after-header, whole, zero or a number"},
        {{"--login-port", "65536"}, "--login-port needs a port number (0..65535)"},
        {{"--web-port"}, "--web-port needs a port number (0..65535)"},
        {{"--add-account", "only-id"}, "--add-account needs an id and a password"},
        {{"--db", ""}, "--db needs a value"},
        {{"--nope"}, "unknown argument: --nope"},
        {{"--demo-data"}, "--demo-data needs an id"},
        {{"--web-fault"}, "--web-fault needs a value"},
        {{"--web-fault", "slow:x"}, "--web-fault slow:x: the delay of slow is milliseconds, at most 600000"},
    };
    for (const auto& [args, error] : bad)
        EXPECT_EQ(CommandLine::parse(args).error, error);
}

TEST(ServiceAccounts, SeedFileAndChecks) {
    qb::test::TempDir dir;
    Database db(":memory:");
    Accounts::createSchema(db);
    Accounts accounts(db);
    dir.write("seed.txt", "# demo accounts\r\n"
                          "demo demo1234\r\n"
                          "\r\n"
                          "  user01\tpass01  123456789  TAG-01 # trailing comment\n"
                          "홍길동 비밀번호\n");
    accounts.loadSeedFile(dir.file("seed.txt"));
    const auto demo = accounts.find("demo");
    ASSERT_TRUE(demo);
    EXPECT_EQ(demo->password, "demo1234");
    EXPECT_EQ(demo->userNumber, 100001);
    EXPECT_EQ(demo->userTag, "T100001");
    const auto user = accounts.find("user01");
    ASSERT_TRUE(user);
    EXPECT_EQ(user->userNumber, 123456789);
    EXPECT_EQ(user->userTag, "TAG-01");
    const auto korean = accounts.find(qb::ko("홍길동"));
    ASSERT_TRUE(korean);
    EXPECT_EQ(korean->password, qb::ko("비밀번호"));
    EXPECT_EQ(korean->userNumber, 123456790);
    EXPECT_FALSE(accounts.find("nobody"));

    // Adding again replaces.
    accounts.add({"demo", "new", 5, "X"});
    EXPECT_EQ(accounts.find("demo")->password, "new");

    const std::pair<std::string, std::string> bad[] = {
        {"lonely\n", "seed.txt:1: expected: id password [user_number [user_tag]]"},
        {"ok pw\na b 0\n", "seed.txt:2: user number must be 1..2147483647"},
        {"abcdefghijklmnopq pw\n", "seed.txt:1: account id is longer than 16 bytes"},
        {"a pw 1 sixteen-bytes-tag\n", "seed.txt:1: user tag is longer than 15 bytes"},
        {"a b 1 t extra\n", "seed.txt:1: expected: id password [user_number [user_tag]]"},
    };
    for (const auto& [content, error] : bad) {
        dir.write("seed.txt", content);
        try {
            accounts.loadSeedFile(dir.file("seed.txt"));
            ADD_FAILURE() << content;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), dir.file(error)) << content;
        }
    }
    EXPECT_THROW(accounts.loadSeedFile(dir.file("missing.txt")), std::runtime_error);
    EXPECT_THROW(accounts.add({"", "pw", 0, ""}), std::invalid_argument);
    EXPECT_THROW(accounts.add({std::string("a\0b", 3), "pw", 0, ""}), std::invalid_argument);
}
