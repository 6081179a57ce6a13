#include "platform/win/FileSearch.h"

#include "platform/win/Codepage.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace win {

std::string NormalizePath(std::string_view path)
{
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

namespace {

// A folder's path as the start of its files' paths: slashes, and one at the end.
std::string PrefixOf(const std::string& folder)
{
    std::string prefix = NormalizePath(folder);
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';
    return prefix;
}

bool SoughtName(const std::string& name)
{
    return !name.empty() && name.find_first_of("/\\*?") == std::string::npos;
}

// Of the folder's names equal to the name ignoring case, given in byte order, the plain file to
// take. Two names that differ only in case can lie side by side here: the exact one wins, then
// the first in byte order, so that the choice does not depend on the directory's order.
std::optional<std::string> Choose(const std::string& prefix, std::vector<std::string> matches,
                                  const std::string& name)
{
    auto exact = std::find(matches.begin(), matches.end(), name);
    if (exact != matches.end())
        std::rotate(matches.begin(), exact, exact + 1);
    for (const auto& match : matches) {
        struct stat info;
        const std::string path = prefix + match;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            return path;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> FindFileIgnoringCase(const std::string& folder, const std::string& name)
{
    if (!SoughtName(name))
        return std::nullopt;
    const std::string prefix = PrefixOf(folder);
    DIR* dir = opendir(prefix.empty() ? "." : prefix.c_str());
    if (!dir)
        return std::nullopt;
    // The name as spelt wins whenever it is a plain file, so a large folder is read only for the
    // names spelt in another case (a counter lookup shows a picture at each keystroke).
    struct stat info;
    const std::string exact = prefix + name;
    if (stat(exact.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        closedir(dir);
        return exact;
    }
    std::vector<std::string> matches;
    while (const dirent* entry = readdir(dir)) {
        if (EqualsIgnoringCase(entry->d_name, name))
            matches.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(matches.begin(), matches.end());
    return Choose(prefix, std::move(matches), name);
}

FolderIndex::FolderIndex(const std::string& folder) : prefix_(PrefixOf(folder))
{
    DIR* dir = opendir(prefix_.empty() ? "." : prefix_.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir))
        names_[CaseFoldKey(entry->d_name)].emplace_back(entry->d_name);
    closedir(dir);
    for (auto& [key, names] : names_)
        std::sort(names.begin(), names.end());
}

void FolderIndex::Add(const std::string& name)
{
    std::vector<std::string>& names = names_[CaseFoldKey(name)];
    const auto place = std::lower_bound(names.begin(), names.end(), name);
    if (place == names.end() || *place != name)
        names.insert(place, name);
}

std::optional<std::string> FolderIndex::Find(const std::string& name) const
{
    if (!SoughtName(name))
        return std::nullopt;
    const auto found = names_.find(CaseFoldKey(name));
    if (found == names_.end())
        return std::nullopt;
    return Choose(prefix_, found->second, name);
}

std::optional<std::string> ResolvePathIgnoringCase(std::string_view path)
{
    const std::string normalized = NormalizePath(path);
    if (normalized.empty())
        return std::nullopt;
    struct stat info;
    if (stat(normalized.c_str(), &info) == 0)
        return normalized;
    const auto slash = normalized.rfind('/');
    if (slash == std::string::npos)
        return FindFileIgnoringCase("", normalized);
    return FindFileIgnoringCase(slash == 0 ? "/" : normalized.substr(0, slash),
                                normalized.substr(slash + 1));
}

} // namespace win
