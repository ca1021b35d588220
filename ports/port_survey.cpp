#include "ports/port_survey.h"

#include "motor/port_error.h"

namespace stepdial {

PortSurvey SurveyPorts() {
    PortSurvey survey{ListParallelPorts(), {}, {}};
    try {
        survey.usbBoards = ListUsbBoards();
    } catch (const PortError& e) {
        survey.usbProblem = e.what();
    }
    return survey;
}

}  // namespace stepdial
