#include <gtest/gtest.h>

#include <QCoreApplication>

// The application object lives for the whole run, as it does in the program.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
