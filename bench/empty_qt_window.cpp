// The references for start-up time and memory: a Qt Widgets program that shows one empty
// window of Form1's client size (3450 x 4035 twips at 15 twips a pixel) and does nothing.
//
// With --label the window holds one text label: the first text a Qt program draws loads
// the font database and a typeface, and this shows how much of a difference to the empty
// window is that alone. With --controls it holds an entry, a button and a label, as
// Form1 does.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <cstring>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const bool withControls = argc > 1 && std::strcmp(argv[1], "--controls") == 0;
    const bool withLabel = argc > 1 && std::strcmp(argv[1], "--label") == 0;
    QWidget window;
    window.setWindowTitle(withControls ? QStringLiteral("Qt window with controls")
                          : withLabel  ? QStringLiteral("Qt window with a label")
                                       : QStringLiteral("Empty Qt window"));
    window.resize(230, 269);
    if (withControls) {
        (new QPushButton(QStringLiteral("Go"), &window))->setGeometry(8, 8, 41, 25);
        (new QLineEdit(QStringLiteral("360"), &window))->setGeometry(56, 8, 41, 25);
    }
    if (withControls || withLabel) {
        (new QLabel(QStringLiteral("Angle in degrees"), &window))->setGeometry(104, 8, 137, 25);
    }
    window.show();
    return QApplication::exec();
}
