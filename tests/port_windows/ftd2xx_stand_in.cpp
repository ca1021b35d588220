// A stand-in for FTDI's D2XX library, for tests only: it lists one FT232R board, serial
// STEP0001 at location 0x21, and appends what it is asked to the file that
// STEPDIAL_TEST_FTDI_RECORD names: "open SERIAL-OR-LOCATION", "bitmode MASK MODE",
// "write VALUE MICROSECONDS", "close". STEPDIAL_TEST_FTDI_FAIL makes it fail as a real
// board can: "held" (another program has it open), "unplug-after-N" (FT_Write fails from
// the N+1th write on).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr ULONG kOk = 0, kDeviceNotFound = 2, kDeviceNotOpened = 3, kIoError = 4;
constexpr char kSerial[] = "STEP0001";
constexpr DWORD kLocation = 0x21;
int writes = 0;
int handle = 1;

std::string Env(const char* name) {
    char value[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, MAX_PATH);
    return length && length < MAX_PATH ? value : "";
}

void Record(const std::string& line) {
    // Opened and closed per call: a test reads exactly what arrived.
    if (std::FILE* record = std::fopen(Env("STEPDIAL_TEST_FTDI_RECORD").c_str(), "a")) {
        std::fprintf(record, "%s\n", line.c_str());
        std::fclose(record);
    }
}

long long Microseconds() {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return now.QuadPart / frequency.QuadPart * 1'000'000 +
           now.QuadPart % frequency.QuadPart * 1'000'000 / frequency.QuadPart;
}

bool Held() { return Env("STEPDIAL_TEST_FTDI_FAIL") == "held"; }

}  // namespace

extern "C" {

__declspec(dllexport) ULONG WINAPI FT_CreateDeviceInfoList(DWORD* count) {
    *count = 1;
    return kOk;
}

__declspec(dllexport) ULONG WINAPI
    FT_GetDeviceInfoDetail(DWORD index, DWORD* flags, DWORD* type, DWORD* id, DWORD* location, char* serial,
                           char* description, void** handleOut) {
    if (index != 0) return kDeviceNotFound;
    // An open board's strings are hidden from other processes.
    *flags = Held() ? 1 : 0;
    *type = 5;  // FT_DEVICE_232R
    *id = 0x04036001;
    *location = kLocation;
    std::strcpy(serial, Held() ? "" : kSerial);
    std::strcpy(description, Held() ? "" : "FT232R USB UART");
    *handleOut = nullptr;
    return kOk;
}

__declspec(dllexport) ULONG WINAPI FT_OpenEx(void* what, DWORD by, void** handleOut) {
    const bool found = by == 1 ? std::strcmp(static_cast<const char*>(what), kSerial) == 0
                               : by == 4 && reinterpret_cast<DWORD_PTR>(what) == kLocation;
    Record("open " + (by == 1 ? std::string(static_cast<const char*>(what))
                              : std::to_string(reinterpret_cast<DWORD_PTR>(what))));
    if (!found) return kDeviceNotFound;
    if (Held()) return kDeviceNotOpened;
    *handleOut = &handle;
    return kOk;
}

__declspec(dllexport) ULONG WINAPI FT_SetBitMode(void*, UCHAR mask, UCHAR mode) {
    Record("bitmode " + std::to_string(mask) + " " + std::to_string(mode));
    return kOk;
}

__declspec(dllexport) ULONG WINAPI FT_Write(void*, void* buffer, DWORD size, DWORD* written) {
    const std::string fail = Env("STEPDIAL_TEST_FTDI_FAIL");
    if (fail.rfind("unplug-after-", 0) == 0 && writes >= std::atoi(fail.c_str() + 13)) {
        *written = 0;
        return kIoError;
    }
    ++writes;
    for (DWORD i = 0; i < size; ++i)
        Record("write " + std::to_string(static_cast<UCHAR*>(buffer)[i]) + " " +
               std::to_string(Microseconds()));
    *written = size;
    return kOk;
}

__declspec(dllexport) ULONG WINAPI FT_Close(void*) {
    Record("close");
    return kOk;
}

}  // extern "C"
