#include <gtest/gtest.h>

#include <QApplication>

// One QApplication for every test, on the offscreen platform: the tests need widgets
// and fonts, never a screen. It lives on main's stack so it is gone before static
// destructors run; Qt's input devices crash when torn down after that.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
