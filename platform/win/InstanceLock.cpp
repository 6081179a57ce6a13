#include "platform/win/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

InstanceLock::~InstanceLock()
{
    Release();
}

std::string InstanceLock::LockFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return runtime;
    return "/tmp/" + std::to_string(getuid());
}

InstanceLock::Outcome InstanceLock::Acquire(const std::string& name)
{
    Release();
    const std::string folder = LockFolder();
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return Outcome::Unavailable;
    // A folder that another user owns or may write to would let them hold or swap our lock.
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 0022) != 0)
        return Outcome::Unavailable;

    std::string fileName = name;
    for (char& c : fileName) {
        if (c == '/')
            c = '_';
    }
    const std::string path = folder + "/" + fileName + ".lock";
    // Close-on-exec, so that a program we start does not keep the lock after we end.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Outcome::Unavailable;
    int locked;
    while ((locked = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        const int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? Outcome::HeldByAnother : Outcome::Unavailable;
    }
    fd_ = fd;
    return Outcome::Acquired;
}

void InstanceLock::Release()
{
    if (fd_ < 0)
        return;
    // The file stays: removing it would let a third copy lock a new file while a second one
    // still holds the old.
    close(fd_);
    fd_ = -1;
}

} // namespace win
