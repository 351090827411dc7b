#include <gtest/gtest.h>

#include <QApplication>

// main() for tests that need a widget application (windows, dialogs, text drawing); they run on
// the offscreen platform.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
