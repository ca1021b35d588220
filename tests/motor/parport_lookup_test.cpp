#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "motor/parport_lookup.h"

namespace stepdial {
namespace {

namespace fs = std::filesystem;

// The running test's name as one path component: a parameterised test's name holds a
// '/', which would leave its parent folder behind in /tmp.
std::string ScratchName() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}

// A stand-in for /proc/sys/dev/parport with the given base-addr files.
class FakeProc {
public:
    explicit FakeProc(const std::map<std::string, std::string>& baseAddrs) {
        root_ = fs::temp_directory_path() /
                ("parport-" + std::to_string(::getpid()) + "-" + ScratchName());
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
    std::uint16_t base = 0;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class ParportLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(ParportLookup, ChoosesThePortAtTheAddressElseTheFirstListed) {
    const auto& c = GetParam();
    FakeProc proc(c.ports);
    const auto found = ChooseParport(c.address, proc.Root(), "/dev");
    if (c.expected.empty()) {
        EXPECT_FALSE(found.has_value()) << found->device;
    } else {
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->device.string(), c.expected);
        EXPECT_EQ(found->base, c.base);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParportLookup,
    ::testing::Values(
        LookupCase{"RealPort", {{"parport0", "888\t1912\n"}}, 888, "/dev/parport0", 888},
        LookupCase{"EmulatedPort", {{"parport0", "888\t0\n"}}, 888, "/dev/parport0", 888},
        LookupCase{"AtTheAddressAmongOthers",
                   {{"parport0", "632\t1656\n"}, {"parport1", "888\t1912\n"}, {"parport2", "53264\t0\n"}}, 888,
                   "/dev/parport1", 888},
        LookupCase{"NoneAtTheAddressTakesTheFirstListed",
                   {{"parport2", "632\t0\n"}, {"parport1", "53264\t53272\n"}}, 888, "/dev/parport1", 53264},
        LookupCase{"SecondNumberIsNotTheBase", {{"parport0", "1912\t888\n"}}, 888, "/dev/parport0", 1912},
        LookupCase{"PrefixOfTheAddressIsNotIt", {{"parport0", "8880\t0\n"}, {"parport1", "888\t0\n"}}, 888,
                   "/dev/parport1", 888},
        LookupCase{"UnreadableBaseAddrIsSkipped", {{"parport0", "garbage"}, {"parport1", "632\t0\n"}}, 888,
                   "/dev/parport1", 632},
        LookupCase{"NumericOrderNotTextOrder", {{"parport10", "888\t0\n"}, {"parport2", "888\t0\n"}},
                   888, "/dev/parport2", 888},
        LookupCase{"NoPorts", {}, 888, ""}));

TEST(ParportLookupMissingDriver, NoProcDirectoryMeansNoDevice) {
    EXPECT_FALSE(ChooseParport(888, "/nonexistent/parport", "/dev").has_value());
}

// A scratch directory for one test, removed after it.
class ScratchDir {
public:
    ScratchDir() {
        root_ = fs::temp_directory_path() /
                ("stepdial-" + std::to_string(::getpid()) + "-" + ScratchName());
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    ~ScratchDir() { fs::remove_all(root_); }
    fs::path File(const fs::path& relative, const std::string& content) const {
        fs::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative) << content;
        return root_ / relative;
    }
    const fs::path& Root() const { return root_; }

private:
    fs::path root_;
};

TEST(ParportClients, ListsTheRegisteredDriversAndProgramsNotTheActiveFile) {
    ScratchDir proc;
    for (const char* client : {"ppdev0", "lp"}) fs::create_directories(proc.Root() / "parport0" / "devices" / client);
    proc.File("parport0/devices/active", "ppdev0\n");
    EXPECT_EQ(FindParportClients("parport0", proc.Root()), (std::vector<std::string>{"lp", "ppdev0"}));
    EXPECT_TRUE(FindParportClients("parport1", proc.Root()).empty());
}

struct FlockCase {
    const char* name;
    std::string locks;  // the stand-in /proc/locks
    bool withComm;      // /proc/PID/comm exists for PID 4242
    std::optional<long> pid;
    std::string comm = "other stepdial\n";  // as the kernel writes it, with a newline of its own
    std::string command = "other stepdial";
};

void PrintTo(const FlockCase& c, std::ostream* os) { *os << c.name; }

class FlockHolder : public ::testing::TestWithParam<FlockCase> {};

// The file in question: inode 77 on device 259:1, which the kernel writes "103:01:77".
TEST_P(FlockHolder, FindsTheFlockOnTheFile) {
    const auto& c = GetParam();
    ScratchDir proc;
    proc.File("locks", c.locks);
    if (c.withComm) proc.File("4242/comm", c.comm);
    const auto holder = FindFlockHolder(makedev(259, 1), 77, proc.Root());
    ASSERT_EQ(holder.has_value(), c.pid.has_value());
    if (!holder) return;
    EXPECT_EQ(holder->pid, *c.pid);
    EXPECT_EQ(holder->command, c.withComm ? c.command : "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, FlockHolder,
    ::testing::Values(
        FlockCase{"Holder", "1: FLOCK  ADVISORY  WRITE 4242 103:01:77 0 EOF\n", true, 4242},
        FlockCase{"NameWithMarkupAndANewline", "1: FLOCK  ADVISORY  WRITE 4242 103:01:77 0 EOF\n", true, 4242,
                  "<h1>x\n<b>\n", "<h1>x\n<b>"},
        FlockCase{"HolderWithoutComm", "1: FLOCK  ADVISORY  WRITE 4242 103:01:77 0 EOF\n", false, 4242},
        FlockCase{"AfterOtherFiles",
                  "1: POSIX  ADVISORY  WRITE 17 103:01:77 0 EOF\n"
                  "2: FLOCK  ADVISORY  WRITE 18 103:01:78 0 EOF\n"
                  "3: FLOCK  ADVISORY  WRITE 19 fe:00:77 0 EOF\n"
                  "4: FLOCK  ADVISORY  WRITE 4242 103:01:77 0 EOF\n"
                  "4: -> FLOCK  ADVISORY  WRITE 20 103:01:77 0 EOF\n",
                  true, 4242},
        FlockCase{"OnlyAWaiter", "1: -> FLOCK  ADVISORY  WRITE 20 103:01:77 0 EOF\n", true, std::nullopt},
        FlockCase{"OnlyASharedLock", "1: FLOCK  ADVISORY  READ 4242 103:01:77 0 EOF\n", true, std::nullopt},
        FlockCase{"OnlyAPosixLock", "1: POSIX  ADVISORY  WRITE 4242 103:01:77 0 EOF\n", true, std::nullopt},
        FlockCase{"PidOutsideOurNamespace", "1: FLOCK  ADVISORY  WRITE 0 103:01:77 0 EOF\n", true, std::nullopt},
        FlockCase{"NoLocks", "", true, std::nullopt}));

TEST(FlockSharers, ListsTheSharedFlocksHeldOnTheFile) {
    ScratchDir proc;
    proc.File("locks",
              "1: FLOCK  ADVISORY  READ 4242 103:01:77 0 EOF\n"
              "2: FLOCK  ADVISORY  READ 17 103:01:78 0 EOF\n"
              "3: FLOCK  ADVISORY  WRITE 18 103:01:77 0 EOF\n"
              "3: -> FLOCK  ADVISORY  READ 19 103:01:77 0 EOF\n"
              "4: FLOCK  ADVISORY  READ 4343 103:01:77 0 EOF\n");
    EXPECT_EQ(FindFlockSharers(makedev(259, 1), 77, proc.Root()), (std::vector<long>{4242, 4343}));
}

// The kernel's own /proc/locks: the file system's number must be written as it does.
TEST(FlockHolderOnThisKernel, FindsThisProcessHoldingAFile) {
    ScratchDir dir;
    const fs::path file = dir.File("node", "");
    const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    struct stat node {};
    ASSERT_EQ(::fstat(fd, &node), 0);
    const auto holder = FindFlockHolder(node.st_dev, node.st_ino);
    ::close(fd);
    ASSERT_TRUE(holder.has_value());
    EXPECT_EQ(holder->pid, ::getpid());
    EXPECT_FALSE(holder->command.empty());
}

}  // namespace
}  // namespace stepdial
