#include "FormTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qb;
using namespace qb::test;

TEST(AdvertisingForm, FindingsOfMergedRowsStopThePreview) {
    FormFixture f;
    f.loadRows({{"01011112222", "a"}, {"01033334444", "(광 고)"}, {"01055556666", "b"}});
    f.prepareSms("(광고)홍길동상회 <@1@>\r\n무료수신거부 080-123-4567");
    f.state().mergeOn[0] = true;
    f.state().mergeColumn[0].select(2);
    f.advertise();
    EXPECT_FALSE(f.form.validateAndPreview());
    EXPECT_EQ(f.notifier.texts(),
              std::vector<std::string>{"광고 문자 규칙에 맞지 않습니다. 고친 뒤 다시 "
                                       "미리보기 해주세요.\n- \"(광 고)\"처럼 바꾼 표기는 "
                                       "쓸 수 없습니다. \"(광고)\"로 써주세요. (행 2)"});
    EXPECT_TRUE(f.batch().queue.empty());
    EXPECT_FALSE(f.state().mergeLock);
    f.state().table.setCell(2, 2, "c"); // the same rows without the variant go
    EXPECT_TRUE(f.form.validateAndPreview());
    EXPECT_EQ(f.batch().queue.size(), 3u);
}

TEST(AdvertisingForm, AMessageWithoutMergeIsCheckedOnceAndNeedsTheSettings) {
    FormFixture f;
    f.loadRows({{"01011112222"}, {"01033334444"}});
    f.prepareSms("봄 세일");
    f.advertise();
    f.state().adOptOut = "070-123-4567";
    EXPECT_FALSE(f.form.validateAndPreview());
    EXPECT_EQ(f.notifier.texts().back(), "광고 설정에서 무료수신거부 번호를 080으로 시작하는 번호로 "
                                         "입력해주세요.\n(예: 080-123-4567)");
    f.state().adOptOut = "0801234567";
    EXPECT_FALSE(f.form.validateAndPreview());
    // Three findings without rows: the message is the same for every row.
    const std::string report = f.notifier.texts().back();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 3);
    EXPECT_EQ(report.find("(행"), std::string::npos);
}

TEST(AdvertisingForm, InsertingInTheSmsBoxAndTheEditors) {
    FormFixture f;
    f.prepareSms("봄 세일");
    f.advertise();
    ASSERT_TRUE(f.form.insertAdvertisingText());
    EXPECT_EQ(cp949::toUtf8(f.state().smsText), "(광고)홍길동상회\r\n봄 세일\r\n무료수신거부 0801234567");
    EXPECT_EQ(f.state().smsCounter, "48 / 90 byte");

    f.state().kind = MessageKind::Lms;
    f.editors.lms = EditorContent{{}, false, ko("봄"), true, {}};
    ASSERT_TRUE(f.form.insertAdvertisingText());
    EXPECT_EQ(cp949::toUtf8(f.editors.lms->body), "(광고)홍길동상회\r\n봄\r\n무료수신거부 0801234567");

    // An untouched MMS body is its placeholder: only the inserted text is left.
    f.state().kind = MessageKind::Mms;
    f.editors.mms = EditorContent{};
    f.editors.mms->body = ko(" 내용... ");
    ASSERT_TRUE(f.form.insertAdvertisingText());
    EXPECT_EQ(cp949::toUtf8(f.editors.mms->body), "(광고)홍길동상회\r\n무료수신거부 0801234567");
    f.editors.mms.reset();
    EXPECT_FALSE(f.form.insertAdvertisingText());
    EXPECT_EQ(f.notifier.texts().back(), "[MMS] 문자 편집창을 실행해 주세요!");
}
