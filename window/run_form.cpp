#include "run_form.h"

#include "form1.h"

namespace stepdial {

int RunForm1(QApplication& app, Port& port, const std::function<void(QWidget& form)>& shown) {
    Form1 form(port);
    // A port that cannot be bound is reported before the window is ever shown.
    if (!form.Load()) return 1;
    form.show();
    if (shown) shown(form);
    const int status = app.exec();
    return form.Failed() ? 1 : status;
}

}  // namespace stepdial
