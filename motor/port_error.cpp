#include "port_error.h"

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

}  // namespace stepdial
