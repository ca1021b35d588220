#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "motor/port_error.h"
#include "sim/simulated_port.h"
#include "sim/virtual_motor.h"

namespace stepdial {
namespace {

class RefusedAddress : public ::testing::TestWithParam<std::uint16_t> {};

TEST_P(RefusedAddress, ThrowsPortErrorAndLeavesTheMotorAlone) {
    VirtualMotor motor;
    SimulatedPort port(motor);
    int notified = 0;
    port.OnWrite([&] { ++notified; });

    const std::uint16_t address = GetParam();
    try {
        port.Write(address, 6);
        FAIL() << "address " << address << " was accepted";
    } catch (const PortError& error) {
        const std::string what = error.what();
        EXPECT_NE(what.find(DescribeAddress(address)), std::string::npos) << what;
        EXPECT_EQ(error.remedy(), remedy::OnlyTheDataRegister()) << what;
        EXPECT_EQ(error.code(), std::errc::no_such_device);
    }
    EXPECT_EQ(motor.Writes(), 0u);
    EXPECT_EQ(motor.HalfSteps(), 0);
    EXPECT_EQ(notified, 0);
}

// Neighbours of the data register (its own status and control registers among them),
// the other two classic parallel-port bases, and the ends of the range.
INSTANTIATE_TEST_SUITE_P(Addresses, RefusedAddress,
                         ::testing::Values(0, 887, 889, 890, 0x278, 0x3BC, 0xFFFF));

TEST(SimulatedPort, NotifiesAfterEveryWriteWithTheMotorAlreadyMoved) {
    VirtualMotor motor;
    SimulatedPort port(motor);
    std::vector<std::uint8_t> seenBytes;
    std::vector<double> seenAngles;
    port.OnWrite([&] {
        seenBytes.push_back(motor.LastByte());
        seenAngles.push_back(motor.AngleDegrees());
    });

    for (std::uint8_t byte : {0, 6, 12, 12, 0}) port.Write(888, byte);

    EXPECT_EQ(seenBytes, (std::vector<std::uint8_t>{0, 6, 12, 12, 0}));
    EXPECT_EQ(seenAngles, (std::vector<double>{0, 7.5, 15, 15, 15}));
}

TEST(SimulatedPort, AListenerRemovedIsNoLongerCalled) {
    VirtualMotor motor;
    SimulatedPort port(motor);
    int notified = 0;
    port.OnWrite([&] { ++notified; });
    port.Write(888, 6);
    port.OnWrite({});
    port.Write(888, 12);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(motor.Writes(), 2u);
}

}  // namespace
}  // namespace stepdial
