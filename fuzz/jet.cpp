// Access files of suppliers, copied into a database file of the program as a catalogue import
// does: the header check, then the copy of every table.
//
// The copy runs in this process, so that the fuzzer sees its coverage. Files that crash mdbtools
// itself (corpus/jet-isolated) are replayed with FUZZ_JET_ISOLATED=1: each copy then runs in a
// child process, as the program runs the reading of a supplier file, where a crash or a time-out
// is a refused file; this process only checks that it survives and that a copy the child reports
// complete opens as a database.

#include "platform/jet/Jet.h"
#include "fuzz/FuzzSupport.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Error.h"

#include <sanitizer/common_interface_defs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr unsigned int ChildSeconds = 30;

void RemoveCopy(const std::string& target)
{
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(target + suffix, ignored);
}

// 0 when the file is copied, 1 when it is refused.
int Copy(const std::string& source, const std::string& target)
{
    if (!jet::IsJetFile(source))
        return 1;
    try {
        jet::CopyToDatabase(source, target);
        return 0;
    } catch (const vb::Error&) {
        return 1;
    }
}

void CopyInChild(const std::string& source, const std::string& target)
{
    const pid_t child = fork();
    if (child < 0)
        std::abort();
    if (child == 0) {
        // The child's end, whatever it is, is the refusal of the file, not a finding of the
        // fuzzer: its crash handlers are the system's.
        __sanitizer_set_death_callback(nullptr);
        for (int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGILL, SIGFPE, SIGALRM})
            std::signal(sig, SIG_DFL);
        alarm(ChildSeconds);
        _exit(Copy(source, target));
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        ado::Connection copy;
        copy.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + target);
        copy.Close();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool isolated = [] {
        const char* value = std::getenv("FUZZ_JET_ISOLATED");
        return value && std::string_view(value) == "1";
    }();
    const std::string source = fuzz::WriteFile("catalogue.mdb", fuzz::Text(data, size));
    const std::string target = fuzz::Folder() + "/copie.MDB";
    RemoveCopy(target);
    if (isolated)
        CopyInChild(source, target);
    else
        Copy(source, target);
    RemoveCopy(target);
    return 0;
}
