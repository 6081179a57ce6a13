#include "platform/win/InstanceLock.h"

#include "platform/win/Process.h"

#include "TempDir.h"
#include "WaitFor.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class InstanceLockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime)
            saved = runtime;
        setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    }
    void TearDown() override
    {
        if (saved)
            setenv("XDG_RUNTIME_DIR", saved->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

    // Runs a second copy: a child process that takes the lock, says whether it got it, and
    // holds it until told to go.
    struct SecondCopy
    {
        pid_t pid = -1;
        int toChild = -1;
        int fromChild = -1;

        bool Acquired()
        {
            char answer = 0;
            return read(fromChild, &answer, 1) == 1 && answer == 'y';
        }
        int Finish()
        {
            close(toChild);
            close(fromChild);
            int status = 0;
            waitpid(pid, &status, 0);
            return status;
        }
    };

    static SecondCopy StartSecondCopy(const std::string& name)
    {
        int down[2], up[2];
        if (pipe(down) != 0 || pipe(up) != 0)
            return {};
        const pid_t pid = fork();
        if (pid == 0) {
            close(down[1]);
            close(up[0]);
            win::InstanceLock lock;
            const char answer = lock.TryAcquire(name) ? 'y' : 'n';
            [[maybe_unused]] auto written = write(up[1], &answer, 1);
            char ignored;
            [[maybe_unused]] auto got = read(down[0], &ignored, 1);
            _exit(0);
        }
        close(down[0]);
        close(up[1]);
        return {pid, down[1], up[0]};
    }

    TempDir runtime_;
    std::optional<std::string> saved;
};

TEST_F(InstanceLockTest, SecondProcessIsRefusedWhileTheFirstHoldsTheLock)
{
    auto first = StartSecondCopy("harnix");
    ASSERT_TRUE(first.Acquired());

    win::InstanceLock lock;
    EXPECT_FALSE(lock.TryAcquire("harnix"));
    EXPECT_EQ(lock.Acquire("harnix"), win::InstanceLock::Outcome::HeldByAnother);
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_TRUE(lock.TryAcquire("slidora")) << "locks of other names are separate";

    first.Finish();
    EXPECT_TRUE(lock.TryAcquire("harnix")) << "the lock goes with the process that held it";
    EXPECT_TRUE(lock.IsHeld());
    EXPECT_TRUE(std::filesystem::exists(runtime_ / "harnix.lock"));

    auto late = StartSecondCopy("harnix");
    EXPECT_FALSE(late.Acquired());
    late.Finish();
}

TEST_F(InstanceLockTest, ReleaseAndDestructionFreeTheLock)
{
    {
        win::InstanceLock lock;
        ASSERT_TRUE(lock.TryAcquire("harnix"));
        lock.Release();
        auto other = StartSecondCopy("harnix");
        EXPECT_TRUE(other.Acquired());
        other.Finish();
        ASSERT_TRUE(lock.TryAcquire("harnix"));
    }
    auto other = StartSecondCopy("harnix");
    EXPECT_TRUE(other.Acquired());
    other.Finish();
}

TEST_F(InstanceLockTest, AStartedProgramDoesNotInheritTheLock)
{
    TempDir work;
    win::InstanceLock lock;
    ASSERT_TRUE(lock.TryAcquire("harnix"));
    ASSERT_TRUE(win::StartProcess("sh", {"-c", "echo $$ > pid.tmp; mv pid.tmp pid; exec sleep 30"},
                                  work.path()));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(work / "pid"); }));
    lock.Release();

    auto other = StartSecondCopy("harnix");
    EXPECT_TRUE(other.Acquired());
    other.Finish();
    kill(std::atoi(ReadFile(work / "pid").c_str()), SIGTERM);
}

TEST_F(InstanceLockTest, WithoutARuntimeFolderUsesAPrivateFolderOfTheUser)
{
    unsetenv("XDG_RUNTIME_DIR");
    const std::string folder = win::InstanceLock::LockFolder();
    EXPECT_EQ(folder, "/tmp/" + std::to_string(getuid()));
    const bool made = !std::filesystem::exists(folder); // the test removes what it made
    win::InstanceLock lock;
    ASSERT_TRUE(lock.TryAcquire("harnix-test-" + std::to_string(getpid())));
    struct stat info;
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, getuid());
    EXPECT_EQ(info.st_mode & 0022, 0u) << "no one else may write to the folder";
    lock.Release();
    std::filesystem::remove(folder + "/harnix-test-" + std::to_string(getpid()) + ".lock");
    std::error_code kept; // left when not empty: another program has its lock there
    if (made)
        std::filesystem::remove(folder, kept);
}

// A lock that cannot be made is told apart from one that a running copy holds.
TEST_F(InstanceLockTest, IsUnavailableWhenTheLockFileCannotBeMadeSafely)
{
    struct Case
    {
        const char* what;
        std::function<std::string()> prepare; // makes the case, returns the lock folder
    };
    const Case cases[] = {
        {"folder cannot be made", [&] { return runtime_ / "missing/deeper"; }},
        {"folder others may write to",
         [&] {
             const std::string folder = runtime_ / "shared";
             mkdir(folder.c_str(), 0700);
             chmod(folder.c_str(), 0777);
             return folder;
         }},
        {"lock file is a link",
         [&] {
             const std::string folder = runtime_ / "linked";
             mkdir(folder.c_str(), 0700);
             std::filesystem::create_symlink(runtime_ / "elsewhere.lock", folder + "/harnix.lock");
             return folder;
         }},
        {"lock file is a folder",
         [&] {
             const std::string folder = runtime_ / "blocked";
             std::filesystem::create_directories(folder + "/harnix.lock");
             chmod(folder.c_str(), 0700);
             return folder;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setenv("XDG_RUNTIME_DIR", c.prepare().c_str(), 1);
        win::InstanceLock lock;
        EXPECT_EQ(lock.Acquire("harnix"), win::InstanceLock::Outcome::Unavailable);
        EXPECT_FALSE(lock.TryAcquire("harnix"));
        EXPECT_FALSE(lock.IsHeld());
    }
}

} // namespace
