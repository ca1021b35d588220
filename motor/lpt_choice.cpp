#include "motor/lpt_choice.h"

#include <algorithm>

#include "motor/port_error.h"

namespace stepdial {
namespace {

// The port a plug-in card's lands on: the lowest LPT number Windows gave.
const ListedLpt& Lowest(const std::vector<ListedLpt>& ports) {
    return *std::min_element(ports.begin(), ports.end(),
                             [](const ListedLpt& a, const ListedLpt& b) { return a.number < b.number; });
}

}  // namespace

std::string DescribeLpt(const ListedLpt& port) {
    const std::string name = "LPT" + std::to_string(port.number);
    return port.base ? name + " at " + DescribeAddress(*port.base) : name + " without an I/O range";
}

std::string DescribeLptDevice(const LptChoice& choice, std::string_view library) {
    return choice.name.empty() ? std::string(library) : choice.name + ": " + std::string(library);
}

LptChoice ChooseLpt(const LptListing& listing, std::uint16_t preferred) {
    const std::string fallback = ", so stepdial writes to " + DescribeAddress(preferred);
    if (!listing.error.empty())
        return {preferred, "",
                "Windows could not list its parallel ports (" + listing.error + ")" + fallback};
    const auto& ports = listing.ports;
    if (ports.empty()) return {preferred, "", ""};
    const auto at =
        std::find_if(ports.begin(), ports.end(), [&](const ListedLpt& p) { return p.base == preferred; });
    const ListedLpt& taken = at != ports.end() ? *at : Lowest(ports);
    if (taken.base) return {*taken.base, "LPT" + std::to_string(taken.number), ""};
    std::string seen;
    for (const auto& port : ports) seen += (seen.empty() ? "" : ", ") + DescribeLpt(port);
    return {preferred, "", "Windows lists " + seen + fallback};
}

}  // namespace stepdial
