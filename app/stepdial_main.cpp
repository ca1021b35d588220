#include "qt/desktop.h"
#include "qt/port_settings_dialog.h"
#include "qt/run_chosen_port.h"
#include "qt/user_settings.h"

int main(int argc, char* argv[]) {
    const auto app = stepdial::qt::OpenDesktop(argc, argv, STEPDIAL_DESKTOP_ENTRY);
    if (!app) return 1;
    stepdial::qt::UserSettings settings;
    if (app->arguments().contains(QStringLiteral("--settings"))) {
        stepdial::qt::ChoosePortInWindow(settings);
        return stepdial::qt::LeaveDesktop(0);
    }
    return stepdial::qt::LeaveDesktop(stepdial::qt::RunOnChosenPort(*app, settings));
}
