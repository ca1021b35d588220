// Runs inside the emulated machine as its only program: drives the real controller on
// the real Linux backend and reads the data register back after every write, straight
// from the I/O port, so what is checked is what stands on the data lines, whichever
// driver put it there.
//
//   port_check ppdev    the kernel's parport driver has the port: binding by base-addr
//   port_check second   the same with LPT2 (0x278) as parport0 and our port as parport1
//   port_check direct   no driver loaded: the direct-I/O fallback
//   port_check absent   no port at all: the start-up write must fail with a clear message

#include <sys/io.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "hardware_port.h"
#include "port_error.h"
#include "stepping_controller.h"

namespace stepdial {
namespace {

constexpr std::uint16_t kDataRegister = 0x378;
constexpr std::uint16_t kControlRegister = 0x37a;
// LPT2, a port the motor is not on: it must never be written.
constexpr std::uint16_t kOtherDataRegister = 0x278;
// Control bit 5 turns the data lines into inputs on a bidirectional port; 0x0c is the
// idle state of the other control lines (printer selected, not reset).
constexpr std::uint8_t kDataLinesInput = 0x2c;

// The motor's wiring: two neighbouring coils on, bit 0 is coil A. Written out here on
// its own so that a wrong table in the library cannot agree with itself.
constexpr std::array<unsigned, 4> kCoils{3, 6, 12, 9};

unsigned CoilsAt(std::int64_t step) { return kCoils[static_cast<std::size_t>(((step % 4) + 4) % 4)]; }

int failures = 0;
int checks = 0;

void Check(bool ok, const std::string& what) {
    ++checks;
    if (!ok) ++failures;
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
}

unsigned ReadDataRegister() { return ::inb(kDataRegister); }

// The first word of a /proc file, or "(none)" when there is no such file.
std::string ReadWord(const std::filesystem::path& file) {
    std::string word = "(none)";
    std::ifstream(file) >> word;
    return word;
}

std::string BaseAddressOf(const std::string& parport) {
    return ReadWord("/proc/sys/dev/parport/" + parport + "/base-addr");
}

// Which driver client holds the kernel port now: "none" when nobody has claimed it.
std::string HolderOf(const std::string& parport) {
    return ReadWord("/proc/sys/dev/parport/" + parport + "/devices/active");
}

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

// Ticks until arrival, as the window's timer would, checking the byte on the port after
// every tick and that the position moves by exactly one step per tick.
void Move(SteppingController& controller, std::string_view angle, std::int64_t wantEnd, int wantTicks) {
    const std::string name = "move to \"" + std::string(angle) + "\"";
    int ticks = 0;
    int wrongBytes = 0;
    int wrongSteps = 0;
    std::string firstWrong;
    do {
        const std::int64_t before = controller.CurrentStep();
        controller.StepMotor(angle);
        ++ticks;
        const std::int64_t step = controller.CurrentStep();
        const unsigned seen = ReadDataRegister();
        if (seen != CoilsAt(step) && wrongBytes++ == 0) {
            firstWrong = "tick " + std::to_string(ticks) + " at step " + std::to_string(step) +
                         ": port holds " + Hex(seen) + ", coils want " + Hex(CoilsAt(step));
        }
        if (step - before != (wantEnd > before ? 1 : -1)) ++wrongSteps;
    } while (!controller.HasArrived() && ticks < 1000);

    Check(wrongBytes == 0, name + ": every tick's byte read back from the port" +
                               (wrongBytes ? " (" + std::to_string(wrongBytes) + " wrong; first " + firstWrong + ")"
                                           : ""));
    Check(wrongSteps == 0, name + ": one step per tick toward the target");
    Check(ticks == wantTicks && controller.CurrentStep() == wantEnd,
          name + ": " + std::to_string(ticks) + " ticks to step " + std::to_string(controller.CurrentStep()) +
              " (want " + std::to_string(wantTicks) + " to " + std::to_string(wantEnd) + ")");
}

struct Expected {
    std::string parport;  // the kernel's name of the port at 0x378; empty without a driver
    std::string holder;   // the driver client that holds it while the program has it bound
    bool leftAsInput;     // another program left the data lines as inputs
};

void CheckWholeMoves(const Expected& want) {
    if (!want.parport.empty()) {
        Check(BaseAddressOf(want.parport) == "888", "the kernel lists " + want.parport + " at base-addr " +
                                                        BaseAddressOf(want.parport) + ", want 888");
        Check(HolderOf(want.parport) == "none", want.parport + " unclaimed before the program binds it");
    }
    auto port = MakeHardwarePort();
    if (!want.parport.empty()) {
        Check(HolderOf(want.parport) == "none", want.parport + " still unclaimed before the first write");
    }

    // A byte the start-up write must replace, so reading 0 afterwards proves it was written.
    ::outb(0xa5, kDataRegister);
    Check(ReadDataRegister() == 0xa5, "the emulated data register holds what is written to it");
    if (want.leftAsInput) {
        ::outb(kDataLinesInput, kControlRegister);
        Check(ReadDataRegister() != 0xa5, "the data lines left as inputs no longer show the written byte");
    }

    SteppingController controller(*port);
    controller.ResetMotor();
    Check(ReadDataRegister() == 0, "start-up byte: port holds " + Hex(ReadDataRegister()) + ", want 0x00");
    if (!want.parport.empty()) {
        Check(HolderOf(want.parport) == want.holder,
              want.parport + " held by " + HolderOf(want.parport) + ", want " + want.holder);
    }

    Move(controller, "360", 48, 48);
    Move(controller, "0", 0, 48);
    Move(controller, "-45", -6, 6);

    // Nothing is written when the program lets go of the port: the last coils stay on.
    port.reset();
    Check(ReadDataRegister() == CoilsAt(-6),
          "after the port is released it still holds " + Hex(ReadDataRegister()) + ", want " + Hex(CoilsAt(-6)));
    if (!want.parport.empty()) {
        Check(HolderOf(want.parport) == "none",
              want.parport + " held by " + HolderOf(want.parport) + " after the release, want none");
    }
}

void CheckNoPortFails() {
    auto port = MakeHardwarePort();
    SteppingController controller(*port);
    try {
        controller.ResetMotor();
        Check(false, "the start-up write into no port failed");
    } catch (const PortError& e) {
        const std::string message = e.what();
        std::printf("     message: %s\n", message.c_str());
        Check(e.code() == std::errc::no_such_device, "the failure's code is \"" + e.code().message() + "\"");
        for (const char* part : {"888 (0x378)", "direct port I/O", "no parallel port answers", "BIOS"}) {
            Check(message.find(part) != std::string::npos, std::string("the message names \"") + part + "\"");
        }
    }
}

int Run(std::string_view mode) {
    // Our own window on the data register, independent of the backend's.
    if (::ioperm(kDataRegister, 3, 1) != 0) {
        std::perror("ioperm 0x378");
        return 2;
    }
    const bool driverHasPort = std::filesystem::exists("/proc/sys/dev/parport/parport0");
    if (mode == "ppdev") {
        CheckWholeMoves({"parport0", "ppdev0", true});
    } else if (mode == "second") {
        if (::ioperm(kOtherDataRegister, 1, 1) != 0) {
            std::perror("ioperm 0x278");
            return 2;
        }
        ::outb(0x5a, kOtherDataRegister);
        Check(BaseAddressOf("parport0") == "632", "LPT2 is parport0 (base-addr " + BaseAddressOf("parport0") + ")");
        CheckWholeMoves({"parport1", "ppdev1", false});
        Check(::inb(kOtherDataRegister) == 0x5a, "LPT2 was left alone (holds " + Hex(::inb(kOtherDataRegister)) + ")");
    } else if (mode == "direct") {
        Check(!driverHasPort, "no kernel parport device");
        CheckWholeMoves({"", "", false});
    } else if (mode == "absent") {
        Check(!driverHasPort, "no kernel parport device");
        Check(ReadDataRegister() == 0xff, "nothing answers at 0x378 (reads " + Hex(ReadDataRegister()) + ")");
        CheckNoPortFails();
    } else {
        std::fprintf(stderr, "usage: port_check ppdev|second|direct|absent\n");
        return 2;
    }
    std::printf("port_check %s: %d checks, %d failed\n", std::string(mode).c_str(), checks, failures);
    return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace stepdial

int main(int argc, char** argv) {
    try {
        return stepdial::Run(argc == 2 ? argv[1] : "");
    } catch (const std::exception& e) {
        std::printf("FAIL unexpected error: %s\n", e.what());
        return 1;
    }
}
