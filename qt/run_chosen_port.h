#pragma once

#include <QApplication>

#include "core/chosen_port_start.h"
#include "core/settings_store.h"
#include "ports/open_chosen_port.h"

namespace stepdial::qt {

// Form1 on the port `store` chooses (OpenChosenPort unless `open` says otherwise). A port
// that cannot be used at start-up gets a box with "Choose another port...", which opens the
// settings window; after OK Form1 starts on the new choice. Returns the exit status.
int RunOnChosenPort(QApplication& app, SettingsStore& store,
                    const std::function<std::unique_ptr<Port>(const PortChoice&)>& open = OpenChosenPort);

}  // namespace stepdial::qt
