#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// Runs `open` and returns the PortError it throws; a failed test when none comes.
template <typename F>
PortError ErrorOf(F open) {
    try {
        open();
    } catch (const PortError& e) {
        return e;
    }
    ADD_FAILURE() << "no PortError";
    return PortError({}, 0, "", "", "");
}

void ExpectAll(const std::string& message, const std::vector<std::string>& parts) {
    for (const auto& part : parts) EXPECT_NE(message.find(part), std::string::npos) << "missing \"" << part << "\" in: " << message;
}

TEST(PpdevPortErrors, MissingDeviceTellsToLoadTheModules) {
    const PortError error = ErrorOf([] { PpdevPort("/dev/parport-none", 888); });
    EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory) << error.what();
    EXPECT_EQ(error.remedy(), remedy::kLoadDrivers) << error.what();
}

TEST(PpdevPortErrors, ANonPortDeviceIsAnotherDrivers) {
    // /dev/null opens, but it is no parport: PPCLAIM is refused.
    const PortError error = ErrorOf([] { PpdevPort("/dev/null", 888); });
    EXPECT_EQ(error.code(), std::errc::inappropriate_io_control_operation) << error.what();
    EXPECT_EQ(error.remedy(), remedy::NotThePortsDevice("/dev/null")) << error.what();
}

// The exclusive claim was refused: who holds the port, from stand-ins for the kernel's list
// of the port's clients and for /proc (its locks, and each process's open files).
struct HeldCase {
    const char* name;
    std::vector<std::string> clients;  // registered on parport3; "-": no such port at all
    std::vector<std::string> locks;    // "READ 51" / "WRITE 52": flocks on the device by PID
    std::vector<long> openers;         // processes with the device open
    std::errc code;
    std::string_view remedy;
    std::vector<std::string> parts = {};   // what the message names
    std::vector<std::string> absent = {};  // what it must not name
};

void PrintTo(const HeldCase& c, std::ostream* os) { *os << c.name; }

class PpdevPortHeld : public ::testing::TestWithParam<HeldCase> {};

TEST_P(PpdevPortHeld, NamesOnlyWhatHoldsThePort) {
    const auto& c = GetParam();
    const fs::path root = fs::temp_directory_path() / ("stepdial-held-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const std::unique_ptr<const fs::path, void (*)(const fs::path*)> cleanup(&root, [](const fs::path* p) { fs::remove_all(*p); });
    const fs::path device = root / "parport3";
    fs::create_directories(root / "proc");
    fs::create_directories(root / "processes");
    std::ofstream(device) << "";
    const bool portGone = c.clients == std::vector<std::string>{"-"};
    if (!portGone) fs::create_directories(root / "proc" / "parport3" / "devices");
    for (const auto& client : c.clients) {
        if (!portGone) fs::create_directories(root / "proc" / "parport3" / "devices" / client);
    }
    struct stat node {};
    ASSERT_EQ(::stat(device.c_str(), &node), 0);
    std::ofstream locks(root / "processes" / "locks");
    char file[64];  // as the kernel writes it: hex major:minor, then the inode
    std::snprintf(file, sizeof file, "%02x:%02x:%lu", major(node.st_dev), minor(node.st_dev),
                  static_cast<unsigned long>(node.st_ino));
    for (const auto& lock : c.locks) locks << "1: FLOCK  ADVISORY  " << lock << " " << file << " 0 EOF\n";
    locks.close();
    for (long pid : c.openers) {
        fs::create_directories(root / "processes" / std::to_string(pid) / "fd");
        fs::create_symlink(device, root / "processes" / std::to_string(pid) / "fd" / "3");
        std::ofstream(root / "processes" / std::to_string(pid) / "comm") << "prog" << pid << "\n";
    }

    std::optional<PortError> refusal;
    try {
        PpdevPort::RefuseAsHeld(device, 53264, root / "proc", root / "processes");
    } catch (const PortError& e) {
        refusal = e;
    }
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->code(), std::make_error_code(c.code)) << refusal->what();
    EXPECT_EQ(refusal->remedy(), c.remedy) << refusal->what();
    ExpectAll(refusal->what(), {DescribeAddress(53264), "parport3"});
    const std::string message = refusal->what();
    ExpectAll(message, c.parts);
    for (const auto& part : c.absent) EXPECT_EQ(message.find(part), std::string::npos) << "\"" << part << "\" in: " << message;
}

constexpr auto kBusy = std::errc::device_or_resource_busy;

