#include <benchmark/benchmark.h>

#include <string>

#include "motor/stepping_controller.h"

namespace {

// A port that costs nothing, so the figure is the controller's own work per tick.
class NullPort : public stepdial::Port {
public:
    void Write(std::uint16_t address, std::uint8_t value) override {
        benchmark::DoNotOptimize(address);
        benchmark::DoNotOptimize(value);
    }
};

// One tick as the window runs it: the entry's text in, one step, one write.
void BM_StepMotor(benchmark::State& state) {
    NullPort port;
    stepdial::SteppingController controller(port);
    controller.ResetMotor();
    const std::string entry = "1e300";  // never arrives: every tick takes a step
    for (auto _ : state) {
        controller.StepMotor(entry);
    }
    benchmark::DoNotOptimize(controller.CurrentStep());
}
BENCHMARK(BM_StepMotor);

// Reference in the same run: a tick at rest on its target (the button pressed again).
void BM_StepMotorAtRest(benchmark::State& state) {
    NullPort port;
    stepdial::SteppingController controller(port);
    controller.ResetMotor();
    const std::string entry = "360";
    for (auto _ : state) {
        controller.StepMotor(entry);  // stands at 48 after the first 48 ticks: still one write each
    }
}
BENCHMARK(BM_StepMotorAtRest);

}  // namespace
