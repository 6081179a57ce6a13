#include "tests/platform/registry/RegistryFixture.h"

#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using RegistryStore = RegistryFixture;

HKEY create(HKEY hive, const char* path, REGSAM access = KEY_ALL_ACCESS,
            DWORD* disposition = nullptr)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                             disposition),
              ERROR_SUCCESS);
    return key;
}

std::vector<std::string> subkeys(HKEY key)
{
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        LONG status = RegEnumKeyEx(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        EXPECT_EQ(status, ERROR_SUCCESS);
        if (status != ERROR_SUCCESS)
            break;
        names.emplace_back(name, size);
    }
    return names;
}

TEST_F(RegistryStore, ValuesKeepTypeAndBytesInTheHiveFile)
{
    struct Case
    {
        const char* name;
        DWORD type;
        std::string data;
    };
    const DWORD allBits = 0xFFFFFFFFu;
    const std::vector<Case> cases = {
        {"Text", REG_SZ, std::string("Halvorn Software\0", 17)},
        {"Expand", REG_EXPAND_SZ, std::string("%HOME%\\logs\0", 12)},
        {"Number", REG_DWORD, std::string(reinterpret_cast<const char*>(&allBits), 4)},
        {"Binary", REG_BINARY, std::string("\x00\x01\xFF\x00\n\"%", 7)},
        {"", REG_SZ, std::string("default\0", 8)},
        {"Empty", REG_SZ, std::string()},
        {"we\"ird %41 name\n", REG_SZ, std::string("line1\nline2 \"q\" 100%\0", 22)},
    };
    HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0\\Logging");
    for (const Case& c : cases)
        ASSERT_EQ(RegSetValueEx(key, c.name, 0, c.type,
                                reinterpret_cast<const BYTE*>(c.data.data()),
                                static_cast<DWORD>(c.data.size())),
                  ERROR_SUCCESS)
            << c.name;
    RegCloseKey(key);

    // Read back through a new handle: everything went through the file.
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0\\Logging", 0,
                           KEY_READ, &key),
              ERROR_SUCCESS);
    for (const Case& c : cases) {
        char buffer[64];
        DWORD size = sizeof buffer;
        DWORD type = 0;
        ASSERT_EQ(
            RegQueryValueEx(key, c.name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS)
            << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(std::string(buffer, size), c.data) << c.name;
    }
    // Values enumerate in creation order, with their names as written.
    for (DWORD i = 0; i < cases.size(); ++i) {
        char name[64];
        DWORD nameSize = sizeof name;
        ASSERT_EQ(RegEnumValue(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::string(name, nameSize), cases[i].name);
    }
    char name[64];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumValue(key, static_cast<DWORD>(cases.size()), name, &nameSize, nullptr, nullptr,
                           nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryStore, QueryReportsSizeAndRefusesASmallBuffer)
{
    writeText(HKEY_LOCAL_MACHINE, "Software\\Big", "Value", std::string(2000, 'x'));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Big", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD size = 0;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Value", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2001u);
    EXPECT_EQ(type, REG_SZ);

    std::vector<BYTE> small(1024);
    size = static_cast<DWORD>(small.size());
    EXPECT_EQ(RegQueryValueEx(key, "Value", nullptr, &type, small.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 2001u);

    char name[8];
    DWORD nameSize = sizeof name;
    BYTE data[16];
    DWORD dataSize = sizeof data;
    EXPECT_EQ(RegEnumValue(key, 0, name, &nameSize, nullptr, &type, data, &dataSize),
              ERROR_MORE_DATA);
    EXPECT_EQ(RegQueryValueEx(key, "Missing", nullptr, &type, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryStore, NamesIgnoreCaseAndKeepTheirFirstSpelling)
{
    DWORD disposition = 0;
    HKEY key =
        create(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    key =
        create(HKEY_LOCAL_MACHINE, "SOFTWARE\\halvorn software\\8.0", KEY_ALL_ACCESS, &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(key);

    writeText(HKEY_LOCAL_MACHINE, "software\\HALVORN SOFTWARE\\8.0", "Folder", "first");
    writeText(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0", "FOLDER", "second");
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, "SoftWare\\Halvorn Software\\8.0", "folder"), "second");

    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(subkeys(key), std::vector<std::string>{"Halvorn Software"});
    RegCloseKey(key);
    ASSERT_EQ(
        RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0", 0, KEY_READ, &key),
        ERROR_SUCCESS);
    char name[32];
    DWORD nameSize = sizeof name;
    ASSERT_EQ(RegEnumValue(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "Folder");
    nameSize = sizeof name;
    EXPECT_EQ(RegEnumValue(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryStore, SubkeysEnumerateInNameOrderWhateverTheirCreation)
{
    for (const char* name : {"Strings", "beta", "Alpha", "CLSID", "alpha2"})
        RegCloseKey(create(HKEY_CLASSES_ROOT, (std::string("Root\\") + name).c_str()));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "Root", 0, KEY_ENUMERATE_SUB_KEYS, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys(key),
              (std::vector<std::string>{"Alpha", "alpha2", "beta", "CLSID", "Strings"}));
    char tiny[4];
    DWORD size = sizeof tiny;
    EXPECT_EQ(RegEnumKeyEx(key, 0, tiny, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    RegCloseKey(key);

    // A key without subkeys enumerates nothing.
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "Root\\beta", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_TRUE(subkeys(key).empty());
    RegCloseKey(key);
}

TEST_F(RegistryStore, DeniedAccessIsDistinctFromMissing)
{
    writeText(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0\\Shared Tools", "Path", "/opt");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Nobody", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);

    registry::denyAccess(HKEY_LOCAL_MACHINE, "software\\halvorn software", registry::Access::Read);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0\\Shared Tools", 0,
                           KEY_READ, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0\\Missing", 0,
                           KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    // Keys beside the denied one stay readable; a sibling with a longer name is not inside it.
    writeText(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software Two", "Path", "/srv");
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software Two", "Path"), "/srv");
    registry::clearDeniedAccess();

    registry::denyAccess(HKEY_LOCAL_MACHINE, "", registry::Access::Write);
    // Reading goes on; creating, setting and deleting are refused.
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0\\Shared Tools", "Path"),
              "/opt");
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\New", 0, nullptr, 0, KEY_WRITE, nullptr,
                             &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0", 0, nullptr, 0,
                             KEY_WRITE, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0\\Shared Tools", 0,
                           KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD one = 1;
    EXPECT_EQ(RegSetValueEx(key, "Path", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4),
              ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteTree(HKEY_LOCAL_MACHINE, "Software"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software\\8.0\\Shared Tools", "Path"),
              "/opt");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "Software\\New"));
}

TEST_F(RegistryStore, HandleRightsLimitWhatAHandleMayDo)
{
    RegCloseKey(create(HKEY_CURRENT_USER, "Software\\App"));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\App", 0, KEY_READ, &key), ERROR_SUCCESS);
    const char text[] = "x";
    EXPECT_EQ(RegSetValueEx(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 2),
              ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\App", 0, KEY_WRITE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 2),
              ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryStore, DeletionOfKeysAndValues)
{
    writeText(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32", nullptr, "/lib/a.so");
    writeText(HKEY_CLASSES_ROOT, "CLSID\\{A}", "Extra", "1");
    HKEY open = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32", 0, KEY_READ, &open),
              ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "CLSID\\{A}"), ERROR_ACCESS_DENIED); // has subkeys
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, "CLSID\\{B}"), ERROR_FILE_NOT_FOUND);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID\\{a}", 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "extra"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "extra"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "clsid\\{a}"), ERROR_SUCCESS);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "CLSID\\{A}"));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "CLSID"));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(open, nullptr, nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    RegCloseKey(open);
}

TEST_F(RegistryStore, WritersInSeparateProcessesLoseNoUpdate)
{
    constexpr int processes = 4;
    constexpr int values = 60;
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            for (int v = 0; v < values; ++v) {
                HKEY key = nullptr;
                if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, nullptr, 0, KEY_WRITE,
                                   nullptr, &key, nullptr) != ERROR_SUCCESS) {
                    ++failures;
                    continue;
                }
                std::string name = "p" + std::to_string(p) + "_" + std::to_string(v);
                DWORD number = static_cast<DWORD>(p * 1000 + v);
                if (RegSetValueEx(key, name.c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&number), 4) != ERROR_SUCCESS)
                    ++failures;
                // A key of its own per process as well, so that key creation races too.
                HKEY own = nullptr;
                std::string path = "Software\\Shared\\Process" + std::to_string(p);
                if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE,
                                   nullptr, &own, nullptr) == ERROR_SUCCESS)
                    RegCloseKey(own);
                else
                    ++failures;
                RegCloseKey(key);
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    std::set<std::string> seen;
    for (DWORD i = 0;; ++i) {
        char name[32];
        DWORD nameSize = sizeof name;
        DWORD number = 0;
        DWORD size = sizeof number;
        DWORD type = 0;
        LONG status = RegEnumValue(key, i, name, &nameSize, nullptr, &type,
                                   reinterpret_cast<BYTE*>(&number), &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        int p = 0;
        int v = 0;
        ASSERT_EQ(std::sscanf(name, "p%d_%d", &p, &v), 2);
        EXPECT_EQ(number, static_cast<DWORD>(p * 1000 + v));
        seen.insert(name);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(processes * values));
    EXPECT_EQ(subkeys(key).size(), static_cast<std::size_t>(processes));
    RegCloseKey(key);
}

TEST_F(RegistryStore, OnlyTheLocalMachineCanBeConnected)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegConnectRegistry(nullptr, HKEY_LOCAL_MACHINE, &key), ERROR_SUCCESS);
    EXPECT_EQ(key, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RegConnectRegistry("reportserver", HKEY_LOCAL_MACHINE, &key), ERROR_BAD_NETPATH);
    EXPECT_EQ(key, nullptr);
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(RegConnectRegistry((std::string("\\\\") + host).c_str(), HKEY_LOCAL_MACHINE, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(key, HKEY_LOCAL_MACHINE);
}

TEST_F(RegistryStore, KeyNamesThatCouldNotBeOpenedAreRefused)
{
    for (const char* name : {"bad%00name", "bad%5Cname"}) {
        std::filesystem::create_directories(m_root);
        {
            std::ofstream hive(m_root + "/HKEY_LOCAL_MACHINE.reg");
            hive << "[Software\\Good]\n\"v\"=1,\"ok\"\n[Software\\" << name << "]\n";
        }
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
        // Every subkey that enumerates can be opened by its name, and the walk ends.
        char subkey[256];
        DWORD index = 0;
        for (DWORD size = sizeof subkey; RegEnumKeyEx(key, index, subkey, &size, nullptr, nullptr,
                                                      nullptr, nullptr) == ERROR_SUCCESS;
             size = sizeof subkey, ++index) {
            HKEY child = nullptr;
            EXPECT_EQ(RegOpenKeyEx(key, subkey, 0, KEY_READ, &child), ERROR_SUCCESS) << name;
            RegCloseKey(child);
        }
        EXPECT_EQ(index, 1u) << name;
        RegCloseKey(key);
    }
}

} // namespace
