// Runs inside the emulated machine as its only program: drives the real controller on
// the real Linux backend and reads the data register back after every write, straight
// from the I/O port, so what is checked is what stands on the data lines, whichever
// driver put it there.
//
//   port_check ppdev    the kernel's parport driver has the port: binding by base-addr
//   port_check second   the same with LPT2 (0x278) as parport0 and our port as parport1
//   port_check busy     a second program starts while a first holds the port through
//                       ppdev: the second is refused at once, the first never pauses
//   port_check foreign  a plain ppdev program claims the port stepdial holds: refused at once
//   port_check card     the only port at 0x278, as a plug-in card's: it is the one driven
//   port_check lp       the printer driver is bound to the port as well: refused at once
//   port_check lp_unbound  lp loaded with parport=none, as the package has it: it works
//   port_check lp_poll[_unbound]  rounds of a stepdial and a port-polling program started
//                       together, with lp bound (or not): none may hang
//   port_check direct   no driver loaded: the direct-I/O fallback
//   port_check direct_input         the same with the data lines left as inputs: the
//                                   start-up write fails and says why
//   port_check direct_input_remedy  after the drivers were loaded, as that message says
//   port_check absent   no port at all: the start-up write must fail with a clear message

#include <fcntl.h>
#include <linux/ppdev.h>
#include <signal.h>
#include <spawn.h>
#include <sys/io.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "motor/hardware_port.h"
#include "motor/port_error.h"
#include "motor/stepping_controller.h"
#include "motor/tick_period.h"

namespace stepdial {
namespace {

constexpr std::uint16_t kControlRegister = kDataRegister + 2;
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

// The data register of the port the boot drives: 0x378, or a card's elsewhere.
std::uint16_t dataRegister = kDataRegister;

unsigned ReadDataRegister() { return ::inb(dataRegister); }

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

bool Holds(const std::string& message, const std::string& part) { return message.find(part) != std::string::npos; }

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

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
    std::string parport;  // the kernel's name of the port driven; empty without a driver
    std::string holder;   // the driver client that holds it while the program has it bound
    bool leftAsInput;     // another program left the data lines as inputs
    std::string base = "888";  // its base-addr as the kernel lists it
};

void CheckWholeMoves(const Expected& want) {
    if (!want.parport.empty()) {
        Check(BaseAddressOf(want.parport) == want.base, "the kernel lists " + want.parport + " at base-addr " +
                                                            BaseAddressOf(want.parport) + ", want " + want.base);
        Check(HolderOf(want.parport) == "none", want.parport + " unclaimed before the program binds it");
    }
    auto port = MakeHardwarePort();
    if (!want.parport.empty()) {
        Check(HolderOf(want.parport) == "none", want.parport + " still unclaimed before the first write");
    }

    // A byte the start-up write must replace, so reading 0 afterwards proves it was written.
    ::outb(0xa5, dataRegister);
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
        Check(e.remedy() == remedy::kEnableThePort, "the remedy is to enable the port in the BIOS setup");
        for (const std::string& part : {DescribeAddress(kDataRegister), std::string("direct port I/O")}) {
            Check(Holds(message, part), "the message names \"" + part + "\"");
        }
    }
}

// Another program left the data lines as inputs and no driver has the port: the
// direct-I/O start-up write must fail, say so, and leave the control register alone.
void CheckInputLinesFail() {
    ::outb(0xa5, kDataRegister);
    ::outb(kDataLinesInput, kControlRegister);
    const unsigned control = ::inb(kControlRegister);
    Check(ReadDataRegister() != 0xa5, "the data lines left as inputs no longer show the written byte (control reads " +
                                          Hex(control) + ")");
    auto port = MakeHardwarePort();
    SteppingController controller(*port);
    try {
        controller.ResetMotor();
        Check(false, "the start-up write onto input lines failed");
    } catch (const PortError& e) {
        const std::string message = e.what();
        std::printf("     message: %s\n", message.c_str());
        Check(e.code() == std::errc::io_error, "the failure's code is \"" + e.code().message() + "\"");
        Check(e.remedy() == remedy::SetTheLinesBack(), "the remedy is to load the drivers, which set the lines back");
        for (const std::string& part :
             {DescribeAddress(kDataRegister), std::string("direct port I/O"), DescribeAddress(kControlRegister)}) {
            Check(Holds(message, part), "the message names \"" + part + "\"");
        }
    }
    Check(::inb(kControlRegister) == control, "the control register was left as it was: reads " +
                                                  Hex(::inb(kControlRegister)) + ", want " + Hex(control));
}

