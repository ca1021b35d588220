// Runs inside the emulated arm64 machine as its only program: drives the PL061 GPIO
// controller of qemu's virt machine through the kernel's GPIO character device with the
// real controller and the real GPIO backend, and after every tick reads the four lines
// back as the kernel's driver reads them from the controller's data register (debugfs'
// gpio file), so what is checked is what stands on the lines.
//
//   gpio_check     gpio_keys holds line 3 (the power key); lines 0, 1, 2 and 4 are free

#include <fcntl.h>
#include <linux/gpio.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
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
// Coils A to D on four free lines, skipping the power key's line 3.
constexpr GpioCoilLines kLines{0, 1, 2, 4};
// The motor's wiring: two neighbouring coils on, bit 0 is coil A. Written out here on
// its own so that a wrong table in the library cannot agree with itself.
constexpr std::array<unsigned, 4> kCoils{3, 6, 12, 9};

unsigned CoilsAt(std::int64_t step) { return kCoils[static_cast<std::size_t>(((step % 4) + 4) % 4)]; }

int failures = 0;
int checks = 0;
int readBack = 0;

void Check(bool ok, const std::string& what) {
    ++checks;
    if (!ok) ++failures;
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
}

// The coils as the lines stand: gpiolib's debugfs file asks the controller's driver for
// each requested line's value (" gpio-512 (   |stepdial  ) out hi"), numbered from the
// chip's first GPIO ("GPIOs 504-511"). kNotAllFour when a line is not there as stepdial's output.
constexpr unsigned kNotAllFour = 0x100;
unsigned ReadLines() {
    std::ifstream file("/sys/kernel/debug/gpio");
    const std::regex header(R"(GPIOs (\d+)-\d+.*)"), line(R"(^ gpio-(\d+) +\(.*\|stepdial *\) out (hi|lo))");
    std::string text;
    long first = -1;
    unsigned coils = 0, seen = 0;
    while (std::getline(file, text)) {
        std::smatch match;
        if (std::regex_search(text, match, header)) {
            first = std::stol(match[1]);
        } else if (std::regex_search(text, match, line) && first >= 0) {
            const auto offset = static_cast<unsigned>(std::stol(match[1]) - first);
            const auto coil = std::find(kLines.begin(), kLines.end(), offset);
            if (coil == kLines.end()) continue;
            seen |= 1u << (coil - kLines.begin());
            if (match[2] == "hi") coils |= 1u << (coil - kLines.begin());
        }
    }
    ++readBack;
    return seen == 0x0F ? coils : kNotAllFour;
}

void Move(SteppingController& controller, std::string_view angle, int wantTicks) {
    int ticks = 0, wrong = 0;
    do {
        controller.StepMotor(angle);
        ++ticks;
        if (ReadLines() != CoilsAt(controller.CurrentStep())) ++wrong;
    } while (!controller.HasArrived() && ticks < 1000);
    Check(wrong == 0 && ticks == wantTicks,
          "move to \"" + std::string(angle) + "\": " + std::to_string(ticks) + " ticks (want " +
              std::to_string(wantTicks) + "), " + std::to_string(wrong) + " read back wrong");
}

// Leaves the four lines high, as another program may: the controller keeps an output's
// level after its request is released, so reading 0 afterwards proves the start-up write.
bool LeaveLinesHigh() {
    const int chip = ::open("/dev/gpiochip0", O_RDWR | O_CLOEXEC);
    gpio_v2_line_request request{};
    std::copy(kLines.begin(), kLines.end(), request.offsets);
    request.num_lines = kLines.size();
    request.config.flags = GPIO_V2_LINE_FLAG_OUTPUT;
    request.config.num_attrs = 1;
    request.config.attrs[0].attr.id = GPIO_V2_LINE_ATTR_ID_OUTPUT_VALUES;
    request.config.attrs[0].attr.values = 0x0F;
    request.config.attrs[0].mask = 0x0F;
    gpio_v2_line_values values{0, 0x0F};
    const bool high = ::ioctl(chip, GPIO_V2_GET_LINE_IOCTL, &request) == 0 &&
                      ::ioctl(request.fd, GPIO_V2_LINE_GET_VALUES_IOCTL, &values) == 0 && values.bits == 0x0F;
    ::close(request.fd);
    ::close(chip);
    return high;
}

std::string RefusalOf(const GpioCoilLines& lines, std::string& remedy) {
    try {
        MakeGpioLinesPort({kChip, lines})->Write(0, 0);
    } catch (const PortError& error) {
        remedy = error.remedy();
        return error.what();
    }
    return "(no refusal)";
}

void Run() {
    const auto chips = ListGpioChips();
    const auto pl061 =
        std::find_if(chips.begin(), chips.end(), [](const auto& c) { return c.label == kChip; });
    Check(pl061 != chips.end() && pl061->lines.size() == 8, "the PL061 is listed with its 8 lines");
    if (pl061 == chips.end()) return;
    Check(pl061->lines.at(3).used && pl061->lines.at(3).consumer == "GPIO Key Poweroff",
          "line 3 is listed as held by \"" + pl061->lines.at(3).consumer + "\"");

    std::string remedy;
    std::string refusal = RefusalOf({0, 1, 3, 4}, remedy);
    Check(refusal.find("\"GPIO Key Poweroff\"") != std::string::npos && remedy == remedy::gpio::kFreeTheLine,
          "the power key's line is refused, naming its holder: " + refusal);

    Check(LeaveLinesHigh(), "another program set the four lines high and let them go");
    auto port = MakeGpioLinesPort({kChip, kLines});
    SteppingController controller(*port);
    controller.ResetMotor();
    Check(ReadLines() == 0, "start-up: the four lines read back 0");
    for (unsigned offset : kLines) {
        const auto now = ListGpioChips();
        const auto chip =
            std::find_if(now.begin(), now.end(), [](const auto& c) { return c.label == kChip; });
        Check(chip != now.end() && chip->lines.at(offset).consumer == "stepdial",
              "line " + std::to_string(offset) + " is held by \"stepdial\"");
    }
    refusal = RefusalOf(kLines, remedy);
    Check(refusal.find("\"stepdial\"") != std::string::npos, "a second stepdial is refused: " + refusal);

    Move(controller, "360", 48);
    Move(controller, "0", 48);
    Move(controller, "-45", 6);
}

}  // namespace
}  // namespace stepdial

int main() {
    stepdial::Run();
    std::printf("gpio_check: %d values read back\n", stepdial::readBack);
    std::printf("gpio_check: %d checks, %d failed\n", stepdial::checks, stepdial::failures);
    return stepdial::failures == 0 && stepdial::checks > 0 ? 0 : 1;
}
