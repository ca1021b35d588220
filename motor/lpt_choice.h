#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stepdial {

// A parallel port Windows lists in its Ports class: LPTn, and the first I/O range Plug and
// Play allocated to it, when Windows tells it.
struct ListedLpt {
    int number = 0;
    std::optional<std::uint16_t> base;
};

// What Windows said of its parallel ports: the ports, or why they could not be listed.
struct LptListing {
    std::vector<ListedLpt> ports;
    std::string error;  // Windows' own text; empty when the listing worked
};

// The port to write to. `name` ("LPT3") is empty when no listed port was taken;
// `unresolved` then says which ports Windows listed and why none of them could be taken.
struct LptChoice {
    std::uint16_t address = 0;
    std::string name;
    std::string unresolved;
};

// The rule the Linux backend follows for the kernel's ports: the port at `preferred` (a
// motherboard's LPT1) when Windows lists one there, else the lowest-numbered LPT port at
// its base, which is where a plug-in card's port lands. `preferred` when Windows lists none,
// cannot list them, or gives the first no I/O base.
LptChoice ChooseLpt(const LptListing& listing, std::uint16_t preferred);

// How messages name the port written through `library`, as the Linux ones name
// /dev/parportN after the address: "LPT3: inpoutx64.dll", or the library alone when no
// listed port was taken.
std::string DescribeLptDevice(const LptChoice& choice, std::string_view library);

// "LPT3 at 53264 (0xd010)", or "LPT3 without an I/O range".
std::string DescribeLpt(const ListedLpt& port);

}  // namespace stepdial
