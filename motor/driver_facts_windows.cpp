#include "motor/driver_facts_windows.h"

#include <windows.h>

#include "motor/utf16.h"

namespace stepdial {
namespace {

// The library installs the driver of Windows' bitness, not of its own: a 32-bit library
// on 64-bit Windows loads inpoutx64.sys.
const char* ServiceName() {
#ifdef _WIN64
    return "inpoutx64";
#else
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64 ? "inpoutx64" : "inpout32";
#endif
}

// Memory integrity's switch as Windows Security sets it. HKLM\SYSTEM is the same for 32-
// and 64-bit programs; the flag only says so.
bool MemoryIntegrityOn() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                        L"SYSTEM\\CurrentControlSet\\Control\\DeviceGuard\\Scenarios\\"
                        L"HypervisorEnforcedCodeIntegrity",
                        0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, value = 0, size = sizeof value;
    const bool on = ::RegQueryValueExW(key, L"Enabled", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                       &size) == ERROR_SUCCESS &&
                    type == REG_DWORD && value == 1;
    ::RegCloseKey(key);
    return on;
}

// Whether this process holds an administrator's full token; with UAC a member of the
// Administrators group runs without one until started with "Run as administrator".
bool Elevated() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                          elevation.TokenIsElevated;
    ::CloseHandle(token);
    return elevated;
}

// The service's state, asked with the least rights the service manager knows.
void ReadService(DriverFacts& facts) {
    const SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) {
        facts.code = ::GetLastError();
        return;
    }
    if (const SC_HANDLE service =
            ::OpenServiceW(manager, Wide(facts.service).c_str(), SERVICE_QUERY_STATUS)) {
        SERVICE_STATUS_PROCESS status{};
        DWORD needed = 0;
        if (::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                   sizeof status, &needed)) {
            facts.state = DriverFacts::Service::Present;
            facts.code = status.dwWin32ExitCode;
        } else {
            facts.code = ::GetLastError();
        }
        ::CloseServiceHandle(service);
    } else if (const DWORD error = ::GetLastError(); error == ERROR_SERVICE_DOES_NOT_EXIST) {
        facts.state = DriverFacts::Service::Absent;
    } else {
        facts.code = error;
    }
    ::CloseServiceHandle(manager);
}

}  // namespace

DriverFacts ReadDriverFacts() {
    DriverFacts facts;
    facts.service = ServiceName();
    ReadService(facts);
    facts.memoryIntegrity = MemoryIntegrityOn();
    facts.elevated = Elevated();
    return facts;
}

}  // namespace stepdial
