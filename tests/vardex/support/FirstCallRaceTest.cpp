// The first resource string and the first log record of a process, asked for on two threads at
// once: the strings library's load and the logging's set-up each need the other's lock. Each
// round runs in a fresh forked process (the facility sets up once per process) under a time
// limit; a round that hangs fails the test.

#include "SupportFixture.h"
#include "vardex/support/slog.h"
#include "vardex/support/sresmanager.h"

#include <chrono>
#include <csignal>
#include <latch>
#include <sys/wait.h>
#include <thread>

namespace {

constexpr int kRounds = 40;
constexpr auto kRoundLimit = std::chrono::seconds(20);

class FirstCallRaceTest : public SupportFixture
{
protected:
    // A process that makes both first calls at once; it exits when both have returned.
    static void raceInChild()
    {
        std::latch start(2);
        std::thread strings([&] {
            start.arrive_and_wait();
            LoadString(34401);
        });
        std::thread logging([&] {
            start.arrive_and_wait();
            LogEvent(EVENTLOG_ERROR_TYPE, kLogCategoryLogging, 34401);
        });
        strings.join();
        logging.join();
        ::_exit(0);
    }

    // Runs the rounds; a round that does not end in time is killed and fails the test.
    void runRounds()
    {
        for (int round = 0; round < kRounds; ++round) {
            events(); // the records of the rounds before, lest the socket's buffer fill up
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0)
                raceInChild();
            const auto deadline = std::chrono::steady_clock::now() + kRoundLimit;
            int status = 0;
            pid_t ended = 0;
            while ((ended = ::waitpid(child, &status, WNOHANG)) == 0 &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (ended == 0) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                FAIL() << "round " << round << " hangs";
            }
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "round " << round << " ends with status " << status;
        }
    }
};

TEST_F(FirstCallRaceTest, NoHangWithTheStringsLibraryPresent)
{
    runRounds();
}

TEST_F(FirstCallRaceTest, NoHangWithTheStringsLibraryMissing)
{
    writeText("Software\\Halvorn Software\\8.0\\Shared Tools\\Strings", "Path", m_root);
    runRounds();
}

} // namespace
