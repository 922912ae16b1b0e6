#include "FormTestSupport.h"

#include <gtest/gtest.h>

using namespace qb;
using namespace qb::test;

TEST(HeaderRow, TakenOnceAndTheChoicesKeptForTheSameHeader) {
    FormFixture f;
    f.form.keepColumnsIn(f.dir.file("Env.cfg"));
    const std::string list = f.dir.write(
        "list.txt", ko("이름,집전화,휴대폰\n김철수,0212345678,01011112222\n이영희,0312345678,0101234567\n"));
    const std::string other = f.dir.write("other.txt", ko("이름,메모,연락처\n김철수,가,01011112222\n"));
    const auto load = [&](const std::string& path, bool yes) {
        f.notifier.clear();
        f.notifier.answerNext(yes);
        f.state().delimiterField = ",";
        f.form.imports().importTextPaths({path});
        EXPECT_EQ(f.notifier.texts(), Strings{"첫 줄을 제목 줄로 쓸까요?"}) << path;
    };
    const SendFormState& s = f.state();

    // Two number columns, both named: the user chooses.
    load(list, true);
    EXPECT_EQ(f.column(0), (Strings{"1", "2"}));
    EXPECT_EQ(f.headers(), (Strings{" 번 호 ", "1 열 (이름)", "2 열 (집전화)", "3 열 (휴대폰)"}));
    EXPECT_EQ(cp949::toUtf8(s.mergeColumn[0].items[3]), "3 열 (휴대폰)");
    EXPECT_EQ(s.numberColumn.selected, 0);
    EXPECT_EQ(s.rangeTo, "2");
    f.state().numberColumn.select(3);
    f.form.onNumberColumnChanged();
    f.form.onMergeColumnChosen(1, 1);

    load(list, true);
    EXPECT_EQ(s.numberColumn.selected, 3);
    EXPECT_EQ(s.mergeColumn[0].selected, 1);
    EXPECT_TRUE(s.numberColumnFound);
    EXPECT_EQ(f.cell(0, 3), "수신번호");

    // Another header row: the column found by itself, nothing kept applies.
    load(other, true);
    EXPECT_EQ(s.numberColumn.selected, 3);
    EXPECT_EQ(s.mergeColumn[0].selected, 0);

    // No header row: the first row is data, and no one column is decided.
    load(list, false);
    EXPECT_EQ(f.column(0), (Strings{"1", "2", "3"}));
    EXPECT_EQ(f.headers(), (Strings{" 번 호 ", "1 열", "2 열", "3 열"}));
    EXPECT_EQ(s.numberColumn.selected, 0);
    EXPECT_FALSE(s.numberColumnFound);
}
