#include <QApplication>
#include <gtest/gtest.h>

// Every test program shares this entry: a QApplication on the offscreen
// platform (also when the test is listed outside ctest), then GoogleTest.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
