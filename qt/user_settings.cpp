#include "qt/user_settings.h"

#include <stdexcept>

namespace stepdial::qt {

UserSettings::UserSettings()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("stepdial"),
                QStringLiteral("stepdial")) {}

std::string UserSettings::Read(const std::string& key) const {
    return settings_.value(QString::fromStdString(key)).toString().toStdString();
}

void UserSettings::Write(const std::string& key, const std::string& value) {
    settings_.setValue(QString::fromStdString(key), QString::fromStdString(value));
    // At once: "used at the next start" must hold even when this process is killed.
    settings_.sync();
    // QSettings keeps no reason; the file's folder is where it fails (read-only, full, not ours).
    if (settings_.status() != QSettings::NoError)
        throw std::runtime_error("cannot save " + key + " in " + settings_.fileName().toStdString() +
                                 ": check that its folder exists and that you may write there");
}

}  // namespace stepdial::qt
