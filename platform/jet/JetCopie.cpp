#include "platform/jet/JetCopie.h"

#include "platform/vb/Error.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace jet {

namespace {

std::string& ChosenProgram()
{
    static std::string program;
    return program;
}

void RemoveTarget(const std::string& target)
{
    std::error_code ignore;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(target + suffix, ignore);
}

[[noreturn]] void Unreadable(const std::string& jetPath, const std::string& why)
{
    throw vb::Error(vb::ErrUnspecified,
                    "Impossible de lire le fichier Access '" + jetPath + "' : " + why + ".", "jet");
}

// The child's end, or nothing when it is still running at the deadline (it is then killed).
std::optional<int> WaitFor(pid_t child, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (true) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child)
            return status;
        if (ended < 0 && errno != EINTR)
            return -1;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

std::string CopierProgram()
{
    if (!ChosenProgram().empty())
        return ChosenProgram();
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path() / "jetcopie").string();
}

void SetCopierProgram(std::string path)
{
    ChosenProgram() = std::move(path);
}

void CopyApart(const std::string& jetPath, const std::string& target,
               std::chrono::milliseconds limit)
{
    RemoveTarget(target);
    const std::string program = CopierProgram();
    std::string name = "jetcopie";
    std::string source = jetPath;
    std::string destination = target;
    char* argv[] = {name.data(), source.data(), destination.data(), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ);
    if (spawned != 0)
        Unreadable(jetPath, "impossible de démarrer le programme " + program + " (" +
                                std::strerror(spawned) + ")");
    const std::optional<int> status = WaitFor(child, limit);
    if (status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
        return;
    RemoveTarget(target);
    if (!status)
        Unreadable(jetPath, "pas de réponse en " + std::to_string(limit.count()) + " ms");
    if (WIFSIGNALED(*status))
        Unreadable(jetPath, "le fichier est endommagé (la lecture s'est arrêtée sur le signal " +
                                std::to_string(WTERMSIG(*status)) + ")");
    Unreadable(jetPath, "le fichier est endommagé ou n'est pas un fichier Access");
}

} // namespace jet
