#include "FormTestSupport.h"
#include "import/FileBytes.h"

#include <gtest/gtest.h>

using namespace qb;
using namespace qb::test;

// Every row the preview left out, in table order with the number as loaded.
TEST(ExcludedRows, TheFileHoldsEachLeftOutRowWithItsReason) {
    const std::string head = "\xEF\xBB\xBF행,수신번호,사유\r\n";
    const struct Case {
        std::vector<std::string> numbers;
        std::string rangeTo;
        std::string bytes;
        std::vector<std::string> numbersBack;
    } cases[] = {
        {{"01011112222", "010-1111-2222", "abc,\"x", "01099998888", "01033334444", "01011112222"},
         "1",
         head + "2,010-1111-2222,중복\r\n3,\"abc,\"\"x\",번호형식오류\r\n4,01099998888,수신거부\r\n"
                "5,01033334444,범위밖\r\n6,01011112222,중복\r\n",
         {"수신번호", "010-1111-2222", "abc,\"x", "01099998888", "01033334444", "01011112222"}},
        {{"01011112222"}, "1", head, {"수신번호"}},
    };
    for (const Case& c : cases) {
        FormFixture f;
        f.useRejectFile("01099998888\n");
        f.loadNumbers(c.numbers);
        f.prepareSms("hi");
        f.state().rangeTo = c.rangeTo;
        ASSERT_TRUE(f.form.validateAndPreview());
        const std::string path = f.dir.path() + "/out.csv";
        ASSERT_TRUE(f.form.saveExcluded(path));
        std::string bytes;
        ASSERT_TRUE(readFileBytes(path, bytes));
        EXPECT_EQ(bytes, c.bytes);
        // It loads back through the CSV choice.
        f.state().delimiterField = "CSV";
        f.form.imports().importTextPaths({path});
        EXPECT_EQ(f.column(2), c.numbersBack);
    }
    // A new table is not the one the rows were left out of.
    FormFixture f;
    f.loadRows({{"01011112222"}});
    f.prepareSms("hi");
    ASSERT_TRUE(f.form.validateAndPreview());
    f.loadRows({{"01033334444"}});
    EXPECT_FALSE(f.form.canSaveExcluded());
}
