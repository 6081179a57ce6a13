#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace win {

// Backslashes become slashes.
std::string NormalizePath(std::string_view path);

// The full path, as spelt on disk, of the plain file of the folder whose name equals the given
// name without regard to case; nothing when there is none, the name holds a folder separator or a
// wildcard, or the folder cannot be read.
std::optional<std::string> FindFileIgnoringCase(const std::string& folder, const std::string& name);

// The names of one folder, read once, for a task that looks up many names in the same folder:
// Find makes the choice FindFileIgnoringCase makes, without reading the folder again.
class FolderIndex
{
public:
    explicit FolderIndex(const std::string& folder);

    std::optional<std::string> Find(const std::string& name) const;
    // A file the task has just written into the folder.
    void Add(const std::string& name);
    // The folder's path, ending with a slash (empty for the current folder).
    const std::string& Prefix() const { return prefix_; }

private:
    std::string prefix_;
    // The names that are equal ignoring case, in byte order, under their common key.
    std::unordered_map<std::u32string, std::vector<std::string>> names_;
};

// The path (backslashes allowed) when it exists as spelt; else the path with its last part
// replaced by the plain file of that folder whose name matches without regard to case; nothing
// when neither exists.
std::optional<std::string> ResolvePathIgnoringCase(std::string_view path);

} // namespace win
