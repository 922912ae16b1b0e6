#include "GuiTestSupport.h"

#include "common/Cp949.h"
#include "common/ui/FileDialog.h"
#include "common/ui/MessageBoxNotifier.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
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

// A fault reaches the user by several ways at once: notices that come while one
// is read join it; a question, or a notice of another caption, stays a box of its own.
TEST(MessageBoxHook, NoticesThatComeWhileOneIsOpenAreReadInIt) {
    MessageBoxNotifier::clearShown();
    MessageBoxNotifier::setTestMode(false);
    MessageBoxNotifier boxes;
    const auto closeBox = [](const QString& caption) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w);
                box && box->isVisible() && box->windowTitle() == caption)
                box->done(QMessageBox::Ok);
    };
    QTimer::singleShot(0, [&] {
        boxes.info(ko("서버연결이 종료되었습니다.!"));
        QTimer::singleShot(0, [&] { closeBox(u(" 발송데이터 확인!")); });
        boxes.show(ko("요약"), MessageIcon::None, ko(" 발송데이터 확인!"));
        boxes.info(ko("총 [3] 건 전송이 완료되었습니다."));
        closeBox(u("알림"));
    });
    boxes.error(ko("네트워크 에러! 다시 시도해 주시기 바랍니다."));
    MessageBoxNotifier::setTestMode(true);
    EXPECT_EQ(test::shownBoxes(),
              (std::vector<std::string>{
                  "알림 | 서버연결이 종료되었습니다.! | error |",
                  " 발송데이터 확인! | 요약 | none | 확인",
                  "알림 | 총 [3] 건 전송이 완료되었습니다. | error |",
                  "알림 | 네트워크 에러! 다시 시도해 주시기 바랍니다.\n\n서버연결이 종료되었습니다.!"
                  "\n\n총 [3] 건 전송이 완료되었습니다. | error | 확인",
              }));
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
