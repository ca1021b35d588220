#include <cerrno>

#include "motor/port_error.h"
#include "ports/port_choice.h"
#include "ports/usb_board.h"

namespace stepdial {

// Until the libftdi backend is in: no board is listed, and a chosen one cannot be opened.
std::vector<UsbBoard> ListUsbBoards() { return {}; }

std::unique_ptr<Port> MakeUsbBoardPort(const UsbBoardChoice& choice) {
    throw PortError({ENOSYS, std::generic_category()}, DescribeBoardChoice(choice),
                    "this build cannot drive USB boards", remedy::usb::kPlugInOrChoose);
}

}  // namespace stepdial
