#include "win32/failure_box.h"

namespace stepdial::win32 {

void ShowErrorBox(HWND owner, const std::wstring& message) {
    ::MessageBoxW(owner, message.c_str(), L"stepdial", MB_OK | MB_ICONERROR);
}

}  // namespace stepdial::win32
