#include "win32/parent_console.h"

#include <windows.h>

#include <cstdio>

namespace stepdial::win32 {

void SendErrorsToParentConsole() {
    const HANDLE current = ::GetStdHandle(STD_ERROR_HANDLE);
    if (current != nullptr && current != INVALID_HANDLE_VALUE) return;
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stderr);
}

}  // namespace stepdial::win32
