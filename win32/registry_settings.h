#pragma once

#include <string>

#include "core/settings_store.h"

namespace stepdial::win32 {

// The user's settings under HKEY_CURRENT_USER\Software\stepdial, over the machine-wide
// default under HKEY_LOCAL_MACHINE\Software\stepdial, which an administrator can set once
// for every user of a PC. A key "group/name" is the value `name` of the subkey `group`.
class RegistrySettings : public SettingsStore {
public:
    explicit RegistrySettings(std::wstring root = L"Software\\stepdial") : root_(std::move(root)) {}

    std::string Read(const std::string& key) const override;
    // Throws std::system_error when the registry refuses the value.
    void Write(const std::string& key, const std::string& value) override;

private:
    std::wstring root_;
};

}  // namespace stepdial::win32
