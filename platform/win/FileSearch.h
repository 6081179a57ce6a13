#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace win {

// Backslashes become slashes.
std::string NormalizePath(std::string_view path);

// The full path, as spelt on disk, of the plain file of the folder whose name equals the given
// name without regard to case; nothing when there is none, the name holds a folder separator or a
// wildcard, or the folder cannot be read.
std::optional<std::string> FindFileIgnoringCase(const std::string& folder, const std::string& name);

// The path (backslashes allowed) when it exists as spelt; else the path with its last part
// replaced by the plain file of that folder whose name matches without regard to case; nothing
// when neither exists.
std::optional<std::string> ResolvePathIgnoringCase(std::string_view path);

} // namespace win
