#include "motor/open_advice.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "motor/port_error.h"

namespace stepdial {
namespace {

std::string UserName(uid_t uid) {
    const passwd* entry = ::getpwuid(uid);
    return entry ? entry->pw_name : std::to_string(uid);
}

bool ProcessHasGroup(gid_t gid) {
    if (::getegid() == gid) return true;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(
        static_cast<std::size_t>(std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// The group file, not this session: usermod -aG shows here at once, in the process only
// after a new login.
bool UserListedInGroup(const group& entry) {
    const passwd* user = ::getpwuid(::getuid());
    if (!user) return false;
    if (user->pw_gid == entry.gr_gid) return true;
    for (char** member = entry.gr_mem; member && *member; ++member) {
        if (std::strcmp(*member, user->pw_name) == 0) return true;
    }
    return false;
}

}  // namespace

NodeAccess ReadNodeAccess(const std::filesystem::path& node) {
    NodeAccess access;
    access.node = node.string();
    struct stat facts {};
    if (::stat(node.c_str(), &facts) != 0) return access;
    access.mode = facts.st_mode & 07777;
    access.owner = UserName(facts.st_uid);
    access.processHasGroup = ProcessHasGroup(facts.st_gid);
    if (const group* entry = ::getgrgid(facts.st_gid)) {
        access.group = entry->gr_name;
        access.userListedInGroup = UserListedInGroup(*entry);
    } else {
        access.group = std::to_string(facts.st_gid);
    }
    // systemd-logind's uaccess gives the seat's user an ACL entry of its own.
    access.hasAcl = ::getxattr(node.c_str(), "system.posix_acl_access", nullptr, 0) > 0;
    return access;
}

OpenAdvice ChooseOpenAdvice(const NodeAccess& access) {
    const bool groupMayUse = (access.mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (groupMayUse && !access.processHasGroup) {
        return access.userListedInGroup ? OpenAdvice::LogInAgain : OpenAdvice::JoinGroup;
    }
    if (access.hasAcl) return OpenAdvice::UseTheSeat;
    return groupMayUse ? OpenAdvice::AskTheAdministrator : OpenAdvice::OpenToOwnerAlone;
}

std::string DescribeOpenAdvice(OpenAdvice advice, const NodeAccess& access) {
    switch (advice) {
    case OpenAdvice::UseTheSeat:
        return std::string(remedy::kUseTheSeat);
    case OpenAdvice::JoinGroup:
        return access.hasAcl ? remedy::JoinGroup(access.group) + " " + std::string(remedy::kOrUseTheSeat)
                             : remedy::JoinGroup(access.group);
    case OpenAdvice::LogInAgain:
        return std::string(remedy::kLogInAgain);
    case OpenAdvice::OpenToOwnerAlone:
        return remedy::OpenToOwnerAlone(access.node, access.owner);
    case OpenAdvice::AskTheAdministrator:
        break;
    }
    return std::string(remedy::kAskTheAdministrator);
}

}  // namespace stepdial
