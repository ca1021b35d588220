#include "motor/open_advice.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string_view>
#include <system_error>
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

// The kernel shows an ID this user namespace does not map as the overflow ID; outside
// any namespace every ID is mapped, and 65534 may be a real group (nogroup).
bool InUserNamespace() {
    std::ifstream map("/proc/self/gid_map");
    unsigned long inside = 0, outside = 0, count = 0;
    return map >> inside >> outside >> count && !(inside == 0 && outside == 0 && count == 4294967295UL);
}

gid_t OverflowGid() {
    std::ifstream file("/proc/sys/kernel/overflowgid");
    unsigned long gid = 65534;
    file >> gid;
    return static_cast<gid_t>(gid);
}

// The POSIX ACL as the system.posix_acl_access attribute stores it: a version word, then
// entries of tag (16 bits), permissions (16 bits) and ID (32 bits), little-endian.
struct AclFacts {
    bool present = false;
    bool namesUser = false;
    bool grantsUser = false;
};

AclFacts ReadAcl(const std::filesystem::path& node) {
    constexpr std::uint16_t kUser = 0x02, kMask = 0x10, kReadWrite = 06;
    AclFacts facts;
    unsigned char bytes[1024];
    const ssize_t size = ::getxattr(node.c_str(), "system.posix_acl_access", bytes, sizeof bytes);
    if (size <= 0) return facts;
    facts.present = true;
    const auto word = [&](std::size_t at, int width) {
        std::uint32_t value = 0;
        for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
        return value;
    };
    std::uint32_t userPerm = 0, mask = 07;
    for (std::size_t at = 4; at + 8 <= static_cast<std::size_t>(size); at += 8) {
        const auto tag = word(at, 2), perm = word(at + 2, 2), id = word(at + 4, 4);
        if (tag == kMask) mask = perm;
        if (tag == kUser && id == ::getuid()) {
            facts.namesUser = true;
            userPerm = perm;
        }
    }
    facts.grantsUser = facts.namesUser && (userPerm & mask & kReadWrite) == kReadWrite;
    return facts;
}

}  // namespace

NodeAccess ReadNodeAccess(const std::filesystem::path& node) {
    NodeAccess access;
    access.node = node.string();
    struct stat facts {};
    if (::stat(node.c_str(), &facts) != 0) {
        access.statError = errno;
        return access;
    }
    access.mode = facts.st_mode & 07777;
    access.isDevice = S_ISCHR(facts.st_mode);
    access.owner = UserName(facts.st_uid);
    access.processHasGroup = ProcessHasGroup(facts.st_gid);
    if (const group* entry = ::getgrgid(facts.st_gid)) {
        access.group = entry->gr_name;
        access.userListedInGroup = UserListedInGroup(*entry);
    } else {
        access.group = std::to_string(facts.st_gid);
        access.groupNamed = false;
    }
    access.groupUnmapped = facts.st_gid == OverflowGid() && InUserNamespace();
    struct statvfs fileSystem {};
    access.noDevices = ::statvfs(node.c_str(), &fileSystem) == 0 && (fileSystem.f_flag & ST_NODEV) != 0;
    // systemd-logind's uaccess gives the seat's user an ACL entry of its own.
    const AclFacts acl = ReadAcl(node);
    access.hasAcl = acl.present;
    access.aclNamesUser = acl.namesUser;
    access.aclGrantsUser = acl.grantsUser;
    return access;
}

OpenAdvice ChooseOpenAdvice(const NodeAccess& access) {
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP, kOthersReadWrite = S_IROTH | S_IWOTH;
    if (access.statError != 0) return OpenAdvice::CannotTell;
    if (!access.isDevice) return OpenAdvice::NotADevice;
    if (access.noDevices) return OpenAdvice::NoDevicesHere;
    if (access.groupUnmapped) return OpenAdvice::UserNamespace;
    // Bits that already let this user in: something other than them refuses.
    if ((access.mode & kOthersReadWrite) == kOthersReadWrite) return OpenAdvice::AskTheAdministrator;
    if (access.aclNamesUser)
        return access.aclGrantsUser ? OpenAdvice::AskTheAdministrator : OpenAdvice::AclRefusesUser;
    const bool groupMayUse = (access.mode & kGroupReadWrite) == kGroupReadWrite;
    if (groupMayUse && !access.processHasGroup) {
        if (!access.groupNamed) return OpenAdvice::UnnamedGroup;
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
    case OpenAdvice::CannotTell:
        return remedy::CannotExamine(access.node, std::generic_category().message(access.statError));
    case OpenAdvice::NotADevice:
        return remedy::NotADevice(access.node);
    case OpenAdvice::NoDevicesHere:
        return remedy::NoDevicesHere(access.node);
    case OpenAdvice::UserNamespace:
        return std::string(remedy::kLeaveTheUserNamespace);
    case OpenAdvice::UnnamedGroup:
        return remedy::UnnamedGroup(access.node, access.group);
    case OpenAdvice::AclRefusesUser:
        return remedy::AclRefusesUser(access.node);
    case OpenAdvice::AskTheAdministrator:
        break;
    }
    return std::string(remedy::kAskTheAdministrator);
}

std::string DescribeMissingNode(const std::filesystem::path& node, const std::filesystem::path& sysRoot) {
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(node, error))) {
        return remedy::DanglingLink(node.string(), std::filesystem::read_symlink(node, error).string());
    }
    // The driver registers each port it serves here, whether or not a node was made.
    if (std::filesystem::exists(sysRoot / "class" / "ppdev" / node.filename(), error)) {
        return std::string(remedy::kMakeTheNodeAgain);
    }
    return std::string(remedy::kLoadDrivers);
}

std::string DescribeRefusedClaim(const std::filesystem::path& node, int error) {
    struct stat facts {};
    if (::stat(node.c_str(), &facts) == 0 && !S_ISCHR(facts.st_mode))
        return remedy::NotADevice(node.string());
    // A device that knows no ppdev request is another driver's.
    if (error == ENOTTY) return remedy::NotThePortsDevice(node.string());
    return std::string(remedy::kCheckThePort);
}

}  // namespace stepdial
