// For tests only: registers a device in Windows' Ports class whose PortName is the first
// argument ("LPT3"), as a parallel port's driver does, so that SetupAPI lists it.
#include <windows.h>
// clang-format off
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    const HDEVINFO set = ::SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_PORTS, nullptr);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!::SetupDiCreateDeviceInfoW(set, L"PARPORT", &GUID_DEVCLASS_PORTS, L"Printer Port", nullptr,
                                    DICD_GENERATE_ID, &device) ||
        !::SetupDiRegisterDeviceInfo(set, &device, 0, nullptr, nullptr, nullptr))
        return 3;
    const HKEY key =
        ::SetupDiCreateDevRegKeyW(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr, nullptr);
    if (key == INVALID_HANDLE_VALUE) return 4;
    const auto size = static_cast<DWORD>((std::wcslen(argv[1]) + 1) * sizeof(wchar_t));
    const LONG written =
        ::RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(argv[1]), size);
    ::RegCloseKey(key);
    ::SetupDiDestroyDeviceInfoList(set);
    return written == ERROR_SUCCESS ? 0 : 5;
}
