#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace stepdial {

// The kernel parport device whose base address is `address`: the parportN directory
// under `procRoot` whose base-addr file starts with that number (decimal, tab before
// the second address: "888\t1912" on real ports, "888\t0" on emulated ones) gives
// `devRoot`/parportN. Nothing when no driver has claimed a port there.
std::optional<std::filesystem::path> FindParportDevice(
    std::uint16_t address,
    const std::filesystem::path& procRoot = "/proc/sys/dev/parport",
    const std::filesystem::path& devRoot = "/dev");

// The driver client that holds the kernel port `parport` ("parport0") now, as its
// devices/active file under `procRoot` names it: "ppdev0" for a program through
// /dev/parport0, "lp" for the printer driver while it prints. Nothing when the port is
// free ("none") or the file cannot be read; a client that has only registered (lp when
// idle) is not the holder.
std::optional<std::string> FindParportHolder(
    std::string_view parport, const std::filesystem::path& procRoot = "/proc/sys/dev/parport");

// A process holding a flock on a file, from /proc/locks.
struct LockHolder {
    long pid = 0;
    std::string command;  // its /proc/PID/comm; empty when that cannot be read
};

// The process whose flock (not a POSIX or OFD lock, nor one waiting for it) is on the file
// `inode` of the file system `device`, from `procRoot`/locks. Nothing when none is
// listed, or when its PID is not visible from this PID namespace.
std::optional<LockHolder> FindFlockHolder(dev_t device, ino_t inode,
                                          const std::filesystem::path& procRoot = "/proc");

}  // namespace stepdial
