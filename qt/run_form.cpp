#include "run_form.h"

#include "form1_widget.h"

namespace stepdial {

int RunForm1(QApplication& app, Port& port, const std::function<void(QWidget& form)>& shown) {
    Form1Widget form(port);
    // A port that cannot be bound is reported before the window is ever shown.
    if (!form.Load()) return form.Form().ExitStatus();
    form.show();
    if (shown) shown(form);
    const int status = app.exec();
    return form.Form().Failed() ? form.Form().ExitStatus() : status;
}

}  // namespace stepdial
