#include "ports/port_choice.h"

namespace stepdial {

std::string DescribeBoard(const UsbBoard& board) {
    return "USB board " + (board.description.empty() ? std::string("(no name)") : board.description) + " (" +
           (board.serial.empty() ? std::string("without a serial number") : "serial " + board.serial) +
           ", at " + board.busPlace + ")";
}

std::string DescribeBoardChoice(const UsbBoardChoice& choice) {
    return choice.serial.empty() ? "USB board at " + choice.busPlace
                                 : "USB board with serial " + choice.serial;
}

}  // namespace stepdial
