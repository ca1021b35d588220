#include "win32/registry_settings.h"

#include <windows.h>

#include <system_error>
#include <utility>

#include "motor/utf16.h"
#include "motor/windows_error.h"

namespace stepdial::win32 {
namespace {

// "port/output": the subkey root\port and its value "output".
std::pair<std::wstring, std::wstring> Place(const std::wstring& root, const std::string& key) {
    const auto slash = key.find('/');
    return {root + L"\\" + Wide(key.substr(0, slash)), Wide(key.substr(slash + 1))};
}

bool ReadFrom(HKEY hive, const std::pair<std::wstring, std::wstring>& place, std::wstring& value) {
    DWORD bytes = 0;
    if (::RegGetValueW(hive, place.first.c_str(), place.second.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                       &bytes) != ERROR_SUCCESS)
        return false;
    value.resize(bytes / sizeof(wchar_t));
    if (::RegGetValueW(hive, place.first.c_str(), place.second.c_str(), RRF_RT_REG_SZ, nullptr, value.data(),
                       &bytes) != ERROR_SUCCESS)
        return false;
    value.resize(bytes / sizeof(wchar_t) - 1);  // without the terminating null
    return true;
}

}  // namespace

std::string RegistrySettings::Read(const std::string& key) const {
    const auto place = Place(root_, key);
    std::wstring value;
    if (ReadFrom(HKEY_CURRENT_USER, place, value) || ReadFrom(HKEY_LOCAL_MACHINE, place, value))
        return Utf8(value);
    return {};
}

void RegistrySettings::Write(const std::string& key, const std::string& value) {
    const auto place = Place(root_, key);
    const std::wstring data = Wide(value);
    const LSTATUS status =
        ::RegSetKeyValueW(HKEY_CURRENT_USER, place.first.c_str(), place.second.c_str(), REG_SZ, data.c_str(),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS)
        throw std::system_error(WindowsError(static_cast<DWORD>(status)),
                                "cannot save " + key + " under HKEY_CURRENT_USER\\" + Utf8(root_));
}

}  // namespace stepdial::win32
