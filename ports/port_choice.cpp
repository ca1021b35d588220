#include "ports/port_choice.h"

namespace stepdial {

std::string DescribeBoardChoice(const UsbBoardChoice& choice) {
    return choice.serial.empty() ? "USB board at USB " + choice.busPlace
                                 : "USB board with serial " + choice.serial;
}

}  // namespace stepdial
