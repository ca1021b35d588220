// Runs inside the emulated arm64 machine as its only program, with gpio_keys holding line 3
// of qemu's PL061 (the power key): drives lines 0, 1, 2 and 4 with the real controller and
// GPIO backend, reading them back after every tick as the PL061's driver reads its data
// register (debugfs), so what is checked is what stands on the lines.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>

#include "motor/port_error.h"
#include "motor/stepping_controller.h"
#include "ports/gpio_lines_linux.h"

namespace stepdial {
namespace {

constexpr char kChip[] = "9030000.pl061";
constexpr GpioCoilLines kLines{0, 1, 2, 4};
// Two neighbouring coils on, bit 0 is coil A: written out here so that a wrong table in
// the library cannot agree with itself.
constexpr unsigned kCoils[] = {3, 6, 12, 9};

int failures = 0, checks = 0, readBack = 0;

void Check(bool ok, const std::string& what) {
    ++checks;
    failures += !ok;
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
}

// The coils as the lines stand, from debugfs' " gpio-504 (   |stepdial  ) out hi", numbered
// from the chip's first GPIO ("GPIOs 504-511"); 0x100 unless all four are stepdial's outputs.
unsigned ReadLines() {
    std::ifstream file("/sys/kernel/debug/gpio");
    const std::regex header(R"(GPIOs (\d+)-)"), line(R"(^ gpio-(\d+) +\(.*\|stepdial *\) out (hi|lo))");
    std::string text;
    std::smatch match;
    long first = -1;
    unsigned coils = 0, seen = 0;
    while (std::getline(file, text)) {
        if (std::regex_search(text, match, header)) first = std::stol(match[1]);
        if (!std::regex_search(text, match, line) || first < 0) continue;
        const auto coil =
            std::find(kLines.begin(), kLines.end(), std::stol(match[1]) - first) - kLines.begin();
        if (coil == 4) continue;
        seen |= 1u << coil;
        if (match[2] == "hi") coils |= 1u << coil;
    }
    ++readBack;
    return seen == 0x0F ? coils : 0x100;
}

void Move(SteppingController& controller, std::string_view angle, int wantTicks) {
    int ticks = 0, wrong = 0;
    do {
        controller.StepMotor(angle);
        wrong += ReadLines() != kCoils[((controller.CurrentStep() % 4) + 4) % 4];
    } while (++ticks < 1000 && !controller.HasArrived());
    Check(wrong == 0 && ticks == wantTicks, "move to " + std::string(angle) + ": " + std::to_string(ticks) +
                                                " ticks, " + std::to_string(wrong) + " read back wrong");
}

std::string RefusalOf(const GpioCoilLines& lines) {
    try {
        MakeGpioLinesPort({kChip, lines})->Write(0, 0);
    } catch (const PortError& error) {
        return error.what();
    }
    return "(no refusal)";
}

void Run() {
    const auto chips = ListGpioChips();
    const bool listed = chips.size() == 1 && chips[0].label == kChip && chips[0].lines.size() == 8;
    Check(listed && chips[0].lines[3].consumer == "GPIO Key Poweroff",
          "the PL061 is listed with its 8 lines, line 3 held by the power key");
    const std::string refusal = RefusalOf({0, 1, 3, 4});
    Check(refusal.find("(coil C) is in use by \"GPIO Key Poweroff\"") != std::string::npos,
          "the power key's line is refused, naming its holder: " + refusal);

    // A program before leaves the lines high: the PL061 keeps an output's level after its
    // request is released, so reading 0 afterwards proves the start-up write.
    if (auto before = MakeGpioLinesPort({kChip, kLines})) {
        before->Write(0, 0x0F);
        Check(ReadLines() == 0x0F, "a program before leaves the four lines high");
    }
    auto port = MakeGpioLinesPort({kChip, kLines});
    SteppingController controller(*port);
    controller.ResetMotor();
    Check(ReadLines() == 0, "start-up: the four lines are stepdial's outputs and read back 0");
    const std::string second = RefusalOf(kLines);
    Check(second.find("is in use by \"stepdial\"") != std::string::npos,
          "a second stepdial is refused: " + second);
    Move(controller, "360", 48);
    Move(controller, "0", 48);
    Move(controller, "-45", 6);
}

}  // namespace
}  // namespace stepdial

int main() {
    stepdial::Run();
    std::printf("gpio_check: %d values read back\ngpio_check: %d checks, %d failed\n", stepdial::readBack,
                stepdial::checks, stepdial::failures);
    return stepdial::failures == 0 ? 0 : 1;
}
