#include "ports/open_chosen_port.h"

#include "motor/hardware_port.h"
#ifdef __linux__
#include "ports/gpio_lines_linux.h"
#endif

namespace stepdial {

std::unique_ptr<Port> OpenChosenPort(const PortChoice& choice) {
    if (choice.output == PortChoice::Output::UsbBoard) return MakeUsbBoardPort(choice.board);
#ifdef __linux__
    if (choice.output == PortChoice::Output::GpioLines) return MakeGpioLinesPort(choice.gpio);
#endif
    return MakeHardwarePort();
}

}  // namespace stepdial
