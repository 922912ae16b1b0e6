// The widget tests' main: an offscreen QApplication set up as the client's, and
// message boxes that never wait for a click.
#include "client/CQuillbank2App.h"
#include "common/ui/MessageBoxNotifier.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// Chromium inside Qt WebEngine frees some of its own objects with a mismatched
// sized delete; that is not ours to fix, and it must not hide our faults.
extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}
#endif

int main(int argc, char** argv) {
    setenv("TZ", "Asia/Seoul", 1);
    tzset();
    // Two offscreen screens: a desktop on which the main window has its full
    // height, and a 1366 x 768 laptop screen on which it does not.
    const char* platform = getenv("QT_QPA_PLATFORM");
    if (!platform || std::string(platform) == "offscreen")
        setenv("QT_QPA_PLATFORM", "offscreen:configfile=" QB_TEST_DATA_DIR "/gui/screens.json", 1);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    qb::CQuillbank2App::prepareEnvironment();
    QApplication app(argc, argv);
    qb::CQuillbank2App::setUpApplication(app);
    qb::MessageBoxNotifier::setTestMode(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
