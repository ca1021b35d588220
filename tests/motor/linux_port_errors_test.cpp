#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "hardware_port.h"
#include "port_error.h"
#include "port_ppdev.h"
#ifdef __x86_64__
#include "port_direct_io.h"
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

// Permission refused: a device the user may not open. As root, the check runs in a
// child that has given up root, as an operator outside the lp group would be.
TEST(PpdevPortErrorsDeathTest, RefusedPermissionTellsToJoinTheLpGroup) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const fs::path device = fs::temp_directory_path() / ("parport-denied-" + std::to_string(::getpid()));
    std::ofstream(device) << "";
    fs::permissions(device, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(3);
            std::cerr << MessageOf([&] { PpdevPort(device, 888); });
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0),
        "888 \\(0x378\\).*Permission denied.*lp group");
    fs::remove(device);
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
        "888 \\(0x378\\).*direct port I/O.*ioperm was refused: .+\\..*modprobe parport_pc ppdev");
}
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
