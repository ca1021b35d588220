#include "ports/open_chosen_port.h"

#include "motor/hardware_port.h"

namespace stepdial {

std::unique_ptr<Port> OpenChosenPort(const PortChoice& choice) {
    if (choice.output == PortChoice::Output::UsbBoard) return MakeUsbBoardPort(choice.board);
    return MakeHardwarePort();
}

}  // namespace stepdial
