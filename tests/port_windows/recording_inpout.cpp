// A stand-in for the port library, for tests only: it touches no hardware and appends
// each Out32(port, value) it receives, in the order they arrived, to the file that
// STEPDIAL_TEST_PORT_RECORD names in the calling process's environment: one line per
// call, "port value microseconds", the last read from the performance counter as the
// call arrived, so a test can measure the cadence of the writes.
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllexport) void __stdcall Out32(short port, short value) {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    const long long microseconds =
        now.QuadPart / frequency.QuadPart * 1'000'000 + now.QuadPart % frequency.QuadPart * 1'000'000 / frequency.QuadPart;

    wchar_t path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"STEPDIAL_TEST_PORT_RECORD", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    // Opened and closed per call, so every write is on disk the moment Out32 returns
    // and a test reads exactly what arrived, even if the program dies afterwards.
    if (std::FILE* record = ::_wfopen(path, L"a")) {
        std::fprintf(record, "%d %d %lld\n", port, value, microseconds);
        std::fclose(record);
    }
}
