#include "TestSupport.h"

#include <QApplication>
#include <gtest/gtest.h>

// The application's suite runs headless; every test shares one QApplication.
int main(int argc, char** argv) {
    quorvel::testing::keepAwayFromTheUsersDataFolder();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
