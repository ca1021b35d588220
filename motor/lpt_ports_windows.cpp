#include "motor/lpt_ports_windows.h"

// setupapi.h needs windows.h before it, and initguid.h makes devguid.h define the class
// GUIDs rather than declare them.
// clang-format off
#include <windows.h>
#include <initguid.h>
#include <cfgmgr32.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "motor/windows_error.h"

namespace stepdial {
namespace {

// The n of a device whose PortName is "LPTn"; 0 for a serial port or anything else in the
// Ports class.
int LptNumber(HDEVINFO set, SP_DEVINFO_DATA& device) {
    const HKEY key = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE) return 0;
    wchar_t name[32] = {};
    DWORD type = 0, size = sizeof name - sizeof name[0];
    const bool read = ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name),
                                         &size) == ERROR_SUCCESS &&
                      type == REG_SZ;
    ::RegCloseKey(key);
    if (!read || std::wcsncmp(name, L"LPT", 3) != 0 || !std::iswdigit(name[3])) return 0;
    int number = 0;
    for (const wchar_t* digit = name + 3; *digit; ++digit) {
        if (!std::iswdigit(*digit) || number > 255) return 0;
        number = number * 10 + (*digit - L'0');
    }
    return number;
}

// Wine's configuration manager keeps no resources: its CM_Get_First_Log_Conf is a stub
// that ends the program. There, as where Windows gives none, no range is known.
bool KeepsResources() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return !ntdll || !::GetProcAddress(ntdll, "wine_get_version");
}

// The base of the first I/O range Plug and Play allocated to the device: a card's
// data register, where a PCI card's driver puts its standard port first.
std::optional<std::uint16_t> IoBase(DEVINST device) {
    if (!KeepsResources()) return std::nullopt;
    LOG_CONF config = 0;
    if (::CM_Get_First_Log_Conf(&config, device, ALLOC_LOG_CONF) != CR_SUCCESS) return std::nullopt;
    std::optional<std::uint16_t> base;
    RES_DES range = 0;
    if (::CM_Get_Next_Res_Des(&range, config, ResType_IO, nullptr, 0) == CR_SUCCESS) {
        ULONG size = 0;
        if (::CM_Get_Res_Des_Data_Size(&size, range, 0) == CR_SUCCESS && size >= sizeof(IO_DES)) {
            std::vector<char> data(size);
            IO_DES header{};
            if (::CM_Get_Res_Des_Data(range, data.data(), size, 0) == CR_SUCCESS) {
                std::memcpy(&header, data.data(), sizeof header);
                if (header.IOD_Alloc_Base > 0 && header.IOD_Alloc_Base <= 0xffff)
                    base = static_cast<std::uint16_t>(header.IOD_Alloc_Base);
            }
        }
        ::CM_Free_Res_Des_Handle(range);
    }
    ::CM_Free_Log_Conf_Handle(config);
    return base;
}

}  // namespace

LptListing ListLptPorts() {
    const HDEVINFO set = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return {{}, WindowsError(error).message()};
    }
    LptListing listing;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        if (const int number = LptNumber(set, device))
            listing.ports.push_back({number, IoBase(device.DevInst)});
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return listing;
}

}  // namespace stepdial
