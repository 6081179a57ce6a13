#include "platform/win/End.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class EndTest : public ::testing::Test
{
protected:
    void TearDown() override { win::SetEndHandler({}); }
};

TEST_F(EndTest, TestHandlerMakesTheEndObservable)
{
    win::SetEndHandler(win::ThrowEndCalled);
    try {
        win::End(3);
        FAIL() << "End returned";
    } catch (const win::EndCalled& end) {
        EXPECT_EQ(end.code(), 3);
    }
    EXPECT_THROW(win::End(), win::EndCalled);
}

int pipeToParent = -1;

void NoteClosingStep()
{
    [[maybe_unused]] auto written = write(pipeToParent, "x", 1);
}

struct Watcher
{
    ~Watcher() { NoteClosingStep(); }
};

// Runs the body in a child process and returns its exit status and whether any closing step
// (an exit handler, a static destructor, a flush of buffered output) ran there.
std::pair<int, std::string> RunChild(void (*body)())
{
    int fds[2];
    if (pipe(fds) != 0)
        return {-1, ""};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        pipeToParent = fds[1];
        std::atexit(NoteClosingStep);
        static Watcher watcher;
        body();
        _exit(99);
    }
    close(fds[1]);
    std::string noted;
    char buffer[16];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0)
        noted.append(buffer, static_cast<std::size_t>(got));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, noted};
}

TEST_F(EndTest, DefaultEndsAtOnceWithoutClosingSteps)
{
    const auto [code, noted] = RunChild([] { win::End(7); });
    EXPECT_EQ(code, 7);
    EXPECT_EQ(noted, "");
}

TEST_F(EndTest, EmptyHandlerPutsBackTheDefault)
{
    const auto [code, noted] = RunChild([] {
        win::SetEndHandler(win::ThrowEndCalled);
        win::SetEndHandler({});
        win::End(4);
    });
    EXPECT_EQ(code, 4);
    EXPECT_EQ(noted, "");
}

TEST_F(EndTest, AHandlerThatReturnsStillEndsTheProgram)
{
    const auto [code, noted] = RunChild([] {
        win::SetEndHandler([](int) { NoteClosingStep(); });
        win::End(5);
    });
    EXPECT_EQ(code, 5);
    EXPECT_EQ(noted, "x") << "only the handler itself ran";
}

} // namespace
