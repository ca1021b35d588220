#include "motor/utf16.h"

#include <windows.h>

namespace stepdial {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = static_cast<int>(utf8.size());
    // Windows before 10 1903 ignores the manifest's UTF-8 code page, so a system message
    // taken with an "A" function comes in the ANSI code page and is no valid UTF-8.
    UINT codePage = CP_UTF8;
    int size = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (size == 0) {
        codePage = CP_ACP;
        size = ::MultiByteToWideChar(codePage, 0, utf8.data(), length, nullptr, 0);
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, utf8.data(), length, wide.data(), size);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

}  // namespace stepdial
