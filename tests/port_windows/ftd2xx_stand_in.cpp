// A stand-in for FTDI's D2XX library: one FT232R, serial STEP0001 at location 0x21; each call
// goes with its time (us) to the file STEPDIAL_TEST_FTDI_RECORD names ("write 6 123456").
// STEPDIAL_TEST_FTDI_FAIL: "held" (another program has it), "unplug-after-N" (writes fail).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr ULONG kOk = 0, kDeviceNotFound = 2, kDeviceNotOpened = 3, kIoError = 4;
int writes = 0;

std::string Env(const char* name) {
    char value[MAX_PATH] = {};
    return ::GetEnvironmentVariableA(name, value, MAX_PATH) < MAX_PATH ? value : "";
}

// Opened and closed per call: a test reads exactly what arrived, even if the program dies.
void Record(const std::string& line) {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    if (std::FILE* record = std::fopen(Env("STEPDIAL_TEST_FTDI_RECORD").c_str(), "a")) {
        std::fprintf(record, "%s %lld\n", line.c_str(),
                     now.QuadPart / frequency.QuadPart * 1'000'000 +
                         now.QuadPart % frequency.QuadPart * 1'000'000 / frequency.QuadPart);
        std::fclose(record);
    }
}

bool Held() { return Env("STEPDIAL_TEST_FTDI_FAIL") == "held"; }

}  // namespace

extern "C" {

__declspec(dllexport) ULONG WINAPI FT_CreateDeviceInfoList(DWORD* count) { return *count = 1, kOk; }

// An FT232R (type 5); an open board's strings are hidden from other processes.
__declspec(dllexport) ULONG WINAPI
    FT_GetDeviceInfoDetail(DWORD index, DWORD* flags, DWORD* type, DWORD* id, DWORD* location, char* serial,
                           char* description, void**) {
    *flags = Held();
    *type = 5;
    *id = 0x04036001;
    *location = 0x21;
    std::strcpy(serial, Held() ? "" : "STEP0001");
    std::strcpy(description, Held() ? "" : "FT232R USB UART");
    return index == 0 ? kOk : kDeviceNotFound;
}

__declspec(dllexport) ULONG WINAPI FT_OpenEx(void* what, DWORD by, void** handle) {
    const std::string asked =
        by == 1 ? static_cast<const char*>(what) : std::to_string(reinterpret_cast<DWORD_PTR>(what));
    Record("open " + asked);
    *handle = &writes;
    if (asked != (by == 1 ? "STEP0001" : "33")) return kDeviceNotFound;
    return Held() ? kDeviceNotOpened : kOk;
}

__declspec(dllexport) ULONG WINAPI FT_SetBitMode(void*, UCHAR mask, UCHAR mode) {
    return Record("bitmode " + std::to_string(mask) + " " + std::to_string(mode)), kOk;
}

__declspec(dllexport) ULONG WINAPI FT_Write(void*, void* buffer, DWORD size, DWORD* written) {
    const std::string fail = Env("STEPDIAL_TEST_FTDI_FAIL");
    *written = 0;
    if (fail.rfind("unplug-after-", 0) == 0 && writes >= std::atoi(fail.c_str() + 13)) return kIoError;
    for (++writes; *written < size; ++*written)
        Record("write " + std::to_string(static_cast<UCHAR*>(buffer)[*written]));
    return kOk;
}

__declspec(dllexport) ULONG WINAPI FT_Close(void*) { return Record("close"), kOk; }

}  // extern "C"
