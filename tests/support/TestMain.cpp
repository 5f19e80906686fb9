// Test entry shared by every test program. The process runs a Qt application on the
// offscreen platform, so painting, fonts and (for the window tests) widgets work
// without a display.
#include <gtest/gtest.h>
#include <cstdlib>
#ifdef TOMELARK_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qargc = 1;
    TestApplication app(qargc, argv);
    return RUN_ALL_TESTS();
}
