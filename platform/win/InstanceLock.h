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

    enum class Outcome {
        Acquired,      // this object now holds the lock
        HeldByAnother, // another holder (a running copy) has it
        Unavailable,   // the lock folder or file cannot be made or is not safe to use
    };
    // Takes the lock of that name. Acquiring again releases the earlier lock first.
    Outcome Acquire(const std::string& name);
    // True when this object now holds the lock; false for either of the failures above.
    bool TryAcquire(const std::string& name) { return Acquire(name) == Outcome::Acquired; }
    void Release();
    bool IsHeld() const { return fd_ >= 0; }

    // The folder of the lock files: $XDG_RUNTIME_DIR, else /tmp/<uid>.
    static std::string LockFolder();

private:
    int fd_ = -1;
};

} // namespace win
