// The reference for start-up time and memory: a Qt Widgets program that shows one empty
// window of Form1's client size (3450 x 4035 twips at 15 twips a pixel) and does nothing.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Empty Qt window"));
    window.resize(230, 269);
    window.show();
    return QApplication::exec();
}
