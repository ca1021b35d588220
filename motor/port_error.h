#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace stepdial {

// "888 (0x378)": how every message names an I/O address, so the operator can match
// it against the BIOS setup or the card's jumpers, which use either form.
std::string DescribeAddress(std::uint16_t address);

// A port that cannot be bound or written. what() reads, in one line: the address,
// the device or library, what failed, the system's own error text, and what the
// operator can do about it.
class PortError : public std::system_error {
public:
    PortError(std::error_code code, std::uint16_t address, std::string_view device,
              std::string_view failure, std::string_view remedy);
    // An output that has no I/O address (a USB board): the device alone names it.
    PortError(std::error_code code, std::string_view device, std::string_view failure,
              std::string_view remedy);

    const char* what() const noexcept override { return message_.c_str(); }
    // What the operator can do, as the end of what() says it; empty when nothing is known.
    const std::string& remedy() const noexcept { return remedy_; }

private:
    std::string message_;
    std::string remedy_;
};

// Throws the PortError of a system call that failed with `error` (an errno value).
[[noreturn]] void ThrowPortError(int error, std::uint16_t address, std::string_view device,
                                 std::string_view failure, std::string_view remedy);

[[noreturn]] void ThrowPortError(int error, std::string_view device, std::string_view failure,
                                 std::string_view remedy);

// The same for the system call that has just failed: errno is read first, before anything
// can change it, so pass only texts that already exist (no text built in the call).
[[noreturn]] void ThrowLastError(std::uint16_t address, std::string_view device, std::string_view failure,
                                 std::string_view remedy);

