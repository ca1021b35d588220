#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace stepdial {

// "888 (0x378)": how every message names an I/O address, so the operator can match
// it against the BIOS setup or the card's jumpers, which use either form.
std::string DescribeAddress(std::uint16_t address);

// A port that cannot be bound or written. what() reads, in one line: the address,
// the device or library, what failed, the system's own error text, and what the
// operator can do about it.
class PortError : public std::system_error {
public:
    PortError(std::error_code code, std::uint16_t address, std::string_view device,
              std::string_view failure, std::string_view remedy);

    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

}  // namespace stepdial
