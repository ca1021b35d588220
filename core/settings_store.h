#pragma once

#include <string>

namespace stepdial {

// Where a front end keeps the user's settings (QSettings on Linux, the registry on
// Windows). Keys are "group/name".
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The user's value, else the machine-wide default; empty when neither is set.
    virtual std::string Read(const std::string& key) const = 0;
    // The user's value, kept for the next start.
    virtual void Write(const std::string& key, const std::string& value) = 0;
};

}  // namespace stepdial
