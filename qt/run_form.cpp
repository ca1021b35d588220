#include "qt/run_form.h"

#include <exception>
#include <memory>

#include "qt/form1_widget.h"

namespace stepdial::qt {

int RunForm1(QApplication& app, Port& port, const std::function<void(QWidget& form)>& opening,
             const FailureBox& box) {
    std::unique_ptr<Form1Widget> form;
    try {
        form = std::make_unique<Form1Widget>(port, box);
    } catch (const std::exception& e) {
        return ReportStartUpFailure(e.what(), [](const std::string& message) {
            ShowCriticalBox(QString::fromStdString(message));
        });
    }
    return form->Form().Live(
        [&] {
            if (opening) opening(*form);
            form->show();
            // Where no window manager activates a new window (a bare X server), the keys
            // would go to whichever window the pointer is over.
            form->activateWindow();
        },
        [&] { return app.exec(); });
}

}  // namespace stepdial::qt
