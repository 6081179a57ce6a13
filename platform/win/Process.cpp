#include "platform/win/Process.h"

#include "platform/win/FileSearch.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace win {
namespace {

bool IsExecutableFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// The file to run: a path as given or looked up ignoring case in its folder; a bare name along
// $PATH. Empty when there is none.
std::string ResolveProgram(const std::string& program)
{
    const std::string path = NormalizePath(program);
    if (path.empty())
        return {};
    if (path.find('/') != std::string::npos) {
        const auto found = ResolvePathIgnoringCase(path);
        return found && IsExecutableFile(*found) ? *found : std::string();
    }
    const char* searchPath = std::getenv("PATH");
    std::string_view rest = searchPath ? searchPath : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const auto colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        const std::string candidate =
            (folder.empty() ? std::string(".") : std::string(folder)) + "/" + path;
        if (IsExecutableFile(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            return {};
        rest.remove_prefix(colon + 1);
    }
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    return write(fd, data, size) == static_cast<ssize_t>(size);
}

} // namespace

bool StartProcess(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workingDir)
{
    const std::string file = ResolveProgram(program);
    if (file.empty())
        return false;
    const std::string folder = workingDir.empty() ? "." : NormalizePath(workingDir);

    // Everything the child needs is built before the fork: after it only async-signal-safe
    // calls are allowed.
    std::vector<std::string> argStrings;
    argStrings.push_back(file);
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argStrings)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    // The grandchild reports a failing chdir or exec through this pipe; its end closes on exec.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;

    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        // The middle process ends at once, so that the program is adopted by init and never
        // becomes a zombie of ours.
        close(report[0]);
        const pid_t grandchild = fork();
        if (grandchild != 0)
            _exit(grandchild < 0 ? 1 : 0);
        setsid();
        sigset_t all;
        sigemptyset(&all);
        sigprocmask(SIG_SETMASK, &all, nullptr);
        signal(SIGPIPE, SIG_DFL);
        signal(SIGCHLD, SIG_DFL);
        int error = 0;
        if (chdir(folder.c_str()) == 0)
            execv(file.c_str(), argv.data());
        error = errno;
        WriteAll(report[1], &error, sizeof error);
        _exit(127);
    }

    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    const bool forked = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return forked && got == 0;
}

bool ShellOpen(const std::string& fileOrAddress)
{
    if (fileOrAddress.empty())
        return false;
    // An address has a scheme ("https:", "mailto:"); anything else is a file that must exist.
    const auto colon = fileOrAddress.find(':');
    const bool isAddress =
        colon != std::string::npos && colon > 1 && fileOrAddress.find_first_of("/\\") > colon;
    if (isAddress)
        return StartProcess("xdg-open", {fileOrAddress}, "");
    const auto file = ResolvePathIgnoringCase(fileOrAddress);
    return file && StartProcess("xdg-open", {*file}, "");
}

} // namespace win
