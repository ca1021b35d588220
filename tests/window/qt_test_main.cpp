#include <gtest/gtest.h>

#include <QApplication>

// One QApplication for every test, on the offscreen platform: the tests need widgets
// and fonts, never a screen.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
