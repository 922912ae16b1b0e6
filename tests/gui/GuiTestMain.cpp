// The widget tests' main: an offscreen QApplication with the client's font.
#include <QApplication>
#include <QFont>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    setenv("TZ", "Asia/Seoul", 1);
    tzset();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QApplication app(argc, argv);
    QFont font = app.font();
    font.setFamilies({QString::fromUtf8("굴림"), "Gulim", "Noto Sans CJK KR"});
    font.setPointSize(9);
    app.setFont(font);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
