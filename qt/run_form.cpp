#include "run_form.h"

#include <exception>
#include <optional>

#include "form1_widget.h"

namespace stepdial::qt {

int RunForm1(QApplication& app, Port& port, const std::function<void(QWidget& form)>& shown) {
    std::optional<Form1Widget> form;
    try {
        form.emplace(port);
    } catch (const std::exception& e) {
        // The window could not get what it runs on (its step timer): told as any failure is.
        WriteFailureLine(e.what());
        ShowCriticalBox(QString::fromStdString(e.what()));
        return 1;
    }
    // A port that cannot be bound is reported before the window is ever shown.
    if (!form->Load()) return form->Form().ExitStatus();
    form->show();
    if (shown) shown(*form);
    const int status = app.exec();
    return form->Form().Failed() ? form->Form().ExitStatus() : status;
}

}  // namespace stepdial::qt
