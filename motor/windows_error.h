#pragma once

#include <string>
#include <system_error>

namespace stepdial {

// Windows' own text for an error code, as FormatMessage gives it, with "(error N)" after
// it. Some texts name the file as an insert ("%1 is not a valid Win32 application"):
// `insert` is the library they are about.
class WindowsErrorCategory : public std::error_category {
public:
    explicit WindowsErrorCategory(std::string insert) : insert_(std::move(insert)) {}
    const char* name() const noexcept override { return "windows"; }
    std::string message(int code) const override;

private:
    std::string insert_;
};

}  // namespace stepdial
