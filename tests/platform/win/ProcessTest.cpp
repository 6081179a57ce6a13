#include "platform/win/Process.h"

#include "TempDir.h"
#include "WaitFor.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

std::string Script(const TempDir& dir, const std::string& name, const std::string& body)
{
    const std::string path = dir.Write(name, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

TEST(StartProcess, RunsTheProgramDetachedInTheWorkingFolder)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "work");
    const std::string program =
        Script(dir, "probe.sh",
               "pwd > out.tmp; echo \"$1|$2\" >> out.tmp; echo $PPID >> out.tmp;"
               " mv out.tmp out.txt");
    ASSERT_TRUE(win::StartProcess(program, {"two words", "é"}, dir / "work"));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(dir / "work/out.txt"); }));
    std::istringstream out(ReadFile(dir / "work/out.txt"));
    std::string folder, args, parent;
    std::getline(out, folder);
    std::getline(out, args);
    std::getline(out, parent);
    EXPECT_EQ(std::filesystem::canonical(folder), std::filesystem::canonical(dir / "work"));
    EXPECT_EQ(args, "two words|é");
    EXPECT_NE(parent, std::to_string(getpid())) << "the program must not be our child";
}

TEST(StartProcess, FindsTheProgramIgnoringCaseAndBackslashes)
{
    TempDir dir;
    Script(dir, "Updater.sh", "touch started");
    std::string path = dir / "UPDATER.SH";
    std::replace(path.begin(), path.end(), '/', '\\');
    ASSERT_TRUE(win::StartProcess(path, {}, dir.path()));
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(dir / "started"); }));
}

TEST(StartProcess, SearchesThePathForABareName)
{
    TempDir dir;
    EXPECT_TRUE(win::StartProcess("touch", {"from-path"}, dir.path()));
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(dir / "from-path"); }));
}

TEST(StartProcess, ReportsWhatCannotStart)
{
    TempDir dir;
    const std::string plain = dir.Write("notes.txt", "not a program");
    const std::string good = Script(dir, "good.sh", "true");
    const std::string badInterpreter = dir.Write("bad.sh", "#!/no/such/shell\n");
    std::filesystem::permissions(badInterpreter, std::filesystem::perms::owner_all);

    EXPECT_FALSE(win::StartProcess(dir / "slidora", {}, dir.path())) << "missing program";
    EXPECT_FALSE(win::StartProcess("no-such-program-anywhere", {}, dir.path()));
    EXPECT_FALSE(win::StartProcess(plain, {}, dir.path())) << "not executable";
    EXPECT_FALSE(win::StartProcess(dir.path(), {}, dir.path())) << "a folder";
    EXPECT_FALSE(win::StartProcess(badInterpreter, {}, dir.path())) << "exec fails";
    EXPECT_FALSE(win::StartProcess(good, {}, dir / "absent")) << "missing working folder";
    EXPECT_FALSE(win::StartProcess("", {}, dir.path()));
}

// The desktop's opener is replaced by a script that notes what it was asked to open.
class ShellOpenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Script(bin, "xdg-open",
               "printf '%s' \"$1\" > '" + (dir / "opened.tmp") + "'; mv '" + (dir / "opened.tmp") +
                   "' '" + (dir / "opened") + "'");
        const char* path = std::getenv("PATH");
        savedPath = path ? path : "";
        setenv("PATH", (bin.path() + ":" + savedPath).c_str(), 1);
    }
    void TearDown() override { setenv("PATH", savedPath.c_str(), 1); }

    std::string Opened()
    {
        if (!WaitFor([&] { return std::filesystem::exists(dir / "opened"); }))
            return "<nothing opened>";
        return ReadFile(dir / "opened");
    }

    TempDir bin, dir;
    std::string savedPath;
};

TEST_F(ShellOpenTest, OpensAnAddress)
{
    ASSERT_TRUE(win::ShellOpen("https://www.example.org/support"));
    EXPECT_EQ(Opened(), "https://www.example.org/support");
}

TEST_F(ShellOpenTest, OpensAFileByItsNameOnDisk)
{
    dir.Write("Rapport.pdf", "%PDF");
    std::string path = dir / "RAPPORT.PDF";
    std::replace(path.begin(), path.end(), '/', '\\');
    ASSERT_TRUE(win::ShellOpen(path));
    EXPECT_EQ(Opened(), dir / "Rapport.pdf");
}

TEST_F(ShellOpenTest, RefusesAMissingFile)
{
    EXPECT_FALSE(win::ShellOpen(dir / "absent.pdf"));
    EXPECT_FALSE(win::ShellOpen(""));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(std::filesystem::exists(dir / "opened"));
}

TEST(ShellOpen, FailsWithoutAnOpener)
{
    const char* path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    TempDir empty;
    setenv("PATH", empty.path().c_str(), 1);
    EXPECT_FALSE(win::ShellOpen("https://www.example.org/"));
    setenv("PATH", saved.c_str(), 1);
}

} // namespace
