#pragma once

#include <string>

namespace win {

// A per-user lock held for as long as the object lives (or the process runs), so that a second
// copy of a program can tell at once that a first one is running, even while it starts up.
class InstanceLock
{
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this object now holds the lock of that name; false when another holder has it
    // or the lock file cannot be made. Acquiring again releases the earlier lock first.
    bool TryAcquire(const std::string& name);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }

    // The folder of the lock files: $XDG_RUNTIME_DIR, else /tmp/<uid>.
    static std::string LockFolder();

private:
    int fd_ = -1;
};

} // namespace win
