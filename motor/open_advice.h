#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace stepdial {

// What decides who may open a device node, as far as this process can see it.
struct NodeAccess {
    std::string node{};              // the device's path, for the message
    mode_t mode = 0;                 // its permission bits
    std::string owner{};             // its owner's name
    std::string group{};             // its group's name
    bool processHasGroup = false;    // the group is among this process's groups
    bool userListedInGroup = false;  // the group database lists this user in it (perhaps only since login)
    bool hasAcl = false;             // it carries an access ACL: the desktop's seat rule gave it one
    int statError = 0;               // why the node could not be examined; 0 when it was
    bool isDevice = true;            // a character device, as the drivers' nodes are
    bool noDevices = false;          // its file system is mounted nodev: no device opens there
    bool groupNamed = true;          // the group database has a name for its group
    bool groupUnmapped = false;      // this user namespace does not map its group
    bool aclNamesUser = false;       // its ACL has an entry for this user...
    bool aclGrantsUser = false;      // ...which, after the ACL's mask, gives read and write
};

NodeAccess ReadNodeAccess(const std::filesystem::path& node);

enum class OpenAdvice {
    UseTheSeat,        // an ACL opens the node to the desktop's user, who is someone else
    JoinGroup,         // the group may read and write it, and this user is not in it
    LogInAgain,        // the user joined the group after this session began
    OpenToOwnerAlone,  // the group has no access: no membership helps
    AskTheAdministrator,
    CannotTell,      // the node could not be examined
    NotADevice,      // a file of another kind, which no driver serves
    NoDevicesHere,   // on a nodev file system
    UserNamespace,   // the node's group means nothing in this namespace
    UnnamedGroup,    // no one can be added to a group without a name
    AclRefusesUser,  // the ACL names this user and still refuses
};

// Which remedy helps an open refused with EACCES/EPERM: the one that follows from the facts,
// never a group the user is already in.
OpenAdvice ChooseOpenAdvice(const NodeAccess& access);
std::string DescribeOpenAdvice(OpenAdvice advice, const NodeAccess& access);

// What helps when the node does not exist: `sysRoot` is where sysfs is mounted.
std::string DescribeMissingNode(const std::filesystem::path& node,
                                const std::filesystem::path& sysRoot = "/sys");

// What helps when the node opened but refused the claim with `error`.
std::string DescribeRefusedClaim(const std::filesystem::path& node, int error);

}  // namespace stepdial
