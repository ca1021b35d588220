#include "motor/driver_reason.h"

namespace stepdial {

bool IsBlockedDriverCode(std::uint32_t code) { return code == 1275 || code == 577 || code == 0x800B010C; }

std::uint32_t DriverServiceCode(const DriverFacts& facts) {
    if (facts.state == DriverFacts::Service::Absent) return 1060;
    return facts.code ? facts.code : 1062;
}

DriverReason ChooseDriverReason(const DriverFacts& facts) {
    // Memory integrity first: with it on, running as administrator or reinstalling the
    // driver cannot help, whatever the service says.
    if (facts.memoryIntegrity) return DriverReason::MemoryIntegrity;
    if (facts.state == DriverFacts::Service::Present && IsBlockedDriverCode(facts.code))
        return DriverReason::Blocklist;
    // As administrator the library would have made the service: its absence then has
    // another cause than missing rights (an antivirus program that took the driver).
    if (facts.state == DriverFacts::Service::Absent)
        return facts.elevated ? DriverReason::AbsentThoughElevated : DriverReason::NeverInstalled;
    return DriverReason::Other;
}

}  // namespace stepdial
