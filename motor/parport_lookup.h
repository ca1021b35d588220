#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stepdial {

// A parallel port the kernel drives: its ppdev device and its base address.
struct KernelPort {
    std::filesystem::path device;  // `devRoot`/parportN
    std::uint16_t base = 0;
    bool operator==(const KernelPort&) const = default;
};

// The ports the kernel lists, in its own order (parport2 before parport10), each with a
// base address it could read.
std::vector<KernelPort> ListKernelPorts(const std::filesystem::path& procRoot = "/proc/sys/dev/parport",
                                        const std::filesystem::path& devRoot = "/dev");

// The kernel port to drive: the one whose base address is `preferred` (a motherboard's
// LPT1), else the first the kernel lists (the lowest parportN), which is where a plug-in
// card's port lands. Each parportN directory under `procRoot` has a base-addr file that
// starts with the base in decimal (tab before the second address: "888\t1912" on real
// ports, "888\t0" on emulated ones, "53264\t53272" on a card). Nothing when the kernel
// lists no port. Throws std::system_error (EMFILE, ENFILE) when no file can be opened to
// read the list: the ports cannot be told then, which is not the same as having none.
std::optional<KernelPort> ChooseParport(std::uint16_t preferred,
                                        const std::filesystem::path& procRoot = "/proc/sys/dev/parport",
                                        const std::filesystem::path& devRoot = "/dev");

// The driver clients registered on the kernel port `parport` ("parport0"), as its devices
// folder under `procRoot` lists them: "lp" for the printer driver even while it is idle,
// "ppdev0" for each program that has claimed the port through /dev/parport0 and keeps it
// open. Sorted; empty when none is, or the folder cannot be read.
std::vector<std::string> FindParportClients(std::string_view parport,
                                            const std::filesystem::path& procRoot = "/proc/sys/dev/parport");

// A process that holds the port, as /proc shows it.
struct HolderProcess {
    long pid = 0;
    std::string command;  // its /proc/PID/comm; empty when that cannot be read
};

// "PID 1234, name" (or "PID 1234" without a name): how a message names a holder.
std::string DescribeProcess(const HolderProcess& process);

// The process whose exclusive flock (not a shared one, a POSIX or OFD lock, nor one waiting
// for it) is on the file `inode` of the file system `device`, from `procRoot`/locks.
// Nothing when none is listed, or when its PID is not visible from this PID namespace.
std::optional<HolderProcess> FindFlockHolder(dev_t device, ino_t inode,
                                             const std::filesystem::path& procRoot = "/proc");

// The PIDs of the processes with a shared flock on that file, from the same list.
std::vector<long> FindFlockSharers(dev_t device, ino_t inode,
                                   const std::filesystem::path& procRoot = "/proc");

// The processes other than this one that have `device` open, from the links in
// `procRoot`/PID/fd, in PID order. Only processes whose fd directory this one may read
// show: those of the same user, or all of them for root.
std::vector<HolderProcess> FindDeviceOpeners(const std::filesystem::path& device,
                                             const std::filesystem::path& procRoot = "/proc");

// Whether process `pid` has `device` open, from its links in `procRoot`/PID/fd.
bool HasDeviceOpen(long pid, const std::filesystem::path& device,
                   const std::filesystem::path& procRoot = "/proc");

}  // namespace stepdial
