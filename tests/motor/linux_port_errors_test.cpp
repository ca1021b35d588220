#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "motor/hardware_port.h"
#include "motor/port_error.h"
#include "motor/port_ppdev.h"
#ifdef __x86_64__
#include "motor/port_direct_io.h"
#endif

namespace stepdial {
namespace {

namespace fs = std::filesystem;

// Runs `open` and returns the PortError's message, or a note that none came.
template <typename F>
std::string MessageOf(F open) {
    try {
        open();
    } catch (const PortError& e) {
        return e.what();
    }
    return "(no PortError)";
}

void ExpectAll(const std::string& message, std::initializer_list<const char*> parts) {
    for (const char* part : parts) EXPECT_NE(message.find(part), std::string::npos) << "missing \"" << part << "\" in: " << message;
}

TEST(PpdevPortErrors, MissingDeviceTellsToLoadTheModules) {
    ExpectAll(MessageOf([] { PpdevPort("/dev/parport-none", 888); }),
              {"888 (0x378)", "/dev/parport-none", "No such file or directory", "modprobe parport_pc ppdev"});
}

TEST(PpdevPortErrors, ANonPortDeviceCannotBeClaimed) {
    // /dev/null opens, but it is no parport: PPCLAIM is refused.
    ExpectAll(MessageOf([] { PpdevPort("/dev/null", 888); }),
              {"888 (0x378)", "/dev/null", "cannot claim the port", "Inappropriate ioctl"});
}

// Another program holds the port. The device node is a regular file here: the lock and
// the kernel's list of the port's holder come before the claim, so a refusal never gets
// as far as PPCLAIM, and a free port does (which a regular file then refuses).
struct InUseCase {
    const char* name;
    bool otherLocks;     // another open of the device node holds its lock, as a running stepdial does
    const char* active;  // the port's devices/active; nullptr: no such file
    std::errc code;
    std::vector<std::string> parts;  // "{pid}" stands for this process's PID
};

void PrintTo(const InUseCase& c, std::ostream* os) { *os << c.name; }

class PpdevPortInUse : public ::testing::TestWithParam<InUseCase> {};

TEST_P(PpdevPortInUse, RefusesWithoutClaimingWhileAnotherHoldsThePort) {
    const auto& c = GetParam();
    const fs::path root = fs::temp_directory_path() / ("stepdial-in-use-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const std::unique_ptr<const fs::path, void (*)(const fs::path*)> cleanup(&root, [](const fs::path* p) { fs::remove_all(*p); });
    fs::create_directories(root / "proc" / "parport3" / "devices");
    const fs::path device = root / "parport3";
    std::ofstream(device) << "";
    if (c.active) std::ofstream(root / "proc" / "parport3" / "devices" / "active") << c.active;
    const int other = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(other, 0);
    if (c.otherLocks) {
        ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    }

    std::optional<PortError> refusal;
    try {
        PpdevPort port(device, 888, root / "proc");
    } catch (const PortError& e) {
        refusal = e;
    }
    ASSERT_TRUE(refusal.has_value()) << "the port was taken";
    EXPECT_EQ(refusal->code(), std::make_error_code(c.code)) << refusal->what();
    const std::string message = refusal->what();
    for (std::string part : c.parts) {
        if (const auto at = part.find("{pid}"); at != std::string::npos) part.replace(at, 5, std::to_string(::getpid()));
        EXPECT_NE(message.find(part), std::string::npos) << "missing \"" << part << "\" in: " << message;
    }
    // A refused port lets go of its lock: the operator can start again once the other
    // program is closed.
    if (!c.otherLocks) {
        EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0) << "the refused port kept its lock";
    }
    ::close(other);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PpdevPortInUse,
    ::testing::Values(
        // While the first stepdial runs, the kernel also lists its claim; the lock answers first.
        InUseCase{"AnotherStepdial", true, "ppdev0\n", std::errc::device_or_resource_busy,
                  {"888 (0x378)", "parport3: the port is in use by another program (PID {pid}, ",
                   "that holds ", "Device or resource busy", "Close the other program"}},
        InUseCase{"AProgramThatDoesNotLock", false, "ppdev0\n", std::errc::device_or_resource_busy,
                  {"888 (0x378)", "in use by another program through ", "parport3", "ppdev0",
                   "Device or resource busy", "Close the other program"}},
        InUseCase{"ThePrinterDriverPrinting", false, "lp\n", std::errc::device_or_resource_busy,
                  {"888 (0x378)", "in use by the printer driver lp", "Wait until the print job is done"}},
        InUseCase{"AnotherKernelDriver", false, "ppa\n", std::errc::device_or_resource_busy,
                  {"888 (0x378)", "in use by the kernel driver \"ppa\"", "Device or resource busy"}},
        InUseCase{"FreePortIsClaimed", false, "none\n", std::errc::inappropriate_io_control_operation,
                  {"cannot claim the port"}},
        InUseCase{"UnknownHolderIsClaimed", false, nullptr, std::errc::inappropriate_io_control_operation,
                  {"cannot claim the port"}}));

// Refused on a plain file open to no one: the advice says it is no device. As root, the child gives up
// root and works from the node's folder, which anyone may search, whatever TMPDIR's mode.
TEST(PpdevPortErrorsDeathTest, RefusedPermissionGivesTheAdviceThatFitsTheNode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Named after the process group, which the death test's child shares: the child runs
    // this body again and must use, and leave, the same file.
    const fs::path folder = fs::temp_directory_path() / ("stepdial-denied-" + std::to_string(::getpgrp()));
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    std::ofstream(folder / "parport-denied") << "";
    fs::permissions(folder / "parport-denied", fs::perms::none);
    EXPECT_EXIT(
        {
            if (::chdir(folder.c_str()) != 0) std::_Exit(4);
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(3);
            std::cerr << MessageOf([] { PpdevPort("parport-denied", 888); });
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "888 \\(0x378\\).*Permission denied\\. parport-denied is not a device");
    fs::remove_all(folder);
}

#ifdef __x86_64__
// The system's text varies: EPERM without CAP_SYS_RAWIO, ENOSYS on kernels built
// without port I/O.
TEST(DirectIoPortErrorsDeathTest, RefusedPortAccessTellsWhatToLoad) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(3);
            std::cerr << MessageOf([] { DirectIoPort(888); });
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0),
        "888 \\(0x378\\).*direct port I/O.*ioperm was refused: .+\\. Load the parport_pc");
}