// What the operator can do: each remedy has its home here, and the messages, the manual
// page's check and the tests take it from here.
namespace remedy {
inline constexpr std::string_view kLoadDrivers =
    "Load the parport_pc and ppdev modules (sudo modprobe parport_pc ppdev).";
inline constexpr std::string_view kCloseTheOther =
    "Close the other program that drives the parallel port, then start again.";
// The printer driver registers on every parallel port it finds, so while it is bound no
// program can have the port to itself. cups-filters' file loads it at every boot; the
// package's modprobe option keeps it off the ports.
inline constexpr std::string_view kUnbindThePrinterDriver =
    "Unload it (sudo modprobe -r lp), then start again. /etc/modules-load.d/cups-filters.conf loads it at "
    "every boot: the stepdial package keeps it off the parallel ports with /usr/lib/modprobe.d/stepdial-lp.conf "
    "(options lp parport=none); without the package, put that line in a file in /etc/modprobe.d.";
inline constexpr std::string_view kStopTheDriversUser = "Stop whatever uses that driver, then start again.";
inline constexpr std::string_view kCheckThePort =
    "Check that the port is still present and enabled, then start again.";
inline constexpr std::string_view kLogInAgain =
    "Your user joined that group after this session began: log out and in again.";
inline constexpr std::string_view kUseTheSeat =
    "The device is open to the person at the PC's own desktop: start stepdial there.";
// After JoinGroup, where the desktop's user has the device too.
inline constexpr std::string_view kOrUseTheSeat =
    "Or start stepdial at the PC's own desktop, whose user the device is open to.";
inline constexpr std::string_view kAskTheAdministrator =
    "Your user has the device's group and is still refused, so a security policy stands in the way: ask "
    "the administrator.";
// The ppdev driver has the port, and the node it is opened through is gone.
inline constexpr std::string_view kMakeTheNodeAgain =
    "The ppdev driver has the port but its device node is missing: have udev make it again "
    "(sudo udevadm trigger --subsystem-match=ppdev --action=add), or restart the machine.";
inline constexpr std::string_view kLeaveTheUserNamespace =
    "stepdial runs in a user namespace that does not map the device's owner and group, so no group helps: "
    "start it outside that namespace (not under unshare -U or in a rootless container).";

// The process has as many files open as its limit allows (EMFILE): whatever started it set
// the limit that low, as the usual one is 1024.
inline constexpr std::string_view kRaiseTheFileLimit =
    "Raise the limit on open files for stepdial to the usual 1024 (ulimit -n 1024 in the shell that starts "
    "it), then start again.";
// The system's table of open files is full (ENFILE): other programs hold them.
inline constexpr std::string_view kCloseProgramsHoldingFiles =
    "The system has run out of open files: close other programs, then start again.";
// Which of the two helps when a file cannot be opened with `error`; empty for any other error.
std::string_view ForOutOfFiles(int error);

// Direct port I/O: nothing answers at the address.
inline constexpr std::string_view kEnableThePort =
    "Enable the parallel port in the BIOS setup and check that it sits at this address; with the parport_pc "
    "module loaded, /proc/sys/dev/parport lists the ports the kernel found.";

// Not the port's but the desktop's: Qt cannot open a window. Here with the port's, so that
// every piece of advice the program gives has one home and one check against the manual.
inline constexpr std::string_view kStartOnADesktop =
    "stepdial shows a window and needs a graphical desktop (X11 or Wayland): start it from a desktop "
    "session, or over ssh with X forwarding (ssh -X).";
// Qt's platform plugins are packaged apart from Qt; Wayland's is the one a desktop may lack.
inline constexpr std::string_view kInstallTheWaylandPlugin =
    "Qt's Wayland plugin is not installed: install the package qt6-wayland (sudo apt install qt6-wayland).";

// Direct port I/O found the data lines set as inputs (control register bit 5); loading
// the drivers sets them back to outputs.
std::string SetTheLinesBack();
// The simulated port has the data register alone.
std::string OnlyTheDataRegister();

// The Windows port library's (`library`: its file name, `bitness`: "64-bit" or "32-bit",
// `folder`: the program's, where the loader looks first).
namespace windows {
// The inpout library installs its kernel driver on its first use with administrator rights.
inline constexpr std::string_view kOpenThePortDriver =
    "Start stepdial once as administrator (right-click it, Run as administrator) so that the port library "
    "can install its driver, or install the driver with the installer that comes with the library.";
// Memory integrity lets no build of the library's 64-bit driver load, and no rights change
// that. Each of the two texts ends a sentence, so that an output needing no driver can be
// named after it.
inline constexpr std::string_view kTurnOffMemoryIntegrity =
    "Windows' memory integrity (core isolation) stops the port library's driver from loading, and running "
    "as administrator does not change that. Turning memory integrity off (Windows Security > Device "
    "security > Core isolation details, then restart the PC) lets the driver load, but lowers the PC's "
    "protection against malicious drivers.";
// The blocklist refuses the usual builds of the driver by their hash.
inline constexpr std::string_view kTurnOffTheBlocklist =
    "Windows' vulnerable driver blocklist stops this build of the port library's driver from loading, and "
    "running as administrator does not change that. Turning the Microsoft Vulnerable Driver Blocklist off "
    "(Windows Security > Device security > Core isolation details, then restart the PC) lets the driver "
    "load, but lowers the PC's protection against malicious drivers.";
// A USB board's library talks to FTDI's own signed driver, which no blocklist stops.
inline constexpr std::string_view kOrUseAUsbBoard =
    "Or drive the motor from a USB board with an FTDI chip, which needs no such driver: choose it in the Start "
    "menu's stepdial settings.";
// The library ran as administrator and still left no service: something took the driver.
inline constexpr std::string_view kInstallTheDriverByHand =
    "stepdial runs as administrator and the port library still installed no driver: check whether an "
    "antivirus program removed it, then install the driver with the installer that comes with the library.";
// Anything else Windows records of the driver's service `service`.
std::string SeeTheDriverService(std::string_view service);
// A file that is no Windows program at all.
std::string ReplaceTheLibrary(std::string_view bitness, std::string_view library);
// A library of the other bitness.
std::string PutTheRightBitness(std::string_view bitness, std::string_view library, std::string_view folder);
// A library there that will not load: damaged, another library, or one it needs missing.
std::string ReplaceTheUnloadable(std::string_view bitness, std::string_view library);
// A library only in the current directory, which is never searched.
std::string MoveIntoTheProgramsFolder(std::string_view library, std::string_view folder);
// No library anywhere it is looked for.
std::string PutTheLibrary(std::string_view library, std::string_view folder);
// A library without the Out32 export.
std::string ReplaceWithOut32(std::string_view library);
}  // namespace windows

// "Add your user to the lp group (sudo usermod -aG lp $USER), then log out and in again."
std::string JoinGroup(std::string_view group);
// The node gives its group no access, so no group membership helps.
std::string OpenToOwnerAlone(std::string_view node, std::string_view owner);
// The node could not be examined (`reason`: the system's text), so nothing is known of it.
std::string CannotExamine(std::string_view node, std::string_view reason);
// A regular file (or a folder, a pipe) where the port's device should be.
std::string NotADevice(std::string_view node);
// A device of another driver, which knows nothing of parallel ports.
std::string NotThePortsDevice(std::string_view node);
// On a file system mounted nodev no device node can be opened, whatever its mode.
std::string NoDevicesHere(std::string_view node);
// A group the database has no name for, `group` being its number.
std::string UnnamedGroup(std::string_view node, std::string_view group);
// The node's ACL names the user and gives it no read and write.
std::string AclRefusesUser(std::string_view node);
// A symbolic link to nothing.
std::string DanglingLink(std::string_view node, std::string_view target);

// A USB board's, whose chip (FTDI's) has a bit-bang mode.
namespace usb {
inline constexpr std::string_view kPlugInTheBoard = "Plug in the board, or choose another port.";
// The board vanished between two writes: unplugged, its cable loose, or its power gone.
inline constexpr std::string_view kPlugItInAgain =
    "The board was unplugged or lost its power: plug it in again, then start again.";
inline constexpr std::string_view kCloseTheBoardsOtherProgram =
    "Close the other program that uses the board (a terminal on its serial port, another stepdial), then "
    "start again.";
// USB device nodes are root's alone until a rule says otherwise.
inline constexpr std::string_view kAllowTheBoard =
    "The stepdial package's udev rule opens FTDI boards to the person at the PC's own desktop: install the "
    "package, or put this line in /etc/udev/rules.d/70-stepdial-usb.rules: SUBSYSTEM==\"usb\", "
    "ATTR{idVendor}==\"0403\", ATTR{idProduct}==\"6001|6010|6011|6014|6015\", TAG+=\"uaccess\" Then "
    "unplug the board and plug it in again.";
// FTDI's first chip, the FT8U232AM, came before the bit-bang mode.
inline constexpr std::string_view kUseABitBangChip =
    "This chip has no bit-bang mode: use a board with an FT232R, FT231X, FT232H, FT2232H or FT4232H, or "
    "choose another port.";
namespace windows {
// The D2XX library comes with FTDI's driver, which Windows Update installs for a plugged-in
// board.
inline constexpr std::string_view kInstallFtdiDriver =
    "FTDI's driver is not installed: plug the board in and let Windows Update install its driver, or install "
    "FTDI's D2XX driver (FTDI's website, Drivers, D2XX), which puts ftd2xx.dll in System32.";
}  // namespace windows
}  // namespace usb

// Four lines of a GPIO chip (a single-board computer's pins), through the kernel's GPIO
// character device.
namespace gpio {
// Debian gives /dev/gpiochip* to root alone; Raspberry Pi OS to its gpio group, which
// the open advice names instead.
inline constexpr std::string_view kAllowTheChips =
    "The stepdial package's udev rule opens the GPIO chips to the person at the computer's own desktop: "
    "install the package, or put this line in /etc/udev/rules.d/70-stepdial-gpio.rules: "
    "SUBSYSTEM==\"gpio\", KERNEL==\"gpiochip[0-9]*\", TAG+=\"uaccess\" Then restart the computer.";
// Chip numbers change with the order drivers load in; the label does not.
inline constexpr std::string_view kChooseAnotherChip =
    "Choose another GPIO chip in stepdial's settings, or load the chip's driver, then start again.";
inline constexpr std::string_view kChooseFourLines =
    "Choose four different lines of this chip in stepdial's settings, then start again.";
// A line is one consumer's at a time: a driver (a key, a LED) or a program.
inline constexpr std::string_view kFreeTheLine =
    "Stop the program or unload the driver that holds the line, or choose another line in stepdial's "
    "settings, then start again.";
}  // namespace gpio

// The step timer: the system has run out of timers or handles, which other programs hold.
inline constexpr std::string_view kCloseOtherPrograms = "close other programs, then start again";
}  // namespace remedy

}  // namespace stepdial
