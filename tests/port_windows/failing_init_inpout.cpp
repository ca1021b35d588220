// A library with the port library's name that refuses to initialise, as one whose
// driver cannot start or that lacks a DLL it needs does: the loader finds the file
// and still cannot load it.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) { return reason != DLL_PROCESS_ATTACH; }
extern "C" __declspec(dllexport) void __stdcall Out32(short, short) {}
