#include "motor/windows_error.h"

#include <windows.h>

namespace stepdial {

std::string WindowsErrorCategory::message(int code) const {
    char* text = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                             FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length ? std::string(text, length) : "Windows error " + std::to_string(code);
    ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
        result.pop_back();
    if (const auto insert = result.find("%1"); insert != std::string::npos)
        result.replace(insert, 2, insert_);
    return result + " (error " + std::to_string(code) + ")";
}

}  // namespace stepdial
