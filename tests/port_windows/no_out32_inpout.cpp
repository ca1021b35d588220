// A library with the port library's name that exports the read operation but not
// Out32, as a damaged or unrelated DLL of the same name would.
#include <windows.h>

extern "C" __declspec(dllexport) short __stdcall Inp32(short) { return 0; }
