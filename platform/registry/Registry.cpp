#include "platform/registry/Registry.h"

#include "platform/registry/Ascii.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/eventlog/EventLog.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// An open key: the hive it lives in, its path below the hive and the access it was opened with.
struct HKEY__
{
    HKEY hive;
    std::vector<std::string> path;
    REGSAM access;
};

namespace {

const REGSAM readRights = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;
const REGSAM writeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

using ascii::hexDigit;

// Names compare by their folded form.
std::string fold(std::string_view name)
{
    return ascii::lower(name);
}

struct Value
{
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

struct Key
{
    std::string name;
    std::vector<Value> values;                           // in creation order
    std::map<std::string, std::unique_ptr<Key>> subkeys; // by folded name

    Key* find(std::string_view child) const
    {
        auto it = subkeys.find(fold(child));
        return it == subkeys.end() ? nullptr : it->second.get();
    }
    std::vector<Value>::iterator valuePosition(std::string_view valueName)
    {
        std::string folded = fold(valueName);
        return std::find_if(values.begin(), values.end(),
                            [&](const Value& v) { return fold(v.name) == folded; });
    }
    Value* findValue(std::string_view valueName)
    {
        auto it = valuePosition(valueName);
        return it == values.end() ? nullptr : &*it;
    }
};

// ----- file format -----
// One line per key: "[" components joined by "\" "]", followed by its values, one per line:
// "name"=type,"text" for zero-terminated texts without embedded zeros, else "name"=type,hex:...
// Names and texts are percent-encoded where they hold %, the delimiters or control characters.

std::string encode(std::string_view text, std::string_view special)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c == '%' || special.find(static_cast<char>(c)) != std::string_view::npos) {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool decode(std::string_view text, std::string* out)
{
    out->clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            *out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        int hi = hexDigit(text[i + 1]);
        int lo = hexDigit(text[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        *out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

bool isText(const Value& v)
{
    return !v.data.empty() && v.data.back() == '\0' && v.data.find('\0') == v.data.size() - 1;
}

void writeKey(std::ostream& out, const Key& key, std::string& path, bool isRoot)
{
    if (!isRoot || !key.values.empty()) {
        out << '[' << path << "]\n";
        for (const Value& v : key.values) {
            out << '"' << encode(v.name, "\"") << "\"=" << v.type << ',';
            if (isText(v)) {
                out << '"' << encode(std::string_view(v.data).substr(0, v.data.size() - 1), "\"")
                    << "\"\n";
            } else {
                static const char digits[] = "0123456789abcdef";
                out << "hex:";
                for (unsigned char c : v.data)
                    out << digits[c >> 4] << digits[c & 15];
                out << '\n';
            }
        }
    }
    for (const auto& [folded, child] : key.subkeys) {
        std::size_t length = path.size();
        if (!isRoot)
            path += '\\';
        path += encode(child->name, "\\[]");
        writeKey(out, *child, path, false);
        path.resize(length);
    }
}

Key* descend(Key& root, const std::vector<std::string>& path, bool create)
{
    Key* key = &root;
    for (const std::string& component : path) {
        Key* child = key->find(component);
        if (!child) {
            if (!create)
                return nullptr;
            auto made = std::make_unique<Key>();
            made->name = component;
            child = made.get();
            key->subkeys[fold(component)] = std::move(made);
        }
        key = child;
    }
    return key;
}

std::vector<std::string> split(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// A malformed file reads as far as it is well formed; the rest is dropped.
void parse(std::istream& in, Key& root)
{
    Key* current = &root;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                return;
            std::vector<std::string> path;
            for (const std::string& encoded : split(line.substr(1, line.size() - 2))) {
                std::string component;
                // A key name holding a zero or a backslash could never be opened by name.
                if (!decode(encoded, &component) ||
                    component.find_first_of(std::string_view("\0\\", 2)) != std::string::npos)
                    return;
                path.push_back(component);
            }
            current = descend(root, path, true);
            continue;
        }
        if (line.front() != '"')
            return;
        std::size_t close = line.find('"', 1);
        std::size_t comma = close == std::string::npos ? close : line.find(',', close);
        if (comma == std::string::npos || line.compare(close, 2, "\"=") != 0)
            return;
        Value v;
        if (!decode(std::string_view(line).substr(1, close - 1), &v.name))
            return;
        v.type = static_cast<DWORD>(std::strtoul(line.c_str() + close + 2, nullptr, 10));
        std::string_view data = std::string_view(line).substr(comma + 1);
        if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
            if (!decode(data.substr(1, data.size() - 2), &v.data))
                return;
            v.data += '\0';
        } else if (data.substr(0, 4) == "hex:") {
            if (!ascii::appendHexBytes(data.substr(4), &v.data))
                return;
        } else {
            return;
        }
        current->values.push_back(std::move(v));
    }
}

// ----- hives -----

const char* hiveName(HKEY hive)
{
    if (hive == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (hive == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (hive == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    return nullptr;
}

bool isPredefined(HKEY key)
{
    return hiveName(key) != nullptr;
}

bool isFolder(const std::string& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// An entry that only its user (or root) can have changed: owned by one of them, not writable by
// group or others. A sticky folder (/tmp) lets others add entries, not replace those of others.
bool trustedEntry(const struct stat& info)
{
    if (info.st_uid != ::getuid() && info.st_uid != 0)
        return false;
    if (S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX))
        return true;
    return (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Runs `work` on the hive's tree under the hive's lock; a change is written back through a
// temporary file and a rename, so that readers never see a half-written hive.
template <class Work> LONG withHive(HKEY hive, bool write, Work work)
{
    namespace fs = std::filesystem;
    const fs::path folder = registry::rootFolder();
    if (folder.empty())
        return write ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
    std::string name = hiveName(hive);
    if (write)
        registry::makePrivateFolders(folder);
    fs::path lockPath = folder / (name + ".lock");
    fs::path filePath = folder / (name + ".reg");
    // A hive that someone else could have planted or changed is not read.
    if (!registry::isTrusted(filePath))
        return ERROR_ACCESS_DENIED;

    int lockFd = ::open(lockPath.c_str(), (write ? O_CREAT : 0) | O_RDWR | O_CLOEXEC, 0644);
    if (lockFd < 0 && write)
        return ERROR_CANTWRITE;
    if (lockFd >= 0) {
        while (::flock(lockFd, write ? LOCK_EX : LOCK_SH) != 0 && errno == EINTR) {
        }
    }

    Key root;
    {
        std::ifstream in(filePath, std::ios::binary);
        if (in)
            parse(in, root);
    }
    bool changed = false;
    LONG result = work(root, changed);
    if (write && changed && result == ERROR_SUCCESS) {
        std::ostringstream text;
        std::string path;
        writeKey(text, root, path, true);
        std::ostringstream tempName;
        tempName << name << ".reg.tmp." << ::getpid() << '.'
                 << std::hash<std::thread::id>()(std::this_thread::get_id());
        fs::path tempPath = folder / tempName.str();
        // Writable by its user only, whatever the umask: a hive others could write is not read.
        const std::string bytes = text.str();
        const int out = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (out < 0 || ::fchmod(out, 0644) != 0 ||
            ::write(out, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            result = ERROR_CANTWRITE;
        if (out >= 0)
            ::close(out);
        if (result == ERROR_SUCCESS && ::rename(tempPath.c_str(), filePath.c_str()) != 0)
            result = ERROR_CANTWRITE;
        if (result != ERROR_SUCCESS)
            ::unlink(tempPath.c_str());
    }
    if (lockFd >= 0) {
        ::flock(lockFd, LOCK_UN);
        ::close(lockFd);
    }
    return result;
}

// ----- handles and the access seam -----

std::mutex g_lock;
std::set<HKEY> g_handles;

struct Denial
{
    HKEY hive;
    std::vector<std::string> path; // folded
    registry::Access access;
};
std::vector<Denial> g_denials;

// Resolves a handle (predefined or opened) to its hive and path; false for an invalid handle.
bool resolve(HKEY key, HKEY* hive, std::vector<std::string>* path, REGSAM* access)
{
    if (isPredefined(key)) {
        *hive = key;
        path->clear();
        *access = KEY_ALL_ACCESS;
        return true;
    }
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_handles.count(key))
        return false;
    *hive = key->hive;
    *path = key->path;
    *access = key->access;
    return true;
}

bool denied(HKEY hive, const std::vector<std::string>& path, REGSAM wanted)
{
    std::lock_guard<std::mutex> guard(g_lock);
    for (const Denial& d : g_denials) {
        if (d.hive != hive || d.path.size() > path.size())
            continue;
        if (!std::equal(d.path.begin(), d.path.end(), path.begin(),
                        [](const std::string& a, const std::string& b) { return a == fold(b); }))
            continue;
        bool read = (static_cast<int>(d.access) & static_cast<int>(registry::Access::Read)) &&
                    (wanted & readRights);
        bool write = (static_cast<int>(d.access) & static_cast<int>(registry::Access::Write)) &&
                     (wanted & writeRights);
        if (read || write)
            return true;
    }
    return false;
}

// The handle's rights and the seam both allow `wanted` on the key.
LONG check(HKEY hive, const std::vector<std::string>& path, REGSAM granted, REGSAM wanted)
{
    if ((granted & wanted & (readRights | writeRights)) != (wanted & (readRights | writeRights)))
        return ERROR_ACCESS_DENIED;
    return denied(hive, path, wanted) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

HKEY makeHandle(HKEY hive, std::vector<std::string> path, REGSAM access)
{
    HKEY handle = new HKEY__{hive, std::move(path), access};
    std::lock_guard<std::mutex> guard(g_lock);
    g_handles.insert(handle);
    return handle;
}

// Resolves a handle and a subkey below it (null or empty for the key itself) to the hive and
// the subkey's path.
bool resolveSubKey(HKEY key, const char* subKey, HKEY* hive, std::vector<std::string>* path,
                   REGSAM* granted)
{
    if (!resolve(key, hive, path, granted))
        return false;
    if (subKey)
        for (std::string& part : split(subKey))
            path->push_back(std::move(part));
    return true;
}

// Runs `work` on the node of an open key under the hive's lock, once the handle's rights and the
// seam allow `wanted`; ERROR_KEY_DELETED when the key has gone since it was opened.
template <class Work> LONG withKey(HKEY key, REGSAM wanted, bool write, Work work)
{
    HKEY hive;
    std::vector<std::string> path;
    REGSAM granted;
    if (!resolve(key, &hive, &path, &granted))
        return ERROR_INVALID_HANDLE;
    if (LONG status = check(hive, path, granted, wanted); status != ERROR_SUCCESS)
        return status;
    return withHive(hive, write, [&](Key& root, bool& changed) {
        Key* k = descend(root, path, false);
        return k ? work(*k, changed) : ERROR_KEY_DELETED;
    });
}

// Copies a name into a caller's buffer of *size characters (zero included).
LONG copyName(const std::string& name, char* buffer, DWORD* size)
{
    if (!buffer || !size)
        return ERROR_INVALID_PARAMETER;
    if (name.size() + 1 > *size)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Copies a value's bytes into a caller's buffer of *dataSize bytes (data null: only the size is
// asked for); *dataSize gets the size of the data.
LONG copyData(const Value& v, BYTE* data, DWORD* dataSize)
{
    DWORD size = static_cast<DWORD>(v.data.size());
    LONG status = ERROR_SUCCESS;
    if (data) {
        if (*dataSize < size)
            status = ERROR_MORE_DATA;
        else
            std::memcpy(data, v.data.data(), size);
    }
    if (dataSize)
        *dataSize = size;
    return status;
}

} // namespace

std::string registry::homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && *found->pw_dir == '/')
        return found->pw_dir;
    return std::string();
}

std::string registry::dataHome()
{
    // A relative base directory is invalid and ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return data;
    const std::string home = homeFolder();
    return home.empty() ? home : home + "/.local/share";
}

namespace {

// Where earlier releases kept the store: under the configuration folder, or under the data
// folder's default while XDG_DATA_HOME was not followed.
std::vector<std::string> formerRoots(const std::string& home)
{
    std::vector<std::string> roots;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        roots.push_back(std::string(config) + "/vardex/registry");
    if (!home.empty()) {
        roots.push_back(home + "/.config/vardex/registry");
        roots.push_back(home + "/.local/share/vardex/registry");
    }
    return roots;
}

// One record a process for a store found in its former folder.
void reportFormerRoot(const std::string& former, const std::string& root)
{
    static std::mutex reported;
    static std::set<std::string> roots;
    {
        std::lock_guard<std::mutex> guard(reported);
        if (!roots.insert(former).second)
            return;
    }
    const std::string text = "The registry store is read from its former folder " + former +
                             "; its folder is now " + root + ".";
    if (HANDLE_EVENTLOG source = RegisterEventSourceA(nullptr, "vardex-registry")) {
        const char* strings[] = {text.c_str()};
        ReportEventA(source, EVENTLOG_WARNING_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
        DeregisterEventSource(source);
    }
}

} // namespace

void registry::makePrivateFolders(const std::string& folder)
{
    std::filesystem::path made;
    for (const auto& part : std::filesystem::path(folder)) {
        made /= part;
        ::mkdir(made.c_str(), 0700);
    }
}

bool registry::isTrusted(const std::string& path)
{
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    if (error)
        return false;
    // Missing entries at the end of the path are judged by the folders that would hold them.
    for (; !resolved.empty(); resolved = resolved.parent_path()) {
        struct stat info
        {
        };
        if (::stat(resolved.c_str(), &info) == 0) {
            if (!trustedEntry(info))
                return false;
        } else if (errno != ENOENT) {
            return false;
        }
        if (resolved == resolved.root_path())
            break;
    }
    return true;
}

std::string registry::rootFolder()
{
    if (const char* root = std::getenv("VARDEX_REGISTRY_ROOT"); root && *root == '/')
        return root;
    const std::string data = dataHome();
    if (data.empty())
        return data;
    const std::string root = data + "/vardex/registry";
    if (isFolder(root))
        return root;
    for (const std::string& former : formerRoots(homeFolder()))
        if (former != root && isFolder(former)) {
            reportFormerRoot(former, root);
            return former;
        }
    return root;
}

void registry::denyAccess(HKEY hive, std::string_view keyPath, Access access)
{
    std::vector<std::string> path;
    for (const std::string& part : split(keyPath))
        path.push_back(fold(part));
    std::lock_guard<std::mutex> guard(g_lock);
    g_denials.push_back({hive, std::move(path), access});
}

void registry::clearDeniedAccess()
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_denials.clear();
}

namespace {
// Opens a handle with `access` on a subkey once `work(root, changed, hive, path, granted)`, run
// under the hive's lock, has found (or made) the key and allowed it.
template <class Work>
LONG openSubKey(HKEY key, const char* subKey, REGSAM access, bool write, HKEY* result, Work work)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    HKEY hive;
    std::vector<std::string> path;
    REGSAM granted;
    if (!resolveSubKey(key, subKey, &hive, &path, &granted))
        return ERROR_INVALID_HANDLE;
    LONG status = withHive(hive, write, [&](Key& root, bool& changed) {
        return work(root, changed, hive, path, granted);
    });
    if (status == ERROR_SUCCESS)
        *result = makeHandle(hive, std::move(path), access);
    return status;
}
} // namespace

LSTATUS RegOpenKeyEx(HKEY key, const char* subKey, DWORD, REGSAM access, HKEY* result)
{
    return openSubKey(
        key, subKey, access, false, result,
        [&](Key& root, bool&, HKEY hive, const std::vector<std::string>& path, REGSAM) {
            if (!descend(root, path, false))
                return ERROR_FILE_NOT_FOUND;
            return denied(hive, path, access) ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
        });
}

LSTATUS RegCreateKeyEx(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM access,
                       SECURITY_ATTRIBUTES*, HKEY* result, DWORD* disposition)
{
    // Missing keys of the path are made where creation is allowed.
    const auto create = [&](Key& root, bool& changed, HKEY hive,
                            const std::vector<std::string>& path, REGSAM granted) {
        bool exists = descend(root, path, false) != nullptr;
        if (!exists) {
            if (denied(hive, path, KEY_CREATE_SUB_KEY) ||
                (!isPredefined(key) && !(granted & KEY_CREATE_SUB_KEY)))
                return ERROR_ACCESS_DENIED;
            descend(root, path, true);
            changed = true;
        }
        if (denied(hive, path, access))
            return ERROR_ACCESS_DENIED;
        if (disposition)
            *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
        return ERROR_SUCCESS;
    };
    return openSubKey(key, subKey, access, true, result, create);
}

LSTATUS RegCloseKey(HKEY key)
{
    if (isPredefined(key))
        return ERROR_SUCCESS;
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_handles.erase(key))
        return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueEx(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data,
                        DWORD* dataSize)
{
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    return withKey(key, KEY_QUERY_VALUE, false, [&](Key& k, bool&) {
        Value* v = k.findValue(valueName ? valueName : "");
        if (!v)
            return ERROR_FILE_NOT_FOUND;
        if (type)
            *type = v->type;
        return copyData(*v, data, dataSize);
    });
}

LSTATUS RegSetValueEx(HKEY key, const char* valueName, DWORD, DWORD type, const BYTE* data,
                      DWORD dataSize)
{
    if (!data && dataSize)
        return ERROR_INVALID_PARAMETER;
    return withKey(key, KEY_SET_VALUE, true, [&](Key& k, bool& changed) {
        std::string name = valueName ? valueName : "";
        Value* v = k.findValue(name);
        if (!v) {
            k.values.push_back({name, REG_NONE, {}});
            v = &k.values.back();
        }
        v->type = type;
        v->data.assign(reinterpret_cast<const char*>(data), dataSize);
        changed = true;
        return ERROR_SUCCESS;
    });
}

LSTATUS RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD*, char* keyClass,
                     DWORD* keyClassSize, FILETIME*)
{
    return withKey(key, KEY_ENUMERATE_SUB_KEYS, false, [&](Key& k, bool&) {
        if (index >= k.subkeys.size())
            return ERROR_NO_MORE_ITEMS;
        auto it = std::next(k.subkeys.begin(), index);
        if (keyClass && keyClassSize && *keyClassSize) {
            keyClass[0] = '\0';
            *keyClassSize = 0;
        }
        return copyName(it->second->name, name, nameSize);
    });
}

LSTATUS RegEnumValue(HKEY key, DWORD index, char* valueName, DWORD* valueNameSize, DWORD*,
                     DWORD* type, BYTE* data, DWORD* dataSize)
{
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    return withKey(key, KEY_QUERY_VALUE, false, [&](Key& k, bool&) {
        if (index >= k.values.size())
            return ERROR_NO_MORE_ITEMS;
        const Value& v = k.values[index];
        LONG status = copyName(v.name, valueName, valueNameSize);
        if (status != ERROR_SUCCESS)
            return status;
        if (type)
            *type = v.type;
        return copyData(v, data, dataSize);
    });
}

namespace {
LONG deleteKey(HKEY key, const char* subKey, bool tree)
{
    if (!subKey || !*subKey)
        return ERROR_INVALID_PARAMETER;
    HKEY hive;
    std::vector<std::string> path;
    REGSAM granted;
    if (!resolveSubKey(key, subKey, &hive, &path, &granted))
        return ERROR_INVALID_HANDLE;
    if (path.empty())
        return ERROR_INVALID_PARAMETER;
    return withHive(hive, true, [&](Key& root, bool& changed) {
        std::vector<std::string> parentPath(path.begin(), path.end() - 1);
        Key* parent = descend(root, parentPath, false);
        Key* k = parent ? parent->find(path.back()) : nullptr;
        if (!k)
            return ERROR_FILE_NOT_FOUND;
        if (denied(hive, path, KEY_SET_VALUE) || (!tree && !k->subkeys.empty()))
            return ERROR_ACCESS_DENIED;
        parent->subkeys.erase(fold(path.back()));
        changed = true;
        return ERROR_SUCCESS;
    });
}
} // namespace

LSTATUS RegDeleteKey(HKEY key, const char* subKey)
{
    return deleteKey(key, subKey, false);
}

LSTATUS RegDeleteTree(HKEY key, const char* subKey)
{
    return deleteKey(key, subKey, true);
}

LSTATUS RegDeleteValue(HKEY key, const char* valueName)
{
    return withKey(key, KEY_SET_VALUE, true, [&](Key& k, bool& changed) {
        auto it = k.valuePosition(valueName ? valueName : "");
        if (it == k.values.end())
            return ERROR_FILE_NOT_FOUND;
        k.values.erase(it);
        changed = true;
        return ERROR_SUCCESS;
    });
}

namespace {
// This host by its name, with or without the leading backslashes.
bool isLocalMachine(std::string_view name)
{
    while (!name.empty() && name.front() == '\\')
        name.remove_prefix(1);
    char host[256] = {};
    return gethostname(host, sizeof host - 1) == 0 && ascii::equalNoCase(name, host);
}
} // namespace

LSTATUS RegConnectRegistry(const char* machineName, HKEY hive, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (!isPredefined(hive))
        return ERROR_INVALID_HANDLE;
    if (machineName && *machineName && !isLocalMachine(machineName))
        return ERROR_BAD_NETPATH;
    *result = hive;
    return ERROR_SUCCESS;
}
