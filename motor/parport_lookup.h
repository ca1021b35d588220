#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace stepdial {

// The kernel parport device whose base address is `address`: the parportN directory
// under `procRoot` whose base-addr file starts with that number (decimal, tab before
// the second address: "888\t1912" on real ports, "888\t0" on emulated ones) gives
// `devRoot`/parportN. Nothing when no driver has claimed a port there.
std::optional<std::filesystem::path> FindParportDevice(
    std::uint16_t address,
    const std::filesystem::path& procRoot = "/proc/sys/dev/parport",
    const std::filesystem::path& devRoot = "/dev");

}  // namespace stepdial