// The remedy that message gives: parport_pc, loaded after the lines were left as inputs,
// has set them back to outputs, and the program works through ppdev.
void CheckRemedyOfInputLines() {
    const unsigned control = ::inb(kControlRegister);
    Check((control & 0x20) == 0, "with parport_pc loaded the data lines are outputs again (control reads " +
                                     Hex(control) + ")");
    CheckWholeMoves({"parport0", "ppdev0", false});
}

// A program that knows nothing of stepdial's lock: it opens the device and claims the
// port, as any ppdev program does.
class ForeignPpdevPort : public Port {
public:
    explicit ForeignPpdevPort(const char* device) : fd_(::open(device, O_RDWR | O_CLOEXEC)) {
        if (fd_ < 0 || ::ioctl(fd_, PPCLAIM) < 0) {
            throw std::system_error(errno, std::generic_category(), std::string("claiming ") + device);
        }
    }
    ~ForeignPpdevPort() override {
        ::ioctl(fd_, PPRELEASE);
        ::close(fd_);
    }
    void Write(std::uint16_t, std::uint8_t value) override {
        unsigned char data = value;
        if (::ioctl(fd_, PPWDATA, &data) < 0) throw std::system_error(errno, std::generic_category(), "PPWDATA");
    }

private:
    int fd_;
};

// The window's tick, each due a fixed period after the last was due.
constexpr long kTickNs = kTickPeriod.count();
constexpr int kTicksBeforeSecond = static_cast<int>(std::chrono::seconds(1) / kTickPeriod);
constexpr int kTicksAfterSecond = kTicksBeforeSecond / 2;
constexpr auto kRefusalLimit = std::chrono::seconds(1);
constexpr auto kLongestAllowedInterval = std::chrono::milliseconds(250);

void AddNs(timespec& t, long ns) {
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1'000'000'000) {
        t.tv_nsec -= 1'000'000'000;
        ++t.tv_sec;
    }
}

