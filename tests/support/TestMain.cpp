// Test entry shared by every test program. The process runs a Qt application on the
// offscreen platform, so painting, fonts and (for the window tests) widgets work
// without a display. Printing goes to a scheduler of the tests' own (PrivateCups.h):
// CUPS is pointed at a socket in a folder of this process before anything asks it,
// so no test ever lists or prints on the machine's printers.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <unistd.h>
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
    const std::string cups = "/tmp/tomelark-cups-" + std::to_string(getpid()) + "/cups.sock";
    setenv("CUPS_SERVER", cups.c_str(), 1);
    int qargc = 1;
    TestApplication app(qargc, argv);
    return RUN_ALL_TESTS();
}
