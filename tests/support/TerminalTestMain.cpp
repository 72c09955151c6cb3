// The main of tests that run under the terminal's own application object, whose error log
// catches what event handlers let out. Linked in its place, it keeps the support library's main
// out of the program.
#include "TerminalApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TerminalApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
