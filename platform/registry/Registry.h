#pragma once
// The registry store: hives of keys and typed values kept in files, with the Win32-style calls.
// Each hive is one file under the store's root (registry::rootFolder). A hive that another user
// could have planted or changed (see registry::isTrusted) answers ERROR_ACCESS_DENIED. Every call
// reads the hive under a lock file (flock) and every change rewrites it through a temporary file
// and a rename, so that processes share the store safely. Key and value names compare without
// regard to case (ASCII); subkeys enumerate in case-insensitive name order, values in creation
// order. Names and texts are UTF-8.

#include "platform/wintypes/Types.h"

#include <string>
#include <string_view>

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;
using LSTATUS = LONG;
struct FILETIME;

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr LONG ERROR_BAD_NETPATH = 53;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_CANTREAD = 1012;
inline constexpr LONG ERROR_CANTWRITE = 1013;
inline constexpr LONG ERROR_KEY_DELETED = 1018;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

struct SECURITY_ATTRIBUTES
{
    DWORD nLength;
    void* lpSecurityDescriptor;
    BOOL bInheritHandle;
};

// Opens hive\subKey (an empty or null subKey opens a new handle on the key itself).
// ERROR_FILE_NOT_FOUND when the key is missing, ERROR_ACCESS_DENIED when denied.
COM_API LSTATUS RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access,
                             HKEY* result);
// Creates the missing keys of the path; disposition tells REG_CREATED_NEW_KEY or
// REG_OPENED_EXISTING_KEY. The class, options and security attributes are accepted and ignored.
COM_API LSTATUS RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass,
                               DWORD options, REGSAM access, SECURITY_ATTRIBUTES* security,
                               HKEY* result, DWORD* disposition);
COM_API LSTATUS RegCloseKey(HKEY key);
// Null or empty name: the key's default value. With data null only type and size are returned;
// with a buffer too small for the data, ERROR_MORE_DATA and the size needed in *dataSize.
COM_API LSTATUS RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                                BYTE* data, DWORD* dataSize);
// Stores the bytes as given (a REG_SZ text includes its terminating zero).
COM_API LSTATUS RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type,
                              const BYTE* data, DWORD dataSize);
// nameSize: buffer size in characters on entry, name length without the zero on return;
// ERROR_MORE_DATA when the name does not fit, ERROR_NO_MORE_ITEMS past the last subkey.
COM_API LSTATUS RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                             char* keyClass, DWORD* keyClassSize, FILETIME* lastWriteTime);
COM_API LSTATUS RegEnumValue(HKEY key, DWORD index, char* valueName, DWORD* valueNameSize,
                             DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
// Deletes a key without subkeys (ERROR_ACCESS_DENIED while it has some, as the platform does).
COM_API LSTATUS RegDeleteKey(HKEY key, const char* subKey);
// Deletes a key with all its subkeys and values.
COM_API LSTATUS RegDeleteTree(HKEY key, const char* subKey);
COM_API LSTATUS RegDeleteValue(HKEY key, const char* valueName);
// The local machine (null or empty name, or this host's name) gives the hive itself; the store has
// no remote machines, so any other name gives ERROR_BAD_NETPATH.
COM_API LSTATUS RegConnectRegistry(const char* machineName, HKEY hive, HKEY* result);

namespace registry {

// The user's home: $HOME when it is an absolute path, else the password database's entry;
// empty when neither gives one.
std::string homeFolder();
// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else ~/.local/share;
// empty without a home.
std::string dataHome();
// The folder that holds the hive files: $VARDEX_REGISTRY_ROOT when it is an absolute path, else
// <data folder>/vardex/registry. While that folder is missing, a store kept where earlier
// releases put it (<configuration folder>/vardex/registry, ~/.local/share/vardex/registry) is
// used, and one event-log record a process says so. Empty without a home.
std::string rootFolder();
// Whether only the user could have made or changed the file or folder: it and every folder above
// it are owned by the user or root and not writable by group or others (a sticky folder such as
// /tmp excepted). A missing path is judged by the folders that would hold it.
bool isTrusted(const std::string& path);
// Makes the missing folders of a path, each for its user only (0700).
void makePrivateFolders(const std::string& folder);

// Test seam: denies read or write access to a key and everything below it (the process runs as
// a user whom file permissions would not stop). Denied reads fail opening for reading and
// enumeration; denied writes fail creation, setting and deletion.
enum class Access { Read = 1, Write = 2, ReadWrite = 3 };
void denyAccess(HKEY hive, std::string_view keyPath, Access access);
void clearDeniedAccess();

} // namespace registry
