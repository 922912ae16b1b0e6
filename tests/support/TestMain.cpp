#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    // Local-time rules (log file names, reservations, split slices) are checked
    // in one fixed zone, whatever the machine says.
    setenv("TZ", "Asia/Seoul", 1);
    tzset();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
