#pragma once
// The copy of an Access file made by the program jetcopie, in a process of its own: the reader
// of outside files may crash or loop on a damaged file, and then only that process goes.

#include <chrono>
#include <string>

namespace jet {

// How long a copy may take before it is given up.
inline constexpr std::chrono::seconds CopyTimeLimit{120};

// The jetcopie program: the one beside the running program, unless another was set.
std::string CopierProgram();
// Uses another jetcopie program (tests run from their own folders); empty puts back the default.
void SetCopierProgram(std::string path);

// Copies the Access file into a new database file at target through jetcopie, as
// CopyToDatabase does. Raises vb::Error 0x80004005 when the file cannot be read: jetcopie
// failed, crashed or took longer than the limit. Nothing of a failed copy is left at target.
void CopyApart(const std::string& jetPath, const std::string& target,
               std::chrono::milliseconds limit = CopyTimeLimit);

} // namespace jet
