#include <QApplication>

#include "hardware_port.h"
#include "run_form.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const auto port = stepdial::MakeHardwarePort();
    return stepdial::RunForm1(app, *port);
}
