#include "motor/open_advice.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "motor/port_error.h"
#include "motor/shown_text.h"

namespace stepdial {
namespace {

namespace fs = std::filesystem;

// A refused open's advice follows from the node's mode and ACL and the user's groups.
TEST(RefusedOpenAdvice, ChoosesTheRemedyThatHelps) {
    // Node, mode, owner, group; whether the process has the group, the user is listed in it, an ACL.
    // The first row is the node the kernel makes where no udev rule applies: lp is no use then.
    const std::pair<NodeAccess, OpenAdvice> rows[] = {
        {{"/dev/parport0", 0600, "root", "lp", true, true, false}, OpenAdvice::OpenToOwnerAlone},
        {{"/dev/parport0", 0660, "root", "lp", false, false, false}, OpenAdvice::JoinGroup},
        {{"/dev/parport0", 0660, "root", "lp", false, true, false}, OpenAdvice::LogInAgain},
        {{"/dev/parport0", 0660, "root", "lp", true, true, false}, OpenAdvice::AskTheAdministrator},
        {{"/dev/parport0", 0600, "root", "lp", false, false, true}, OpenAdvice::UseTheSeat},
        {{.mode = 0666, .group = "root", .noDevices = true}, OpenAdvice::NoDevicesHere},
        {{.mode = 0666, .group = "root"}, OpenAdvice::AskTheAdministrator},
        {{.mode = 0660, .group = "nogroup", .groupUnmapped = true}, OpenAdvice::UserNamespace},
        {{.mode = 0660, .group = "4242", .groupNamed = false}, OpenAdvice::UnnamedGroup},
        {{.mode = 0600, .hasAcl = true, .aclNamesUser = true}, OpenAdvice::AclRefusesUser},
        {{.mode = 0600, .isDevice = false}, OpenAdvice::NotADevice},
        {{.statError = EACCES}, OpenAdvice::CannotTell}};
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(ChooseOpenAdvice(rows[i].first), rows[i].second) << i;
}

// What a missing node or a refused claim is told, from nodes made here.
TEST(RefusedOpenAdvice, ReadsTheFactsOfRealNodes) {
    const fs::path folder = fs::temp_directory_path() / ("stepdial-advice-" + std::to_string(::getpid()));
    fs::create_directories(folder / "sys" / "class" / "ppdev" / "parport1");
    std::ofstream(folder / "parport0") << "";
    fs::create_symlink(folder / "gone", folder / "parport2");

    EXPECT_EQ(DescribeMissingNode(folder / "parport1", folder / "sys"), remedy::kMakeTheNodeAgain);
    EXPECT_EQ(DescribeMissingNode(folder / "parport3", folder / "sys"), remedy::kLoadDrivers);
    EXPECT_EQ(DescribeMissingNode(folder / "parport2", folder / "sys"),
              remedy::DanglingLink((folder / "parport2").string(), (folder / "gone").string()));

    EXPECT_EQ(DescribeRefusedClaim(folder / "parport0", ENOTTY),
              remedy::NotADevice((folder / "parport0").string()));
    EXPECT_EQ(DescribeRefusedClaim("/dev/null", ENOTTY), remedy::NotThePortsDevice("/dev/null"));
    fs::remove_all(folder);
}

// Another program's name, as it may stand in a message.
TEST(ShownSafely, MakesControlsBidiAndSeparatorsVisible) {
    const std::pair<std::string, std::string> rows[] = {{"ĉapelo \u05e1\u05e2", "ĉapelo \u05e1\u05e2"},
                                                        {"\u202eevil", "\\u{202e}evil"},
                                                        {"\x1b[2J", "\\x1b[2J"},
                                                        {"cut\nname", "cut\\x0aname"},
                                                        {"x; PID 1, init", "x\\x3b PID 1, init"},
                                                        {"\xc2\x9b\xff", "\\u{009b}\\xff"},
                                                        {"<b><!--\\x0a\n", "<b><!--\\x5cx0a\\x0a"}};
    for (const auto& [name, shown] : rows) EXPECT_EQ(ShownSafely(name), shown) << shown;
}

}  // namespace
}  // namespace stepdial
