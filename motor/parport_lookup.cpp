#include "parport_lookup.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace stepdial {

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

}  // namespace stepdial
