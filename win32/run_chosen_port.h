#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/chosen_port_start.h"
#include "core/settings_store.h"
#include "ports/open_chosen_port.h"
#include "win32/failure_box.h"

namespace stepdial::win32 {

// Form1 on the port `store` chooses. A port that cannot be used at start-up gets a box with
// "Choose another port..." (`ask`), which opens the settings window; after OK Form1 starts
// on the new choice. Returns the exit status.
int RunOnChosenPort(SettingsStore& store, int showCommand,
                    const std::function<std::unique_ptr<Port>(const PortChoice&)>& open = OpenChosenPort,
                    const std::function<StartUpAnswer(const std::wstring&)>& ask = AskAfterStartUpFailure);

}  // namespace stepdial::win32
