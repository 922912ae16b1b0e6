#include "Options.h"

#include <gtest/gtest.h>

using qbsend::parseOptions;

TEST(QbsendDryRunOptions, EveryOptionLandsInItsField) {
    const auto r = parseOptions({"--dry-run",
                                 "--text",
                                 "a.txt",
                                 "--text=b.txt",
                                 "--delimiter",
                                 ",;",
                                 "--number-column",
                                 "2",
                                 "--merge",
                                 "1=3",
                                 "--merge=4=1",
                                 "--header",
                                 "--merge",
                                 "2=이름",
                                 "--kind",
                                 "mms",
                                 "--callback",
                                 "021234",
                                 "--message",
                                 "hi\nthere",
                                 "--title",
                                 "t",
                                 "--picture",
                                 "p.jpg",
                                 "--reserve",
                                 "2024-01-01 09:00",
                                 "--range",
                                 "3",
                                 "10",
                                 "--split",
                                 "100",
                                 "10",
                                 "--no-dedup",
                                 "--no-reject",
                                 "--excluded",
                                 "x.csv",
                                 "--strict"});
    ASSERT_TRUE(r.ok()) << r.error;
    const qbsend::Options& o = r.options;
    EXPECT_TRUE(o.dryRun);
    EXPECT_EQ(o.textFiles, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(o.delimiter, ",;");
    EXPECT_EQ(o.numberColumn, 2);
    EXPECT_EQ(o.merges, (std::vector<std::pair<int, int>>{{1, 3}, {4, 1}}));
    EXPECT_TRUE(o.header);
    EXPECT_EQ(o.mergeNames, (std::vector<std::pair<int, std::string>>{{2, "이름"}}));
    EXPECT_EQ(o.kind, "mms");
    EXPECT_EQ(o.message, "hi\nthere");
    EXPECT_EQ(o.pictures, std::vector<std::string>{"p.jpg"});
    EXPECT_EQ(o.range, (std::pair<std::string, std::string>("3", "10")));
    EXPECT_EQ(o.split, (std::pair<std::string, std::string>("100", "10")));
    EXPECT_TRUE(o.noDedup);
    EXPECT_TRUE(o.noReject);
    EXPECT_EQ(o.excludedFile, "x.csv");
    EXPECT_TRUE(o.strict);
    EXPECT_TRUE(o.id.empty()); // no login for a dry run
}

TEST(QbsendDryRunOptions, ASendTakesTheSameOptionsAndAWait) {
    const auto r = parseOptions({"--id", "a", "--password", "b", "--text", "l.txt", "--kind", "mms",
                                 "--picture", "p.jpg", "--callback", "021234", "--wait", "90"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_FALSE(r.options.dryRun);
    EXPECT_TRUE(r.options.hasJob());
    EXPECT_EQ(r.options.waitSeconds, 90);
    EXPECT_EQ(r.options.pictures, std::vector<std::string>{"p.jpg"});
    const auto defaults = parseOptions({"--id", "a", "--password", "b", "--excel", "w.xlsx", "--sheet", "2"});
    ASSERT_TRUE(defaults.ok()) << defaults.error;
    EXPECT_EQ(defaults.options.waitSeconds, 60);
    EXPECT_FALSE(parseOptions({"--id", "a", "--password", "b"}).options.hasJob());
}

TEST(QbsendDryRunOptions, BadCombinations) {
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{"--dry-run"}, "--dry-run needs recipients from --text or --excel (one of them)"},
        {{"--dry-run", "--text", "a", "--excel", "b.xls", "--sheet", "1"},
         "--dry-run needs recipients from --text or --excel (one of them)"},
        {{"--dry-run", "--excel", "b.xls"}, "--excel needs --sheet"},
        {{"--dry-run", "--excel", "b.xls", "--sheet", "1", "--delimiter", ","},
         "--delimiter goes with --text"},
        {{"--dry-run", "--text", "a", "--message", "x", "--message-file", "m"},
         "--message and --message-file exclude each other"},
        {{"--dry-run", "--text", "a", "--picture", "p.jpg"}, "--picture needs --kind mms"},
        {{"--dry-run", "--text", "a", "--range", "1"}, "--range needs FROM TO"},
        {{"--dry-run", "--text", "a", "--range=1", "2"}, "--range needs FROM TO"},
        {{"--dry-run", "--text", "a", "--merge", "5=1"},
         "--merge needs K=C with K from 1 to 4 and a column C from 1"},
        {{"--dry-run", "--text", "a", "--merge", "1=이름"}, "--merge K=NAME needs --header"},
        {{"--dry-run", "--text", "a", "--merge", "1"},
         "--merge needs K=C with K from 1 to 4 and a column C from 1"},
        {{"--dry-run", "--text", "a", "--kind", "fax"}, "--kind needs sms, lms or mms"},
        {{"--dry-run", "--text", "a", "--sheet", "0"}, "--sheet needs a number from 1"},
        {{"--dry-run", "--text", "a", "--number-column", "x"}, "--number-column needs a number from 1"},
        {{"--dry-run", "--text", "a", "--wait", "5"}, "--wait goes with a send, not --dry-run"},
        // What is sent must be text CP949 can hold, never '?' in its place.
        {{"--dry-run", "--text", "a", "--message", "hi 😀"}, "--message needs text that CP949 can hold"},
        {{"--dry-run", "--text", "a", "--title=Blätt"}, "--title needs text that CP949 can hold"},
        {{"--dry-run", "--text", "a", "--callback", "02ä"}, "--callback needs text that CP949 can hold"},
        {{"--dry-run", "--text", "a", "--delimiter", "ä"}, "--delimiter needs text that CP949 can hold"},
        // The same rules hold for a send, which also needs the account.
        {{"--text", "a"}, "--id is required"},
        {{"--id", "a", "--password", "b", "--kind", "lms"},
         "a send needs recipients from --text or --excel (one of them)"},
        {{"--id", "a", "--password", "b", "--excel", "b.xls"}, "--excel needs --sheet"},
        {{"--id", "a", "--password", "b", "--text", "a", "--picture", "p.jpg"}, "--picture needs --kind mms"},
        {{"--id", "a", "--password", "b", "--wait", "5"}, "--wait goes with a send (--text or --excel)"},
        {{"--id", "a", "--password", "b", "--text", "a", "--wait", "0"},
         "--wait needs a number of seconds from 1 to 86400"},
        {{"--id", "a", "--password", "b", "--text", "a", "--wait", "86401"},
         "--wait needs a number of seconds from 1 to 86400"},
    };
    for (const auto& [args, error] : rows)
        EXPECT_EQ(parseOptions(args).error, error);
}