// The first program holds the port and turns the motor at the window's tick; a second
// in, a second program starts (port_check `secondMode`) and must be refused. Before each
// of its writes the first checks that the data register still holds its own last byte: a
// write by the second in between would show there.
void CheckSecondIsRefused(const std::string& firstKind, std::unique_ptr<Port> port,
                          const char* secondMode = "busy_second") {
    const std::string name = firstKind + " first: ";
    SteppingController controller(*port);
    controller.ResetMotor();
    Check(HolderOf("parport0") == "ppdev0", name + "parport0 held by " + HolderOf("parport0") + ", want ppdev0");

    unsigned expected = ReadDataRegister();
    int intrusions = 0;
    int wrongBytes = 0;
    std::string firstIntrusion;
    bool outward = true;
    pid_t second = -1;
    int secondStatus = 0;
    Clock::time_point spawned;
    std::optional<Clock::duration> secondRan;
    Clock::duration longest{};
    int ticks = 0;
    int ticksAfter = 0;
    timespec due{};
    ::clock_gettime(CLOCK_MONOTONIC, &due);
    auto last = Clock::now();
    while (true) {
        AddNs(due, kTickNs);
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
        }
        const unsigned before = ReadDataRegister();
        if (before != expected && intrusions++ == 0) {
            firstIntrusion = "before tick " + std::to_string(ticks + 1) + " the port held " + Hex(before) + ", not " +
                             Hex(expected);
        }
        controller.StepMotor(outward ? "360" : "0");
        const auto now = Clock::now();
        ++ticks;
        longest = std::max(longest, now - last);
        last = now;
        expected = CoilsAt(controller.CurrentStep());
        if (ReadDataRegister() != expected) ++wrongBytes;
        if (controller.HasArrived()) outward = !outward;

        if (ticks == kTicksBeforeSecond) {
            const std::string firstPid = std::to_string(::getpid());
            std::vector<std::string> words{"port_check", secondMode, firstKind, firstPid};
            std::vector<char*> argv;
            for (auto& word : words) argv.push_back(word.data());
            argv.push_back(nullptr);
            spawned = Clock::now();
            if (::posix_spawn(&second, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0) {
                Check(false, name + "the second program started");
                break;
            }
        }
        if (second > 0 && !secondRan && ::waitpid(second, &secondStatus, WNOHANG) == second) {
            secondRan = now - spawned;
        }
        if (secondRan && ++ticksAfter >= kTicksAfterSecond) break;
        // A second that never ends is stuck in the kernel; this program would have
        // stopped at its next write already, and the guest's watchdog ends the machine.
        if (second > 0 && !secondRan && now - spawned > std::chrono::seconds(10)) {
            ::kill(second, SIGKILL);
            break;
        }
    }

    Check(secondRan.has_value() && WIFEXITED(secondStatus) && WEXITSTATUS(secondStatus) == 0,
          name + "the second program was refused as it should be (its own checks above)");
    Check(intrusions == 0, name + "nothing but the first program wrote the data register" +
                               (intrusions ? " (" + std::to_string(intrusions) + " times; " + firstIntrusion + ")" : ""));
    Check(wrongBytes == 0, name + "every tick's byte read back from the port");
    const double refusedMs = secondRan ? Ms(*secondRan) : -1;
    Check(secondRan && *secondRan <= kRefusalLimit,
          name + "the second program ended within 1 s of its start (" + std::to_string(refusedMs) + " ms)");
    Check(longest <= kLongestAllowedInterval,
          name + "no interval between ticks over 250 ms (longest " + std::to_string(Ms(longest)) + " ms)");
    std::printf(
        "figures %s first: second program started and refused in %.1f ms; first program's longest "
        "interval between ticks %.1f ms over %d ticks (due every %.3f ms)\n",
        firstKind.c_str(), refusedMs, Ms(longest), ticks, Ms(kTickPeriod));

    port.reset();
    Check(HolderOf("parport0") == "none", name + "parport0 free after the first program let go");
}

// The second program: a stepdial starting while the first holds the port.
int RunSecond(const std::string& firstKind, const std::string& firstPid) {
    const auto start = Clock::now();
    const std::string name = "second program: ";
    Check(HolderOf("parport0") == "ppdev0", name + "the first holds parport0 as it starts (" + HolderOf("parport0") + ")");
    auto port = MakeHardwarePort();
    SteppingController controller(*port);
    try {
        controller.ResetMotor();
        Check(false, name + "refused the port");
    } catch (const PortError& e) {
        const auto took = Clock::now() - start;
        const std::string message = e.what();
        std::printf("     message: %s\n", message.c_str());
        Check(e.code() == std::errc::device_or_resource_busy, name + "the code is \"" + e.code().message() + "\"");
        Check(e.remedy() == remedy::kCloseTheOther, name + "the remedy is to close the other program");
        std::vector<std::string> parts{DescribeAddress(kDataRegister), "/dev/parport0"};
        if (firstKind == "stepdial") {
            parts.push_back("(PID " + firstPid + ", port_check) that holds /dev/parport0");
        } else {
            parts.push_back("another program (PID " + firstPid + ", port_check) through /dev/parport0");
        }
        for (const auto& part : parts) Check(Holds(message, part), name + "the message names \"" + part + "\"");
        Check(took <= kRefusalLimit, name + "refused " + std::to_string(Ms(took)) + " ms after its start");
        std::printf("figures %s first: second program's own count from its start to the refusal %.1f ms\n",
                    firstKind.c_str(), Ms(took));
    }
    std::printf("second program (%s first): %d checks, %d failed\n", firstKind.c_str(), checks, failures);
    return failures == 0 ? 0 : 1;
}

