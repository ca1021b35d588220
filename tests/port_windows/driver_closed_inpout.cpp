// A port library whose kernel driver is not open, as on a first run without
// administrator rights: Out32 is there and does nothing.
#include <windows.h>

extern "C" __declspec(dllexport) void __stdcall Out32(short, short) {}
extern "C" __declspec(dllexport) BOOL __stdcall IsInpOutDriverOpen() { return FALSE; }