// A data register that does not echo: the control register tells lines set as inputs
// from an address where nothing answers.
struct NoEchoCase {
    const char* name;
    std::uint8_t control;
    std::errc code;
    std::vector<std::string> parts;
    const char* absent;  // a text the message must not hold
};

void PrintTo(const NoEchoCase& c, std::ostream* os) { *os << c.name; }

class DirectIoNoEcho : public ::testing::TestWithParam<NoEchoCase> {};

TEST_P(DirectIoNoEcho, SaysWhatIsWrong) {
    const auto& c = GetParam();
    const PortError error = NoEchoError(888, c.control);
    const std::string message = error.what();
    EXPECT_EQ(error.code(), std::make_error_code(c.code)) << message;
    ExpectAll(message, {"888 (0x378)", "direct port I/O"});
    for (const auto& part : c.parts) EXPECT_NE(message.find(part), std::string::npos) << "missing \"" << part << "\" in: " << message;
    EXPECT_EQ(message.find(c.absent), std::string::npos) << "\"" << c.absent << "\" in: " << message;
}

const std::vector<std::string> kInputs{"data lines are set as inputs", "does not change the control register",
                                       "modprobe parport_pc ppdev"};
const std::vector<std::string> kNoPort{"no parallel port answers", "BIOS"};

INSTANTIATE_TEST_SUITE_P(
    Table, DirectIoNoEcho,
    ::testing::Values(
        // qemu's port reads the unused bits 6 and 7 as ones (seen in the kernel boots); a
        // chip may read them as zeros.
        NoEchoCase{"InputsUnusedBitsHigh", 0xec, std::errc::io_error,
                   {"data lines are set as inputs", "control register 890 (0x37a) reads 0xec, bit 5 set"}, "BIOS"},
        NoEchoCase{"InputsUnusedBitsLow", 0x2c, std::errc::io_error, kInputs, "BIOS"},
        NoEchoCase{"NothingAtTheAddress", 0xff, std::errc::no_such_device, kNoPort, "inputs"},
        NoEchoCase{"OutputsAndStillNoEcho", 0xcc, std::errc::no_such_device, kNoPort, "inputs"}));
#endif

// This machine has no parallel port: the start-up write must fail with the reason,
// never pass for a write into nothing.
TEST(HardwarePort, NoParallelPortFailsTheFirstWrite) {
    if (fs::exists("/proc/sys/dev/parport")) GTEST_SKIP() << "this machine has a parport driver loaded";
    auto port = MakeHardwarePort();
    const std::string message = MessageOf([&] { port->Write(888, 0); });
    ExpectAll(message, {"888 (0x378)"});
}

}  // namespace
}  // namespace stepdial
