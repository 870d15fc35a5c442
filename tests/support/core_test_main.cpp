#include <gtest/gtest.h>

#include <QCoreApplication>

// Logic tests run without a screen and without Qt Widgets: a QCoreApplication is all they get.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
