#include "motor/parport_lookup.h"

#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "motor/shown_text.h"

namespace stepdial {
namespace {

std::string CommandOf(long pid, const std::filesystem::path& procRoot) {
    std::string command;
    std::ifstream comm(procRoot / std::to_string(pid) / "comm");
    std::getline(comm, command);
    return command;
}

}  // namespace

std::string DescribeProcess(const HolderProcess& process) {
    return "PID " + std::to_string(process.pid) +
           (process.command.empty() ? "" : ", " + ShownSafely(process.command));
}

std::optional<std::filesystem::path> FindParportDevice(std::uint16_t address,
                                                       const std::filesystem::path& procRoot,
                                                       const std::filesystem::path& devRoot) {
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("parport") && name.size() > 7) names.push_back(name);
    }
    // parport0 before parport1: the first port at the address wins, as LPT1 does.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const auto& name : names) {
        std::ifstream baseAddr(procRoot / name / "base-addr");
        unsigned long base = 0;
        if (baseAddr >> base && base == address) return devRoot / name;
    }
    return std::nullopt;
}

std::optional<std::string> FindParportHolder(std::string_view parport,
                                             const std::filesystem::path& procRoot) {
    std::ifstream active(procRoot / parport / "devices" / "active");
    std::string holder;
    if (!(active >> holder) || holder == "none") return std::nullopt;
    return holder;
}

std::optional<HolderProcess> FindFlockHolder(dev_t device, ino_t inode,
                                             const std::filesystem::path& procRoot) {
    // "1: FLOCK  ADVISORY  WRITE 1234 fe:00:10953394 0 EOF"; a waiter's line has "->"
    // after the number. The kernel prints the device as hex major:minor.
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%lu", major(device), minor(device),
                  static_cast<unsigned long>(inode));
    std::ifstream locks(procRoot / "locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, where;
        long pid = 0;
        if (!(fields >> number >> kind) || kind != "FLOCK") continue;
        if (!(fields >> mode >> access >> pid >> where) || where != wanted) continue;
        if (pid <= 0) return std::nullopt;
        return HolderProcess{pid, CommandOf(pid, procRoot)};
    }
    return std::nullopt;
}

std::vector<HolderProcess> FindDeviceOpeners(const std::filesystem::path& device,
                                             const std::filesystem::path& procRoot) {
    std::vector<HolderProcess> openers;
    std::error_code ec;
    const long self = ::getpid();
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        const long pid = std::stol(name);
        if (pid == self) continue;
        std::error_code unreadable;  // another user's process: its fds are not ours to see
        for (const auto& fd : std::filesystem::directory_iterator(entry.path() / "fd", unreadable)) {
            std::error_code gone;
            if (std::filesystem::read_symlink(fd.path(), gone) == device) {
                openers.push_back({pid, CommandOf(pid, procRoot)});
                break;
            }
        }
    }
    std::sort(openers.begin(), openers.end(), [](const auto& a, const auto& b) { return a.pid < b.pid; });
    return openers;
}

}  // namespace stepdial
