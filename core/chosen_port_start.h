#pragma once

#include <functional>
#include <memory>

#include "core/settings_store.h"
#include "motor/port.h"
#include "ports/port_choice.h"

namespace stepdial {

// How the operator answered the box of a port that cannot be used at start-up.
enum class StartUpAnswer { Close, ChooseAnotherPort };

// What a front end brings to a start on the chosen port.
struct ChosenPortStart {
    // Opens the chosen port (OpenChosenPort; a test's own elsewhere).
    std::function<std::unique_ptr<Port>(const PortChoice&)> open;
    // Runs Form1 on the port and returns the exit status; a failure at start-up is shown in a
    // box that offers to choose another port, and the operator's answer is left in `answer`.
    std::function<int(Port& port, StartUpAnswer& answer)> runForm1;
    // The settings window; true after OK (the new choice saved), false after Cancel.
    std::function<bool()> chooseInWindow;
};

// Runs Form1 on the saved choice. When that port cannot be used at start-up and the operator
// chooses another in the settings window, Form1 starts again on the new choice; a port that
// cannot even be made fails as its first write would, through Form1's one failure rule.
// Returns the exit status of the last run.
int StartOnChosenPort(const SettingsStore& store, const ChosenPortStart& frontEnd);

}  // namespace stepdial