INSTANTIATE_TEST_SUITE_P(
    Table, PpdevPortHeld,
    ::testing::Values(
        // Bound at every boot by cups-filters: no program can have the port to itself.
        HeldCase{"PrinterDriverBound", {"lp", "ppdev3"}, {}, {51}, kBusy, remedy::kUnbindThePrinterDriver,
                 {}, {"PID"}},
        HeldCase{"OtherKernelDriver", {"ppa"}, {}, {}, kBusy, remedy::kStopTheDriversUser, {"\"ppa\""}},
        // A stepdial that holds the port holds the device's lock exclusively.
        HeldCase{"AnotherStepdialHolds", {"ppdev3"}, {"WRITE 52", "READ 51"}, {51, 52}, kBusy,
                 remedy::kCloseTheOther, {"(PID 52, prog52)"}, {"PID 51"}},
        // Two stepdials still trying (shared locks) beside a program that registered first:
        // only that program is named.
        HeldCase{"ProgramBesideStartingStepdials", {"ppdev3"}, {"READ 51", "READ 53"}, {51, 52, 53}, kBusy,
                 remedy::kCloseTheOther, {"(PID 52, prog52)"}, {"PID 51", "PID 53"}},
        // Who registered cannot be told: the kernel's name for the registration is all there is.
        HeldCase{"OnlyStartingStepdialsInSight", {"ppdev3"}, {"READ 51"}, {51}, kBusy, remedy::kCloseTheOther,
                 {"ppdev3"}, {"PID"}},
        HeldCase{"PortGone", {"-"}, {}, {}, std::errc::no_such_device_or_address, remedy::kCheckThePort}));

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
            const PortError error = ErrorOf([] { PpdevPort("parport-denied", 888); });
            std::cerr << error.what();
            std::_Exit(error.code() == std::errc::permission_denied &&
                               error.remedy() == remedy::NotADevice("parport-denied")
                           ? 0
                           : 5);
        },
        ::testing::ExitedWithCode(0), "");
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
            const PortError error = ErrorOf([] { DirectIoPort(888); });
            std::cerr << error.what();
            std::_Exit(error.remedy() == remedy::kLoadDrivers ? 0 : 5);
        },
        ::testing::ExitedWithCode(0), "direct port I/O");
}

// A data register that does not echo: the control register tells lines set as inputs
// from an address where nothing answers.
struct NoEchoCase {
    const char* name;
    std::uint8_t control;
    std::errc code;
    std::string remedy;
    std::vector<std::string> parts = {};  // what the message names
};

void PrintTo(const NoEchoCase& c, std::ostream* os) { *os << c.name; }

class DirectIoNoEcho : public ::testing::TestWithParam<NoEchoCase> {};

TEST_P(DirectIoNoEcho, SaysWhatIsWrong) {
    const auto& c = GetParam();
    const PortError error = NoEchoError(888, c.control);
    const std::string message = error.what();
    EXPECT_EQ(error.code(), std::make_error_code(c.code)) << message;
    EXPECT_EQ(error.remedy(), c.remedy) << message;
    ExpectAll(message, {DescribeAddress(888), "direct port I/O"});
    ExpectAll(message, c.parts);
}

const std::string kSetBack = remedy::SetTheLinesBack();
const std::string kEnable(remedy::kEnableThePort);

INSTANTIATE_TEST_SUITE_P(
    Table, DirectIoNoEcho,
    ::testing::Values(
        // qemu's port reads the unused bits 6 and 7 as ones (seen in the kernel boots); a
        // chip may read them as zeros.
        NoEchoCase{"InputsUnusedBitsHigh", 0xec, std::errc::io_error, kSetBack, {DescribeAddress(890), "0xec"}},
        NoEchoCase{"InputsUnusedBitsLow", 0x2c, std::errc::io_error, kSetBack, {DescribeAddress(890), "0x2c"}},
        NoEchoCase{"NothingAtTheAddress", 0xff, std::errc::no_such_device, kEnable},
        NoEchoCase{"OutputsAndStillNoEcho", 0xcc, std::errc::no_such_device, kEnable}));
#endif

// This machine has no parallel port: the start-up write must fail with the reason,
// never pass for a write into nothing.
TEST(HardwarePort, NoParallelPortFailsTheFirstWrite) {
    if (fs::exists("/proc/sys/dev/parport")) GTEST_SKIP() << "this machine has a parport driver loaded";
    auto port = MakeHardwarePort();
    ExpectAll(ErrorOf([&] { port->Write(888, 0); }).what(), {DescribeAddress(888)});
}

// Out of descriptors the kernel's list of ports cannot be read: said as such, never as no port.
TEST(HardwarePort, OutOfDescriptorsIsSaidAsSuch) {
#ifdef __SANITIZE_ADDRESS__
    // UBSan's check of a virtual call probes memory through a pipe, which no free descriptor
    // leaves it, and then takes every object for a stranger.
    GTEST_SKIP() << "the sanitizers' runtime needs descriptors of its own";
#endif
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(lowestFree);
    const rlimit none{static_cast<rlim_t>(lowestFree), saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
    const PortError error = ErrorOf([] { MakeHardwarePort()->Write(888, 0); });
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(error.remedy(), remedy::kRaiseTheFileLimit) << error.what();
}

}  // namespace
}  // namespace stepdial
