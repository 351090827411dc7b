#include <gtest/gtest.h>

#include <QApplication>

// The hint window, text drawing and window services need a widget application; the tests run
// on the offscreen platform.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
