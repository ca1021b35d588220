// A program that is not stepdial but looks like one from outside, for tests only: it is
// called stepdial.exe and holds the named mutex an earlier stepdial held while it ran,
// until it is ended. The installer must not take it for a running stepdial.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::CreateMutexW(nullptr, TRUE, L"Global\\stepdial.running");
    ::Sleep(INFINITE);
    return 0;
}