// The state letter of a /proc/.../stat file: D is asleep in the kernel, unkillable.
char StateOf(const std::string& statFile) {
    std::string line;
    std::getline(std::ifstream(statFile), line);
    const auto end = line.rfind(") ");
    return end == std::string::npos || end + 2 >= line.size() ? '?' : line[end + 2];
}

// A plain ppdev program claims the port while stepdial holds it: refused at once, or asleep
// holding ppdev's mutex with stepdial's next write in state D behind it. A thread samples
// both states; an alarm ends a sleeping claim after 3 s so that a failing run shows figures.
int RunForeignClaimer(const std::string& firstPid) {
    std::atomic<bool> done{false};
    std::atomic<int> inD{0}, samples{0};
    const auto watchUntil = Clock::now() + kLongestAllowedInterval;  // over stepdial's next ticks too
    std::thread watcher([&] {  // a process's stat file shows its main thread's state
        for (; !done || Clock::now() < watchUntil;
             std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
            inD += (StateOf("/proc/" + firstPid + "/stat") == 'D') + (StateOf("/proc/self/stat") == 'D');
            ++samples;
        }
    });
    struct sigaction onAlarm {};
    onAlarm.sa_handler = [](int) {};  // no SA_RESTART: a sleeping claim returns EINTR
    ::sigaction(SIGALRM, &onAlarm, nullptr);
    ::alarm(3);
    const auto start = Clock::now();
    const int claimed = ::ioctl(::open("/dev/parport0", O_RDWR | O_CLOEXEC), PPCLAIM);
    const std::string result = claimed == 0 ? "claimed" : std::strerror(errno);
    const double took = Ms(Clock::now() - start);
    done = true;
    watcher.join();
    Check(claimed < 0 && took <= Ms(kRefusalLimit), "foreign claim: refused within 1 s (" + result + ")");
    Check(inD == 0, "foreign claim: no program in state D");
    std::printf("figures foreign claim: the claim returned after %.1f ms (%s); samples in state D %d of %d\n",
                took, result.c_str(), inD.load(), samples.load());
    std::printf("second program (foreign claim): %d checks, %d failed\n", checks, failures);
    return failures == 0 ? 0 : 1;
}

void CheckBusy() {
    CheckSecondIsRefused("stepdial", MakeHardwarePort());
    CheckSecondIsRefused("foreign", std::make_unique<ForeignPpdevPort>("/dev/parport0"));
    // Both have let go: a stepdial starting now takes the port.
    CheckWholeMoves({"parport0", "ppdev0", false});
}

// A plain ppdev program that claims and releases the port in a loop without locking the
// device, as port-polling tools do, for the time a race lasts.
constexpr auto kRaceRun = std::chrono::milliseconds(1500);
constexpr auto kStuckAfter = std::chrono::milliseconds(4600);

int RunPoller() {
    const int fd = ::open("/dev/parport0", O_RDWR | O_CLOEXEC);
    for (const auto end = Clock::now() + kRaceRun; Clock::now() < end;) {
        if (::ioctl(fd, PPCLAIM) == 0) ::ioctl(fd, PPRELEASE);
    }
    return 0;
}

// Exit statuses of a racing stepdial.
constexpr int kDrove = 0;
constexpr int kRefused = 10;

std::string OutcomeFile(pid_t pid) { return "/run/race-" + std::to_string(pid); }

