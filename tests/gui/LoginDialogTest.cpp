#include "GuiTestSupport.h"

#include "app/LoginSettings.h"
#include "common/Cp949.h"
#include "common/LoginState.h"
#include "net/ui/LoginDialog.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace qb;
using test::u;

namespace {

class LoginDialogTest : public ::testing::Test {
protected:
    void SetUp() override { MessageBoxNotifier::clearShown(); }

    std::unique_ptr<LoginDialog> open() {
        auto d =
            std::make_unique<LoginDialog>(LoginDialogModel(dir.file("Env.cfg"), state, notifier), nullptr);
        d->show();
        return d;
    }

    test::TempDir dir;
    LoginState state;
    MessageBoxNotifier notifier;
};

} // namespace

TEST_F(LoginDialogTest, ControlsAndSavedValues) {
    dir.write("Env.cfg", "[LOGIN]\r\nID=abc\r\nPASSWD=secret\r\nIDCHECK=Y\r\nPASSCHECK=y\r\n");
    auto d = open();
    EXPECT_EQ(d->windowTitle(), u("로그인"));
    QStringList labels;
    for (QLabel* l : d->findChildren<QLabel*>())
        labels << l->text();
    EXPECT_EQ(labels, (QStringList{u("아이디 :"), u("비밀번호:")}));
    EXPECT_EQ(d->saveIdBox()->text(), u("아이디저장"));
    EXPECT_EQ(d->savePasswordBox()->text(), u("비밀번호저장"));
    EXPECT_EQ(d->okButton()->text(), u("로그인"));
    EXPECT_EQ(d->cancelButton()->text(), u("취소"));
    EXPECT_TRUE(d->okButton()->isDefault());
    EXPECT_EQ(d->passwordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(d->grab().toImage().pixelColor(2, 2), QColor(Qt::white));

    // IDCHECK=Y fills the id; PASSCHECK=y is not "Y".
    EXPECT_EQ(d->idEdit()->text(), u("abc"));
    EXPECT_TRUE(d->saveIdBox()->isChecked());
    EXPECT_EQ(d->passwordEdit()->text(), QString());
    EXPECT_FALSE(d->savePasswordBox()->isChecked());
}

TEST_F(LoginDialogTest, WhiteWithDarkWordsUnderADarkColourScheme) {
    const QPalette saved = QApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    QApplication::setPalette(dark);
    auto d = open();
    const QImage whole = d->grab().toImage();
    QApplication::setPalette(saved);

    EXPECT_EQ(whole.pixelColor(2, 2), QColor(Qt::white));
    // Each label and box text shows in dark pixels on the white.
    std::vector<QWidget*> worded;
    for (QLabel* l : d->findChildren<QLabel*>())
        worded.push_back(l);
    worded.push_back(d->saveIdBox());
    worded.push_back(d->savePasswordBox());
    for (QWidget* w : worded) {
        const QImage image = whole.copy(w->geometry());
        int darkest = 255;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                darkest = std::min(darkest, image.pixelColor(x, y).lightness());
        EXPECT_LT(darkest, 100) << w->objectName().toStdString();
    }
}

TEST_F(LoginDialogTest, FieldsHoldSixteenCp949Bytes) {
    struct Row {
        const char* typed;
        const char* kept;
    };
    const Row rows[] = {
        {"abcdefghijklmnop", "abcdefghijklmnop"},  // 16
        {"abcdefghijklmnopq", "abcdefghijklmnop"}, // the 17th is refused
        {"가나다라마바사아", "가나다라마바사아"},  // 8 syllables, 16 bytes
        {"가나다라마바사아자", "가나다라마바사아"},
        {"abcdefghijklmno가", "abcdefghijklmno"}, // 15 + 2 would be 17
        {"똠방각하", "똠방각하"},                 // outside KS X 1001, still CP949
        {"a😀b", "ab"},                            // no CP949 form
    };
    auto d = open();
    for (QLineEdit* edit : {d->idEdit(), d->passwordEdit()}) {
        for (const Row& r : rows) {
            edit->clear();
            test::typeText(edit, u(r.typed));
            EXPECT_EQ(edit->text(), u(r.kept)) << r.typed;
        }
    }
}

TEST_F(LoginDialogTest, OkChecksBothFieldsThenRemembersAndCopies) {
    auto d = open();
    test::typeText(d->idEdit(), u("user01"));
    d->okButton()->click();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(test::shownBoxes(),
              std::vector<std::string>{"알림 | 아이디와 비번을 입력해주세요! | error | 확인"});
    EXPECT_FALSE(test::fileExists(dir.file("Env.cfg")));
    EXPECT_TRUE(state.userId.empty());

    test::typeText(d->passwordEdit(), u("비번01"));
    d->saveIdBox()->setChecked(true);
    d->okButton()->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(state.userId, "user01");
    EXPECT_EQ(state.password, ko("비번01"));
    const LoginSettings saved = LoginSettings::read(dir.file("Env.cfg"));
    EXPECT_EQ(saved.id, "user01");
    EXPECT_EQ(saved.idCheck, "Y");
    EXPECT_EQ(saved.password, "0000");
    EXPECT_EQ(saved.passwordCheck, "N");
}

TEST_F(LoginDialogTest, CancelWritesNothing) {
    auto d = open();
    test::typeText(d->idEdit(), u("user01"));
    test::typeText(d->passwordEdit(), u("pass01"));
    d->cancelButton()->click();
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_FALSE(test::fileExists(dir.file("Env.cfg")));
    EXPECT_TRUE(state.userId.empty());
    EXPECT_TRUE(MessageBoxNotifier::shown().isEmpty());
}
