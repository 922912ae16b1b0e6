#include "GuiTestSupport.h"

#include "common/Cp949.h"
#include "common/ui/FileDialog.h"
#include "common/ui/MessageBoxNotifier.h"

#include <QFileDialog>
#include <gtest/gtest.h>

using namespace qb;
using test::u;

TEST(MessageBoxHook, NextAnswerIsUsedOnceThenReset) {
    MessageBoxNotifier::clearShown();
    MessageBoxNotifier boxes;
    MessageBoxNotifier::setNextAnswer(QMessageBox::Yes);
    EXPECT_TRUE(boxes.askYesNo(ko("질문"), MessageIcon::None));
    EXPECT_FALSE(boxes.askYesNo(ko("질문"), MessageIcon::None)); // unanswered: No
    boxes.show(ko("다른 제목"), MessageIcon::Error, ko(" 발송데이터 확인!"));
    boxes.info(ko("끝"));
    EXPECT_EQ(test::shownBoxes(), (std::vector<std::string>{
                                      "알림 | 질문 | none | 예 아니요",
                                      "알림 | 질문 | none | 예 아니요",
                                      " 발송데이터 확인! | 다른 제목 | error | 확인",
                                      "알림 | 끝 | none | 확인",
                                  }));
    const auto& shown = MessageBoxNotifier::shown();
    EXPECT_EQ(shown[0].answer, QMessageBox::Yes);
    EXPECT_EQ(shown[1].answer, QMessageBox::No);
    EXPECT_EQ(shown[3].answer, QMessageBox::Ok);
    MessageBoxNotifier::clearShown();
}

TEST(FileDialogHook, NextNamesAreUsedOnceThenTheDialogShows) {
    FileDialog::setNextFileNames({"/tmp/a.txt", "/tmp/b.txt"});
    EXPECT_EQ(FileDialog::getOpenFileNames(nullptr, "", "", ""), (QStringList{"/tmp/a.txt", "/tmp/b.txt"}));
    FileDialog::setNextFileName("/tmp/c.xls");
    EXPECT_EQ(FileDialog::getOpenFileName(nullptr, "", "", ""), "/tmp/c.xls");
    FileDialog::setNextFileName(""); // the user cancels
    EXPECT_EQ(FileDialog::getSaveFileName(nullptr, "", "", ""), QString());

    // Nothing set: the real dialog comes up.
    bool shown = false;
    test::whenModal<QFileDialog>([&](QFileDialog& d) {
        shown = true;
        d.reject();
    });
    EXPECT_EQ(FileDialog::getOpenFileName(nullptr, u("열기"), "", ""), QString());
    EXPECT_TRUE(shown);
}
