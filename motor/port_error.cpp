#include "motor/port_error.h"

#include "motor/port.h"

#include <cerrno>
#include <cstdio>

namespace stepdial {

std::string DescribeAddress(std::uint16_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "%u (0x%x)", unsigned{address}, unsigned{address});
    return text;
}

PortError::PortError(std::error_code code, std::uint16_t address, std::string_view device,
                     std::string_view failure, std::string_view remedy)
    : PortError(code, "I/O port " + DescribeAddress(address) + ": " + std::string(device), failure, remedy) {}

PortError::PortError(std::error_code code, std::string_view device, std::string_view failure,
                     std::string_view remedy)
    : std::system_error(code),
      message_(std::string(device) + ": " + std::string(failure) + ": " + code.message() + "."),
      remedy_(remedy) {
    if (!remedy.empty()) message_ += " " + std::string(remedy);
}

void ThrowPortError(int error, std::uint16_t address, std::string_view device, std::string_view failure,
                    std::string_view remedy) {
    throw PortError({error, std::generic_category()}, address, device, failure, remedy);
}

void ThrowPortError(int error, std::string_view device, std::string_view failure, std::string_view remedy) {
    throw PortError({error, std::generic_category()}, device, failure, remedy);
}

void ThrowLastError(std::uint16_t address, std::string_view device, std::string_view failure,
                    std::string_view remedy) {
    const int error = errno;
    ThrowPortError(error, address, device, failure, remedy);
}

namespace remedy {

std::string_view ForOutOfFiles(int error) {
    if (error == EMFILE) return kRaiseTheFileLimit;
    if (error == ENFILE) return kCloseProgramsHoldingFiles;
    return {};
}

std::string SetTheLinesBack() {
    return "Another program switched the port to input and left it so; stepdial does not change the control "
           "register itself. " +
           std::string(kLoadDrivers) +
           " They set the lines back to outputs. Then start again; or switch the machine off and on.";
}

std::string OnlyTheDataRegister() {
    return "The simulator has only the data register at " + DescribeAddress(kDataRegister) + ".";
}

namespace windows {

std::string ReplaceTheLibrary(std::string_view bitness, std::string_view library) {
    return "Replace it with the " + std::string(bitness) + " inpout " + std::string(library) + ".";
}

std::string PutTheRightBitness(std::string_view bitness, std::string_view library, std::string_view folder) {
    return "Put the " + std::string(bitness) + " " + std::string(library) + " in " + std::string(folder) +
           ".";
}

std::string ReplaceTheUnloadable(std::string_view bitness, std::string_view library) {
    return "Replace it with the " + std::string(bitness) + " inpout " + std::string(library) +
           " and check that what it needs is installed.";
}

std::string MoveIntoTheProgramsFolder(std::string_view library, std::string_view folder) {
    return "Move " + std::string(library) + " into the program's folder, " + std::string(folder) + ".";
}

std::string PutTheLibrary(std::string_view library, std::string_view folder) {
    return "Put " + std::string(library) + " in " + std::string(folder) + ".";
}

std::string SeeTheDriverService(std::string_view service) {
    const std::string name(service);
    return "sc query " + name +
           " shows the state of the port library's driver service. To install the driver afresh, remove the "
           "service as administrator (sc delete " +
           name + "), then start stepdial once as administrator.";
}

std::string ReplaceWithOut32(std::string_view library) {
    return "Replace it with the inpout " + std::string(library) + " that exports Out32.";
}

}  // namespace windows

std::string JoinGroup(std::string_view group) {
    const std::string name(group);
    return "Add your user to the " + name + " group (sudo usermod -aG " + name +
           " $USER), then log out and in again.";
}

std::string OpenToOwnerAlone(std::string_view node, std::string_view owner) {
    return std::string(node) + " is open to " + std::string(owner) +
           " alone, so no group helps: install the stepdial package, whose udev rule opens the port to the "
           "person at the PC's own desktop, or ask the administrator.";
}

std::string CannotExamine(std::string_view node, std::string_view reason) {
    return "Who may open " + std::string(node) + " cannot be told (" + std::string(reason) +
           "), so stepdial has no advice: ask the administrator.";
}

std::string NotADevice(std::string_view node) {
    return std::string(node) + " is not a device but a file, which reaches no port: remove it. " +
           std::string(kLoadDrivers) + " They make the port's device.";
}

std::string NotThePortsDevice(std::string_view node) {
    return std::string(node) +
           " is a device of another driver, not a parallel port's (ppdev): ask the "
           "administrator what made it.";
}

std::string NoDevicesHere(std::string_view node) {
    return std::string(node) +
           " lies on a file system mounted nodev, where no device opens whatever its permissions: start "
           "stepdial where /dev is a real one (outside this container or sandbox).";
}

std::string UnnamedGroup(std::string_view node, std::string_view group) {
    return "The group of " + std::string(node) + " (" + std::string(group) +
           ") has no name here, so no user can be added to it: ask the administrator to give the device a "
           "named group.";
}

std::string AclRefusesUser(std::string_view node) {
    return "The access list of " + std::string(node) +
           " names your user without read and write (or its mask takes them away), so no group helps: ask "
           "the "
           "administrator.";
}

std::string DanglingLink(std::string_view node, std::string_view target) {
    return std::string(node) + " is a symbolic link to " + std::string(target) +
           ", which does not exist: ask the administrator to remove the link; the ppdev driver makes the "
           "device itself.";
}

}  // namespace remedy
}  // namespace stepdial
