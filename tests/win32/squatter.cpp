// Not stepdial, for tests only: called stepdial.exe, it holds the mutex an earlier
// stepdial held while it ran until it is ended.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ::CreateMutexW(nullptr, TRUE, L"Global\\stepdial.running");
    for (;;) ::Sleep(INFINITE);
}
