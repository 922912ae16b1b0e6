#include "web/WebJson.h"

#include "common/Cp949.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <array>

namespace qb::webjson {
namespace {

constexpr std::array<std::string_view, 2> kFields{"idx", "grpname"};

struct ReadCase {
    const char* what;
    std::string text;
    bool ok;
    std::vector<Row> rows;
};

TEST(WebJsonRead, RepliesAndTheirRows) {
    const std::vector<ReadCase> cases{
        {"two records in order",
         R"({"u":[{"idx":"1","grpname":"a"},{"idx":"2","grpname":"b"}]})",
         true,
         {{"1", "a"}, {"2", "b"}}},
        {"comments allowed",
         "// list\n{\"u\": /* groups */ [{\"idx\":\"1\",\"grpname\":\"a\"}]}",
         true,
         {{"1", "a"}}},
        {"missing field in one element",
         R"({"u":[{"idx":"1"},{"idx":"2","grpname":"b"}]})",
         true,
         {{"1", ""}, {"2", "b"}}},
        {"null and booleans",
         R"({"u":[{"idx":null,"grpname":true},{"idx":"x","grpname":false}]})",
         true,
         {{"", "true"}, {"x", "false"}}},
        {"extra members ignored", R"({"u":[{"idx":"1","grpname":"a","other":5}],"v":3})", true, {{"1", "a"}}},
        {"empty array", R"({"u":[]})", true, {}},
        {"no user member", R"({"someone":[{"idx":"1","grpname":"a"}]})", true, {}},
        {"null user member", R"({"u":null})", true, {}},
        {"member name is case-sensitive", R"({"U":[{"idx":"1","grpname":"a"}]})", true, {}},
        {"number in a field", R"({"u":[{"idx":1,"grpname":"a"}]})", false, {}},
        {"array in a field", R"({"u":[{"idx":"1","grpname":["a"]}]})", false, {}},
        {"object in a field", R"({"u":[{"idx":"1","grpname":{}}]})", false, {}},
        {"member not an array", R"({"u":{"idx":"1"}})", false, {}},
        {"member a string", R"({"u":"x"})", false, {}},
        {"element not an object", R"({"u":["1"]})", false, {}},
        {"null element", R"({"u":[null]})", false, {}},
        {"root an array", R"([{"u":[]}])", false, {}},
        {"root a string", R"("u")", false, {}},
        {"empty reply", "", false, {}},
        {"HTML error page", "<html><body>500</body></html>", false, {}},
        {"cut short", R"({"u":[{"idx":"1","grpna)", false, {}},
        {"deeper than the reader allows", std::string(5000, '[') + std::string(5000, ']'), false, {}},
    };
    for (const ReadCase& c : cases) {
        std::vector<Row> rows{{"stale"}};
        std::string why;
        EXPECT_EQ(readList(c.text, "u", kFields, rows, &why), c.ok) << c.what;
        EXPECT_EQ(rows, c.rows) << c.what;
        EXPECT_EQ(why.empty(), c.ok) << c.what;
    }
}

TEST(WebJsonRead, Cp949BytesAndTheUserIdMemberPassUnchanged) {
    const std::string user = ko("홍길동") + "&a=b c";
    const std::string name = ko("똠방각하") + "\x8C\x63"; // 똠 is 8C 63 in CP949
    const std::string text = "{\"" + user + "\":[{\"idx\":\"7\",\"grpname\":\"" + name + "\"}]}";
    std::vector<Row> rows;
    ASSERT_TRUE(readList(text, user, kFields, rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], name);
}

TEST(WebJsonRead, EscapesAreDecodedByTheReader) {
    std::vector<Row> rows;
    ASSERT_TRUE(readList(R"({"u":[{"idx":"a\"b\\c\nd\u0041","grpname":"\u00e9"}]})", "u", kFields, rows));
    EXPECT_EQ(rows[0][0], "a\"b\\c\ndA");
    EXPECT_EQ(rows[0][1], "\xC3\xA9"); // \u escapes come out as UTF-8; the service sends raw CP949
}

std::string styledOracle(const std::string& member, const std::vector<Object>& elements) {
    Json::Value list(Json::arrayValue);
    for (const Object& o : elements) {
        Json::Value e(Json::objectValue);
        for (const auto& [k, v] : o)
            e[k] = v;
        list.append(e);
    }
    Json::Value root(Json::objectValue);
    root[member] = list;
    Json::StyledWriter writer;
    return writer.write(root);
}

TEST(WebJsonWrite, AsciiMatchesTheStyledWriterByteForByte) {
    std::string controls;
    for (int c = 1; c < 0x20; ++c)
        controls += static_cast<char>(c);
    controls += '\x7F';
    const std::vector<std::pair<std::string, std::vector<Object>>> cases{
        {"tester", {}},
        {"tester", {{{"name", "Kim"}, {"hpno", "01012345678"}, {"etc", "memo"}}}},
        {"a&b=c d",
         {{{"name", "x"}, {"hpno", "1"}}, {{"name", "y"}, {"hpno", "2"}}, {{"name", ""}, {"hpno", ""}}}},
        {"q\"uote",
         {{{"name", "\"quoted\" \\ back/slash"}, {"hpno", "tab\there"}, {"etc", "line\r\nbreak"}}}},
        {"ctl", {{{"name", controls}, {"hpno", "\b\f"}}}},
        {"order", {{{"zeta", "1"}, {"alpha", "2"}, {"alphabet", "3"}, {"Beta", "4"}}}},
        {"long", {{{"etc", std::string(300, 'm')}, {"name", "n"}}}},
        {"empties", {{}, {}}},
        {"mixed", {{}, {{"name", "a"}}}},
        {"many empties", std::vector<Object>(30)},
    };
    for (const auto& [member, elements] : cases)
        EXPECT_EQ(writeStyledList(member, elements), styledOracle(member, elements)) << member;
}

TEST(WebJsonWrite, Cp949GoesOutRawInTheStyledLayout) {
    const std::string user = ko("사용자");
    const std::string name = ko("홍길동");
    const std::string memo = ko("메모") + "\x8C\x63";
    const std::string json = writeStyledList(user, {{{"name", name}, {"hpno", "010"}, {"etc", memo}}});
    EXPECT_EQ(json, "{\n   \"" + user + "\" : [\n      {\n         \"etc\" : \"" + memo +
                        "\",\n         \"hpno\" : \"010\",\n         \"name\" : \"" + name +
                        "\"\n      }\n   ]\n}\n");
    // The library's own writer would have turned those bytes into \u escapes.
    EXPECT_NE(json, styledOracle(user, {{{"name", name}, {"hpno", "010"}, {"etc", memo}}}));

    const std::array<std::string_view, 3> fields{"name", "hpno", "etc"};
    std::vector<Row> rows;
    ASSERT_TRUE(readList(json, user, fields, rows));
    EXPECT_EQ(rows, (std::vector<Row>{{name, "010", memo}}));
}

} // namespace
} // namespace qb::webjson
