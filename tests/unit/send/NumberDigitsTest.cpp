#include "FormTestSupport.h"
#include "common/PhoneNumber.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qb;
using namespace qb::test;

TEST(NumberDigits, SeparatorsAndCorrectionsMakeANumber) {
    struct Case {
        const char* text;
        const char* digits; // nullptr: no number
        bool corrected = false;
    } cases[] = {
        {"01024681357", "01024681357"},
        {"010-2468-1357", "01024681357"},
        {" 010 2468 1357 ", "01024681357"},
        {"010.2468.1357", "01024681357"},
        {"(02) 123-4567", "021234567"},
        {"12345678", "12345678"},
        {"1-2-3-4-5-6-7-8", "12345678"},
        {"123456789012345", "123456789012345"},
        {"1234567", nullptr},
        {"123-4567", nullptr},
        {"1234567890123456", nullptr},
        {"phone_number", nullptr},
        {"010-2468-1357	", nullptr},
        {"", nullptr},
        // The country code, before a Korean number only.
        {"+82 10-3456-7804", "01034567804", true},
        {"+82 2-123-4567", "021234567", true},
        {"+82 010-3456-7804", "01034567804", true},
        {"+82-31-123-4567", "0311234567", true},
        {"+82 70 1234 5678", "07012345678", true},
        {"0082 10 3456 7804", "01034567804", true},
        {"0082-010-3456-7804", "01034567804", true},
        {"821034567804", "01034567804", true},
        {"82 2 1234 5678", "0212345678", true},
        {"+8210345678", nullptr},     // too short for a mobile number
        {"+1 212 555 1234", nullptr}, // "+" with another country
        {"010-+2468-1357", nullptr},  // "+" among the digits
        {"82345678", "82345678"},     // 82 before no Korean number: kept
        {"8212345678", "8212345678"}, // 12..: no mobile prefix
        {"821034567", "821034567"},   // 82 + 10 + 5 digits: too short
        {"0082123456", "0082123456"},
        // The 0 a spreadsheet dropped.
        {"1034567804", "01034567804", true},
        {"10-3456-7804", "01034567804", true},
        {"111234567", "0111234567", true},
        {"191234567", "0191234567", true},
        {"1112345678", "1112345678"}, // 10 digits, not starting 10
        {"121234567", "121234567"},
        {"10345678", "10345678"},   // 8 digits
        {"103456780", "103456780"}, // 9 digits starting 10
        // Digits-only texts of 8 to 15 bytes are read eight bytes at a time: a
        // byte just outside '0'..'9', or with its high bit set, anywhere in them.
        {"0102468135/", nullptr},
        {":1024681357", nullptr},
        {"01024\xb0"
         "1357",
         nullptr},
        {"1234567\xba", nullptr},
        {"12345678901234\x80", nullptr},
    };
    for (const Case& c : cases) {
        PhoneDigits d;
        const bool ok = phoneDigits(c.text, d);
        EXPECT_EQ(ok, c.digits != nullptr) << c.text;
        if (ok && c.digits) {
            EXPECT_EQ(d.view(), c.digits) << c.text;
            EXPECT_EQ(d.corrected, c.corrected) << c.text;
        }
    }
}

// After a merged preview, any new load is a new table: the lock goes with the old one.
TEST(MergeLock, LoadingNewRecipientsClearsIt) {
    using Load = std::function<void(FormFixture&)>;
    const struct Case {
        const char* name;
        Load load;
    } cases[] = {
        {"typed", [](FormFixture& f) { f.form.loadDirectEntry("01055556666\r\n01077778888"); }},
        {"address book",
         [](FormFixture& f) {
             f.loadRows({{"01055556666", "Park"}});
         }},
        {"text file",
         [](FormFixture& f) {
             f.state().delimiterField = ",";
             f.form.imports().importTextPaths({f.dir.write("r.txt", "01055556666,Park\n")});
         }},
    };
    for (const Case& c : cases) {
        FormFixture f;
        f.loadRows({{"01011112222", "Kim"}});
        f.prepareSms("<@1@> hi");
        f.state().mergeOn[0] = true;
        f.state().mergeColumn[0].select(2);
        ASSERT_TRUE(f.form.validateAndPreview()) << c.name;
        ASSERT_TRUE(f.state().mergeLock) << c.name;

        c.load(f);
        f.notifier.clear();
        f.state().mergeOn = {};
        f.prepareSms("hi");
        EXPECT_TRUE(f.form.validateAndPreview()) << c.name;
        EXPECT_NE(f.notifier.texts().at(0), "전송메시지를 다시 세팅해 주세요.!") << c.name;
    }
}
