#include "import/ColumnChoice.h"

#include "common/Cp949.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

// Rows of comma-separated UTF-8 cells.
ColumnSample sample(std::initializer_list<const char*> rows) {
    ColumnSample s;
    for (const char* row : rows) {
        const std::string text = row;
        auto& cells = s.rows.emplace_back();
        for (std::size_t from = 0;;) {
            const std::size_t comma = text.find(',', from);
            cells.push_back(ko(text.substr(from, comma - from)));
            if (comma == std::string::npos)
                break;
            from = comma + 1;
        }
    }
    return s;
}

} // namespace

TEST(ColumnChoice, FirstRowsOfferedAsHeaderOrNot) {
    struct Case {
        const char* what;
        ColumnSample rows;
        bool offered;
        int numberColumn; // with the header row taken when offered
    } cases[] = {
        {"names over numbers", sample({"이름,전화번호", "홍길동,010-1111-2222", "김철수,01033334444"}), true,
         2},
        {"a data row first", sample({"홍길동,01011112222", "김철수,01033334444"}), false, 2},
        {"text, but a number in its number cell", sample({"name,01011112222,memo", "a,01033334444,b"}), false,
         2},
        {"the header alone names the column", sample({"이름,연락처"}), true, 2},
        {"half the cells text is not most", sample({"이름,1234", "a,01011112222"}), false, 2},
        {"no number column: nothing asked", sample({"이름,주소", "홍길동,서울"}), false, 0},
        {"two number columns, one named", sample({"집,휴대폰", "0212345678,01011112222"}), true, 2},
        {"two number columns, both named", sample({"휴대폰,집전화", "01011112222,0212345678"}), true, 0},
        {"mostly: half of the data rows", sample({"memo,phone", "a,01011112222", "b,none"}), true, 2},
        {"fewer than half", sample({"memo,tel", "a,01011112222", "b,x", "c,y"}), false, 0},
        {"numbers alone are no text", sample({"1,2", "01011112222,a"}), false, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(offerHeaderRow(c.rows), c.offered) << c.what;
        EXPECT_EQ(findNumberColumn(c.rows, c.offered), c.numberColumn) << c.what;
    }
}

TEST(ColumnChoice, NamesAndSignatures) {
    for (const char* named : {"전화", "휴대폰 번호", "핸드폰", "연락처1", "Phone", "MOBILE no"})
        EXPECT_TRUE(namesNumberColumn(ko(named))) << named;
    // The bytes of "번호" lie across the characters of "갯廢！": no name of a number.
    for (const char* other : {"이름", "갯廢！", "memo", ""})
        EXPECT_FALSE(namesNumberColumn(ko(other))) << other;
    EXPECT_NE(headerSignature({ko("이름"), ko("전화")}), headerSignature({ko("이름전화")}));
}
