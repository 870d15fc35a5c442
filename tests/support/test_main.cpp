#include <gtest/gtest.h>

#include <QApplication>

#include "controls/screen_font.h"

// Every test program runs with a QApplication on the offscreen platform, so widget tests and
// logic tests share one main.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
