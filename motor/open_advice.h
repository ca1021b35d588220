#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace stepdial {

// What decides who may open a device node, as far as this process can see it.
struct NodeAccess {
    std::string node;                // the device's path, for the message
    mode_t mode = 0;                 // its permission bits
    std::string owner;               // its owner's name
    std::string group;               // its group's name
    bool processHasGroup = false;    // the group is among this process's groups
    bool userListedInGroup = false;  // the group database lists this user in it (perhaps only since login)
    bool hasAcl = false;             // it carries an access ACL: the desktop's seat rule gave it one
};

NodeAccess ReadNodeAccess(const std::filesystem::path& node);

enum class OpenAdvice {
    UseTheSeat,        // an ACL opens the node to the desktop's user, who is someone else
    JoinGroup,         // the group may read and write it, and this user is not in it
    LogInAgain,        // the user joined the group after this session began
    OpenToOwnerAlone,  // the group has no access: no membership helps
    AskTheAdministrator,
};

// Which remedy helps an open refused with EACCES/EPERM: the one that follows from the facts,
// never a group the user is already in.
OpenAdvice ChooseOpenAdvice(const NodeAccess& access);
std::string DescribeOpenAdvice(OpenAdvice advice, const NodeAccess& access);

}  // namespace stepdial
