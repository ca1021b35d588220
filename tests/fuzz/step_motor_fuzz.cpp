// Fuzzes the entry's text rule and the motion step with arbitrary entries: the parse
// must agree with the C library's strtod (same grammar, C locale) wherever strtod's
// extras (hex, inf, nan) cannot occur, and every tick must keep the controller's
// promises to the motor whatever the entry holds.
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "motor/angle_text.h"
#include "motor/motor_model.h"
#include "motor/stepping_controller.h"

namespace {

class CheckingPort : public stepdial::Port {
public:
    void Write(std::uint16_t address, std::uint8_t value) override {
        if (address != 888) std::abort();
        last = value;
        ++writes;
    }
    std::uint8_t last = 0xff;
    long writes = 0;
};

void CheckParseAgainstStrtod(std::string_view text) {
    if (text.find_first_of("xXiInN") != std::string_view::npos) return;
    const std::string terminated(text);
    const double expected = std::strtod(terminated.c_str(), nullptr);
    const double actual = stepdial::ParseAngleText(text);
    // Below the smallest normal double strtod may keep a subnormal where the rule gives 0.
    if (std::fabs(expected) < DBL_MIN && std::fabs(actual) < DBL_MIN) return;
    if (expected != actual) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    CheckingPort port;
    stepdial::SteppingController controller(port);
    controller.ResetMotor();
    if (port.writes != 1 || port.last != 0) std::abort();

    // Each line is the entry's text for one tick: a sequence of edits while moving.
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        const std::string_view entry = input.substr(start, end - start);
        CheckParseAgainstStrtod(entry);

        const std::int64_t before = controller.CurrentStep();
        const long writesBefore = port.writes;
        controller.StepMotor(entry);
        const std::int64_t after = controller.CurrentStep();
        if (after - before > 1 || before - after > 1) std::abort();
        if (port.writes != writesBefore + 1) std::abort();
        if (port.last != stepdial::kTwoCoilPatterns[stepdial::PatternIndexOf(after, 4)]) std::abort();
        const double target = *controller.TargetStep();
        if (!std::isfinite(target)) std::abort();
        if (controller.HasArrived() != (std::fabs(target - static_cast<double>(after)) < 1.0)) std::abort();
        start = end + 1;
    }
    return 0;
}
