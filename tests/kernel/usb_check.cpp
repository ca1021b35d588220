// Runs inside the emulated machine beside ft232r_gadget: drives the real controller on the
// USB board backend (libftdi, libusb, the kernel's USB stack, dummy_hcd) and compares what
// the gadget received with the coil patterns of the moves.
//
//   usb_check GADGET LOG     GADGET: the configfs gadget's folder; LOG: the gadget's record
//   usb_check second SERIAL  the second program, started while the first holds the board

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "motor/parport_lookup.h"
#include "motor/port_error.h"
#include "motor/stepping_controller.h"
#include "motor/tick_period.h"
#include "ports/usb_board.h"

namespace stepdial {
namespace {

int checks = 0, failures = 0;

void Check(bool ok, const std::string& what) {
    ++checks;
    failures += !ok;
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
}

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string FirstLine(const std::string& file) {
    std::string line;
    std::getline(std::ifstream(file), line);
    return line;
}

struct Received {
    std::vector<unsigned> bytes;
    std::vector<long long> times;  // microseconds
};

// The gadget logs each byte once the host's transfer reached it; a moment lets the last land.
Received ReadLog(const std::string& log) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Received got;
    std::ifstream in(log);
    unsigned byte = 0;
    long long time = 0;
    while (in >> byte >> time) {
        got.bytes.push_back(byte);
        got.times.push_back(time);
    }
    return got;
}

// The start-up write of a port that must be refused: returns the failure's message.
std::string ExpectRefused(const UsbBoardChoice& choice, std::errc code, std::string_view remedy,
                          const std::string& name) {
    try {
        MakeUsbBoardPort(choice)->Write(kDataRegister, 0);
        Check(false, name + ": refused");
    } catch (const PortError& e) {
        std::printf("     message: %s\n", e.what());
        Check(e.code() == code && e.remedy() == remedy,
              name + ": \"" + e.code().message() + "\", its remedy");
        return e.what();
    }
    return "";
}

// Ticks at the window's period until arrival, `atTick` after each tick's write.
void Move(
    SteppingController& controller, const std::string& angle,
    const std::function<void(int)>& atTick = [](int) {}) {
    timespec due{};
    ::clock_gettime(CLOCK_MONOTONIC, &due);
    for (int tick = 1;; ++tick) {
        due.tv_nsec += kTickPeriod.count();
        due.tv_sec += due.tv_nsec / 1'000'000'000;
        due.tv_nsec %= 1'000'000'000;
        ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
        controller.StepMotor(angle);
        atTick(tick);
        if (controller.HasArrived()) return;
    }
}

int RunSecond(const std::string& serial) {
    const std::string message = ExpectRefused({serial, ""}, std::errc::device_or_resource_busy,
                                              remedy::usb::kCloseTheBoardsOtherProgram, "second program");
    const std::string first = "PID " + std::to_string(::getppid()) + ", usb_check";
    Check(Holds(message, first), "second program: the message names the holder, " + first);
    std::printf("second program (usb): %d checks, %d failed\n", checks, failures);
    return failures == 0 ? 0 : 1;
}

int Run(const std::string& gadget, const std::string& log) {
    const std::string serial = FirstLine(gadget + "/strings/0x409/serialnumber");
    const auto boards = ListUsbBoards();
    Check(boards.size() == 1 && boards[0].serial == serial &&
              boards[0].description == FirstLine(gadget + "/strings/0x409/product") &&
              !boards[0].busPlace.empty(),
          "the board is listed with its product string, serial " + serial + " and place " +
              (boards.empty() ? "(none)" : boards[0].busPlace));

    // A choice by place is for a board without a serial number: another board sits there.
    ExpectRefused({"", boards.empty() ? "1-1" : boards[0].busPlace}, std::errc::no_such_device,
                  remedy::usb::kPlugInTheBoard, "a board with a serial number at the place chosen");

    // A terminal on the board's serial port: refused before ftdi_sio is taken from it.
    const pid_t terminal = ::fork();
    if (terminal == 0) {
        ::open("/dev/ttyUSB0", O_RDWR | O_NOCTTY);
        ::pause();
    }
    for (int wait = 0; wait < 500 && !HasDeviceOpen(terminal, "/dev/ttyUSB0"); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string held =
        ExpectRefused({serial, ""}, std::errc::device_or_resource_busy,
                      remedy::usb::kCloseTheBoardsOtherProgram, "a terminal on /dev/ttyUSB0");
    Check(Holds(held, "/dev/ttyUSB0") && Holds(held, "PID " + std::to_string(terminal)),
          "the message names /dev/ttyUSB0 and the terminal's PID");
    ::kill(terminal, SIGKILL);
    ::waitpid(terminal, nullptr, 0);

    // A user the board's node (root's, 0664, without the package's rule) does not open to.
    const pid_t stranger = ::fork();
    if (stranger == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ExpectRefused({serial, ""}, std::errc::permission_denied, remedy::usb::kAllowTheBoard,
                      "a user without access");
        std::_Exit(dropped && failures == 0 ? 0 : 1);
    }
    int strangerStatus = -1;
    ::waitpid(stranger, &strangerStatus, 0);
    Check(WIFEXITED(strangerStatus) && WEXITSTATUS(strangerStatus) == 0,
          "a user without access is told the rule");

    // Whole moves at the window's cadence, a second program refused during the first.
    auto port = MakeUsbBoardPort({serial, ""});
    SteppingController controller(*port);
    controller.ResetMotor();
    pid_t second = -1;
    int secondStatus = -1;
    Move(controller, "360", [&](int tick) {
        const char* argv[] = {"usb_check", "second", serial.c_str(), nullptr};
        if (tick == 24)
            ::posix_spawn(&second, "/proc/self/exe", nullptr, nullptr, const_cast<char**>(argv), environ);
    });
    ::waitpid(second, &secondStatus, 0);
    Check(WIFEXITED(secondStatus) && WEXITSTATUS(secondStatus) == 0, "the second program was refused");
    for (const char* angle : {"0", "360", "0", "360", "0"}) Move(controller, angle);
    const std::vector<unsigned> out{6, 12, 9, 3}, back{9, 12, 6, 3};
    std::vector<unsigned> want{0};
    for (int move = 0; move < 6; ++move)
        for (int i = 0; i < 48; ++i) want.push_back((move % 2 ? back : out)[i % 4]);
    const Received got = ReadLog(log);
    Check(got.bytes == want,
          "the board received 0, then 6, 12, 9, 3, ... and back: " + std::to_string(got.bytes.size()) +
              " bytes, want " + std::to_string(want.size()));
    for (std::size_t i = 1; i < got.times.size(); ++i) std::printf("tick_us %lld\n", got.times[i]);

    port.reset();
    Check(ReadLog(log).bytes.size() == got.bytes.size(), "nothing written when the port is let go");

    // Unplugged mid-move: the write fails, and the step it carried is not counted.
    port = MakeUsbBoardPort({serial, ""});
    SteppingController again(*port);
    again.ResetMotor();
    for (int tick = 0; tick < 10; ++tick) again.StepMotor("360");
    std::ofstream(gadget + "/UDC") << "\n";
    try {
        again.StepMotor("360");
        Check(false, "the write after the unplugging failed");
    } catch (const PortError& e) {
        std::printf("     message: %s\n", e.what());
        Check(e.code() == std::errc::no_such_device && e.remedy() == remedy::usb::kPlugItInAgain,
              "unplugged mid-move: \"" + e.code().message() + "\", its remedy");
    }
    Check(again.CurrentStep() == 10, "the step that never reached the board is not counted");
    ExpectRefused({serial, ""}, std::errc::no_such_device, remedy::usb::kPlugInTheBoard,
                  "no board plugged in");

    std::printf("port_check usb: %d checks, %d failed\n", checks, failures);
    return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace stepdial

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::string_view(argv[1]) == "second") return stepdial::RunSecond(argv[2]);
        if (argc == 3) return stepdial::Run(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::printf("FAIL unexpected error: %s\n", e.what());
    }
    return 1;
}
