#include "motor/port_error.h"

#include <cerrno>
#include <cstdio>

namespace stepdial {

std::string DescribeAddress(std::uint16_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "%u (0x%x)", unsigned{address}, unsigned{address});
    return text;
}

PortError::PortError(std::error_code code, std::uint16_t address, std::string_view device,
                     std::string_view failure, std::string_view remedy)
    : std::system_error(code),
      message_("I/O port " + DescribeAddress(address) + ": " + std::string(device) + ": " +
               std::string(failure) + ": " + code.message() + ".") {
    if (!remedy.empty()) message_ += " " + std::string(remedy);
}

void ThrowPortError(int error, std::uint16_t address, std::string_view device, std::string_view failure,
                    std::string_view remedy) {
    throw PortError({error, std::generic_category()}, address, device, failure, remedy);
}

void ThrowLastError(std::uint16_t address, std::string_view device, std::string_view failure,
                    std::string_view remedy) {
    const int error = errno;
    ThrowPortError(error, address, device, failure, remedy);
}

namespace remedy {

std::string JoinGroup(std::string_view group) {
    const std::string name(group);
    return "Add your user to the " + name + " group (sudo usermod -aG " + name +
           " $USER), then log out and in again.";
}

std::string OpenToOwnerAlone(std::string_view node, std::string_view owner) {
    return std::string(node) + " is open to " + std::string(owner) +
           " alone, so no group helps: install the stepdial package, whose udev rule opens the port to the "
           "person at the PC's own desktop, or ask the administrator.";
}

}  // namespace remedy
}  // namespace stepdial
