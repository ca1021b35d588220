#include "ports/port_survey.h"

#include "motor/port_error.h"
#ifdef __linux__
#include "ports/gpio_lines_linux.h"
#endif

namespace stepdial {

PortSurvey SurveyPorts() {
    PortSurvey survey{ListParallelPorts(), {}, {}};
    try {
        survey.usbBoards = ListUsbBoards();
    } catch (const PortError& e) {
        survey.usbProblem = e.what();
    }
#ifdef __linux__
    survey.gpioChips = ListGpioChips();
#endif
    return survey;
}

}  // namespace stepdial
