#pragma once

#include <QSettings>

#include "core/settings_store.h"

namespace stepdial::qt {

// The settings of the user at the desktop, ~/.config/stepdial/stepdial.conf, over the
// machine-wide default /etc/xdg/stepdial/stepdial.conf, which a classroom's PCs can be set
// up with once.
class UserSettings : public SettingsStore {
public:
    UserSettings();

    std::string Read(const std::string& key) const override;
    // Throws std::runtime_error when the file cannot be written.
    void Write(const std::string& key, const std::string& value) override;

private:
    QSettings settings_;
};

}  // namespace stepdial::qt