// A stepdial: drives the motor for the race's time, or is refused within `limit`, with the
// printer driver's remedy while `lpBound`. Its refusal is left in its outcome file.
int RunRacingStepdial(bool lpBound, Clock::duration limit) {
    const auto start = Clock::now();
    auto port = MakeHardwarePort();
    SteppingController controller(*port);
    try {
        controller.ResetMotor();
    } catch (const PortError& e) {
        const std::string message = e.what();
        std::ofstream(OutcomeFile(::getpid())) << message;
        const bool fits = e.code() == std::errc::device_or_resource_busy &&
                          (!lpBound || e.remedy() == remedy::kUnbindThePrinterDriver);
        const auto took = Clock::now() - start;
        std::printf("%s refused after %.1f ms: %s\n", fits && took <= limit ? "    " : "FAIL", Ms(took),
                    message.c_str());
        return fits && took <= limit ? kRefused : 1;
    }
    for (bool outward = true; Clock::now() - start < kRaceRun && !lpBound;) {
        controller.StepMotor(outward ? "360" : "0");
        if (controller.HasArrived()) outward = !outward;
        std::this_thread::sleep_for(std::chrono::nanoseconds(kTickNs));
    }
    return lpBound ? 1 : kDrove;
}

pid_t Spawn(const char* mode) {
    std::string name = "port_check", word = mode;
    char* argv[] = {name.data(), word.data(), nullptr};
    pid_t pid = -1;
    return ::posix_spawn(&pid, "/bin/port_check", nullptr, nullptr, argv, environ) == 0 ? pid : -1;
}

// Rounds of `stepdials` stepdials and a poller started together, the poller first in every
// other round. Whatever still runs 4.6 s after the start is stuck in the kernel: the poller,
// whose sleeping claim a signal ends, is killed first so that a stepdial can end too. A
// refused stepdial may name another stepdial only if that one drove the motor.
void CheckRaces(const char* stepdialMode, int rounds, int stepdials) {
    int stuck = 0, drove = 0, refused = 0, other = 0, misnamed = 0;
    for (int round = 0; round < rounds; ++round) {
        std::vector<pid_t> pids;  // the poller first, then the stepdials
        std::vector<int> status;
        const auto start = Clock::now();
        const pid_t poller = round % 2 ? Spawn("race_poller") : 0;
        for (int i = 0; i < stepdials; ++i) pids.push_back(Spawn(stepdialMode));
        pids.insert(pids.begin(), poller ? poller : Spawn("race_poller"));
        status.assign(pids.size(), -1);
        for (std::size_t left = pids.size(); left > 0 && Clock::now() - start < kStuckAfter;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            for (std::size_t i = 0; i < pids.size(); ++i) {
                if (status[i] == -1 && ::waitpid(pids[i], &status[i], WNOHANG) == pids[i]) --left;
            }
        }
        std::string states;
        for (std::size_t i = 0; i < pids.size(); ++i) {
            if (status[i] != -1) continue;
            states += std::string(" ") + StateOf("/proc/" + std::to_string(pids[i]) + "/stat");
            ::kill(pids[i], SIGKILL);
            ::waitpid(pids[i], &status[i], 0);
        }
        if (!states.empty()) {
            ++stuck;
            std::printf("     round %d: stuck after 4.6 s, states (poller first):%s\n", round + 1, states.c_str());
            continue;
        }
        const auto exitOf = [&](std::size_t i) { return WIFEXITED(status[i]) ? WEXITSTATUS(status[i]) : -1; };
        for (std::size_t i = 1; i < pids.size(); ++i) {
            (exitOf(i) == kDrove ? drove : exitOf(i) == kRefused ? refused : other)++;
            std::string message;
            std::getline(std::ifstream(OutcomeFile(pids[i])), message);
            for (std::size_t j = 1; j < pids.size(); ++j) {
                misnamed += j != i && exitOf(j) != kDrove && Holds(message, "PID " + std::to_string(pids[j]) + ",");
            }
        }
    }
    const std::string name = std::string(stepdialMode) + " x" + std::to_string(stepdials);
    Check(stuck == 0 && other == 0, name + ": no round stuck, every stepdial drove or was refused as it should be");
    Check(misnamed == 0, name + ": no refusal named a stepdial that was refused itself");
    std::printf("figures %s: %d rounds (the poller first in every other), %d stuck; stepdials: %d drove the motor, "
                "%d refused at once, %d failed; %d refusals named a refused stepdial\n",
                name.c_str(), rounds, stuck, drove, refused, other, misnamed);
}

