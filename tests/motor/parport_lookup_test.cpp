#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "parport_lookup.h"

namespace stepdial {
namespace {

namespace fs = std::filesystem;

// A stand-in for /proc/sys/dev/parport with the given base-addr files.
class FakeProc {
public:
    explicit FakeProc(const std::map<std::string, std::string>& baseAddrs) {
        root_ = fs::temp_directory_path() /
                ("parport-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "default");
        for (const auto& [name, content] : baseAddrs) {
            fs::create_directories(root_ / name);
            std::ofstream(root_ / name / "base-addr") << content;
        }
    }
    ~FakeProc() { fs::remove_all(root_); }
    const fs::path& Root() const { return root_; }

private:
    fs::path root_;
};

struct LookupCase {
    const char* name;
    std::map<std::string, std::string> ports;
    std::uint16_t address;
    std::string expected;  // "" for none
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class ParportLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(ParportLookup, FindsTheDeviceByItsBaseAddress) {
    const auto& c = GetParam();
    FakeProc proc(c.ports);
    const auto found = FindParportDevice(c.address, proc.Root(), "/dev");
    if (c.expected.empty()) {
        EXPECT_FALSE(found.has_value()) << *found;
    } else {
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->string(), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParportLookup,
    ::testing::Values(
        LookupCase{"RealPort", {{"parport0", "888\t1912\n"}}, 888, "/dev/parport0"},
        LookupCase{"EmulatedPort", {{"parport0", "888\t0\n"}}, 888, "/dev/parport0"},
        LookupCase{"SecondPort", {{"parport0", "632\t1656\n"}, {"parport1", "888\t1912\n"}}, 888,
                   "/dev/parport1"},
        LookupCase{"OtherAddressOnly", {{"parport0", "632\t1656\n"}}, 888, ""},
        LookupCase{"SecondNumberIsNotTheBase", {{"parport0", "1912\t888\n"}}, 888, ""},
        LookupCase{"PrefixOfTheAddressIsNotIt", {{"parport0", "8880\t0\n"}}, 888, ""},
        LookupCase{"UnreadableBaseAddr", {{"parport0", "garbage"}}, 888, ""},
        LookupCase{"NumericOrderNotTextOrder", {{"parport10", "888\t0\n"}, {"parport2", "888\t0\n"}},
                   888, "/dev/parport2"},
        LookupCase{"NoPorts", {}, 888, ""}));

TEST(ParportLookupMissingDriver, NoProcDirectoryMeansNoDevice) {
    EXPECT_FALSE(FindParportDevice(888, "/nonexistent/parport", "/dev").has_value());
}

}  // namespace
}  // namespace stepdial
