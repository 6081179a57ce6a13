#pragma once

#include <string>
#include <vector>

namespace win {

// Starts the program detached (it outlives us and is never waited for) in the working folder.
// False when the program cannot be found or run or the folder does not exist.
bool StartProcess(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workingDir);

// Opens a file or an address with the desktop's program for it; false when that cannot start.
bool ShellOpen(const std::string& fileOrAddress);

} // namespace win