int Run(std::string_view mode) {
    // Our own window on the data register, independent of the backend's.
    if (::ioperm(kDataRegister, 3, 1) != 0 || ::ioperm(kOtherDataRegister, 3, 1) != 0) {
        std::perror("ioperm 0x378, 0x278");
        return 2;
    }
    const bool driverHasPort = std::filesystem::exists("/proc/sys/dev/parport/parport0");
    if (mode == "ppdev") {
        CheckWholeMoves({"parport0", "ppdev0", true});
    } else if (mode == "second") {
        ::outb(0x5a, kOtherDataRegister);
        Check(BaseAddressOf("parport0") == "632", "LPT2 is parport0 (base-addr " + BaseAddressOf("parport0") + ")");
        CheckWholeMoves({"parport1", "ppdev1", false});
        Check(::inb(kOtherDataRegister) == 0x5a, "LPT2 was left alone (holds " + Hex(::inb(kOtherDataRegister)) + ")");
    } else if (mode == "busy") {
        CheckBusy();
    } else if (mode == "foreign") {
        CheckSecondIsRefused("stepdial", MakeHardwarePort(), "foreign_claimer");
    } else if (mode == "card") {
        dataRegister = kOtherDataRegister;
        Check(::inb(kDataRegister) == 0xff, "nothing answers at 0x378 (reads " + Hex(::inb(kDataRegister)) + ")");
        CheckWholeMoves({"parport0", "ppdev0", false, "632"});
    } else if (mode == "lp") {
        Check(RunRacingStepdial(true, kRefusalLimit) == kRefused, "refused at once beside the printer driver, which it names");
        Check(HolderOf("parport0") == "none", "parport0 left unclaimed");
    } else if (mode == "lp_unbound") {
        Check(!std::filesystem::exists("/proc/sys/dev/parport/parport0/devices/lp"), "lp is bound to no port");
        CheckWholeMoves({"parport0", "ppdev0", false});
    } else if (mode == "lp_poll") {
        CheckRaces("race_stepdial_lp", 8, 1);
    } else if (mode == "lp_poll_unbound") {
        CheckRaces("race_stepdial", 4, 1);
        CheckRaces("race_stepdial", 6, 2);
    } else if (mode == "direct_input") {
        Check(!driverHasPort, "no kernel parport device");
        CheckInputLinesFail();
    } else if (mode == "direct_input_remedy") {
        CheckRemedyOfInputLines();
    } else if (mode == "direct") {
        Check(!driverHasPort, "no kernel parport device");
        CheckWholeMoves({"", "", false});
    } else if (mode == "absent") {
        Check(!driverHasPort, "no kernel parport device");
        Check(ReadDataRegister() == 0xff, "nothing answers at 0x378 (reads " + Hex(ReadDataRegister()) + ")");
        CheckNoPortFails();
    } else {
        std::fprintf(stderr,
                     "usage: port_check "
                     "ppdev|second|card|busy|foreign|lp|lp_unbound|lp_poll|lp_poll_unbound|direct|direct_input|"
                     "direct_input_remedy|absent\n");
        return 2;
    }
    std::printf("port_check %s: %d checks, %d failed\n", std::string(mode).c_str(), checks, failures);
    return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace stepdial

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::string_view(argv[1]) == "busy_second") return stepdial::RunSecond(argv[2], argv[3]);
        if (argc == 4 && std::string_view(argv[1]) == "foreign_claimer") {
            return stepdial::RunForeignClaimer(argv[3]);
        }
        const std::string_view mode = argc == 2 ? argv[1] : "";
        if (mode == "race_poller") return stepdial::RunPoller();
        if (mode == "race_stepdial_lp" || mode == "race_stepdial") {
            // Up to three processes share the one emulated CPU in a race.
            return stepdial::RunRacingStepdial(mode == "race_stepdial_lp", stepdial::kRaceRun);
        }
        return stepdial::Run(mode);
    } catch (const std::exception& e) {
        std::printf("FAIL unexpected error: %s\n", e.what());
        return 1;
    }
}
