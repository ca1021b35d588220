#include "motor/windows_error.h"

#include <cstdio>
#include <string>

#include "motor/port_library.h"

namespace stepdial {
namespace {

// "error 126"; codes with the top bit set are HRESULTs, which Windows' documents give in
// hexadecimal ("error 0x800b010c").
std::string CodeText(DWORD code) {
    if (code < 0x80000000) return "error " + std::to_string(code);
    char text[24];
    std::snprintf(text, sizeof text, "error 0x%08lx", static_cast<unsigned long>(code));
    return text;
}

class WindowsErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "windows"; }
    std::string message(int code) const override {
        char* text = nullptr;
        const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                                  FORMAT_MESSAGE_IGNORE_INSERTS,
                                              nullptr, static_cast<DWORD>(code), 0,
                                              reinterpret_cast<char*>(&text), 0, nullptr);
        std::string result = length ? std::string(text, length) : "Windows error";
        ::LocalFree(text);
        while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
            result.pop_back();
        // Some texts name the file as an insert ("%1 is not a valid Win32 application").
        if (const auto insert = result.find("%1"); insert != std::string::npos)
            result.replace(insert, 2, kLibraryName);
        return result + " (" + CodeText(static_cast<DWORD>(code)) + ")";
    }
};

}  // namespace

std::error_code WindowsError(DWORD code) {
    static const WindowsErrorCategory category;
    return {static_cast<int>(code), category};
}

}  // namespace stepdial
