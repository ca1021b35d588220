#include "qt/descriptors.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

namespace stepdial::qt {
namespace {

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF; }

}  // namespace

void OpenStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        // open takes the lowest free number: this one, as those below it are open. Where
        // there is no /dev/null (a bare chroot), a descriptor that takes no data at all.
        if (!IsOpen(fd) && ::open("/dev/null", O_RDWR) < 0 && ::open("/", O_PATH) < 0) return;
    }
}

int FreeDescriptors(int wanted) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return wanted;
    int free = 0;
    for (rlim_t fd = 0; fd < limit.rlim_cur && free < wanted; ++fd) {
        if (!IsOpen(static_cast<int>(fd))) ++free;
    }
    return free;
}

}  // namespace stepdial::qt
