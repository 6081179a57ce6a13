// Where the store lives (one rule from the environment and the password database), which hives
// it trusts, and a store found where earlier releases kept it.

#include "platform/registry/Registry.h"
#include "tests/platform/registry/EventSocket.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kVariables[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME",
                                  "VARDEX_REGISTRY_ROOT", "VARDEX_EVENTLOG_SOCKET"};

// A home of its own, the environment's variables of the store saved and restored.
class StoreLocation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
        char pattern[] = "/tmp/store-location-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_home = pattern;
        ::setenv("HOME", m_home.c_str(), 1);
    }
    void TearDown() override
    {
        m_events.Close();
        for (std::size_t i = 0; i < m_saved.size(); ++i) {
            if (m_saved[i])
                ::setenv(kVariables[i], m_saved[i]->c_str(), 1);
            else
                ::unsetenv(kVariables[i]);
        }
        fs::remove_all(m_home);
    }

    std::string defaultRoot() const { return m_home + "/.local/share/vardex/registry"; }

    // A hive of the local machine holding Software\Probe in `folder`.
    static void plantHive(const std::string& folder)
    {
        fs::create_directories(folder);
        std::ofstream(folder + "/HKEY_LOCAL_MACHINE.reg") << "[Software\\Probe]\n\"v\"=1,\"x\"\n";
    }

    static LONG openProbe()
    {
        HKEY key = nullptr;
        const LONG status = RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Probe", 0, KEY_READ, &key);
        if (status == ERROR_SUCCESS)
            RegCloseKey(key);
        return status;
    }

    // The event log's socket, bound in the home.
    void listenForEvents() { m_events.Listen(m_home + "/log.socket"); }
    std::vector<std::string> events() const { return m_events.Records(); }

    std::string m_home;
    EventSocket m_events;
    std::vector<std::optional<std::string>> m_saved;
};

std::string passwordHome()
{
    const passwd* entry = ::getpwuid(::getuid());
    return entry ? entry->pw_dir : "";
}

TEST_F(StoreLocation, OneRuleFromTheDataFolder)
{
    struct Case
    {
        const char* what;
        std::optional<std::string> home, dataHome, configHome;
        std::string root; // with "~" for the test's home
    };
    const std::string pw = passwordHome() + "/.local/share/vardex/registry";
    const std::vector<Case> cases = {
        {"defaults", "~", std::nullopt, std::nullopt, "~/.local/share/vardex/registry"},
        {"data folder set", "~", "~/data", std::nullopt, "~/data/vardex/registry"},
        {"data folder at its default", "~", "~/.local/share", std::nullopt,
         "~/.local/share/vardex/registry"},
        {"relative data folder ignored", "~", "data", std::nullopt,
         "~/.local/share/vardex/registry"},
        {"configuration folder set", "~", std::nullopt, "~/config",
         "~/.local/share/vardex/registry"},
        {"configuration folder at its default", "~", std::nullopt, "~/.config",
         "~/.local/share/vardex/registry"},
        {"no HOME: the password database", std::nullopt, std::nullopt, std::nullopt, pw},
        {"relative HOME: the password database", "home", std::nullopt, std::nullopt, pw},
    };
    const auto expand = [&](std::string text) {
        if (text.rfind('~', 0) == 0)
            text.replace(0, 1, m_home);
        return text;
    };
    const auto set = [&](const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, expand(*value).c_str(), 1);
        else
            ::unsetenv(name);
    };
    for (const Case& c : cases) {
        set("HOME", c.home);
        set("XDG_DATA_HOME", c.dataHome);
        set("XDG_CONFIG_HOME", c.configHome);
        EXPECT_EQ(registry::rootFolder(), expand(c.root)) << c.what;
    }
    ::unsetenv("HOME");
    EXPECT_NE(registry::rootFolder().rfind("/tmp/", 0), 0u) << "never a folder any user can take";
}

TEST_F(StoreLocation, AHiveOthersCouldChangeIsDenied)
{
    struct Case
    {
        const char* what;
        std::string path; // below the home
        mode_t mode;
        bool foreignOwner;
    };
    const std::vector<Case> cases = {
        {"group-writable store", ".local/share/vardex/registry", 0770, false},
        {"group-writable hive", ".local/share/vardex/registry/HKEY_LOCAL_MACHINE.reg", 0664, false},
        {"others may write a folder above", ".local", 0757, false},
        {"store owned by another user", ".local/share/vardex/registry", 0700, true},
    };
    for (const Case& c : cases) {
        plantHive(defaultRoot());
        const std::string path = m_home + "/" + c.path;
        struct stat before
        {
        };
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        ASSERT_EQ(openProbe(), ERROR_SUCCESS) << c.what;
        ::chmod(path.c_str(), c.mode);
        if (c.foreignOwner && ::chown(path.c_str(), 65534, 65534) != 0)
            continue; // not allowed to give it away here
        EXPECT_EQ(openProbe(), ERROR_ACCESS_DENIED) << c.what;
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Other", 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_ACCESS_DENIED)
            << c.what;
        EXPECT_FALSE(registry::isTrusted(defaultRoot() + "/HKEY_LOCAL_MACHINE.reg")) << c.what;
        if (c.foreignOwner) {
            ASSERT_EQ(::chown(path.c_str(), before.st_uid, before.st_gid), 0);
        }
        ::chmod(path.c_str(), before.st_mode & 07777);
        fs::remove_all(m_home + "/.local");
    }
}

TEST_F(StoreLocation, TheStoreMadeHereIsTrustedWhateverTheUmask)
{
    const mode_t previous = ::umask(0);
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Probe", 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ::umask(previous);
    EXPECT_EQ(openProbe(), ERROR_SUCCESS);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(defaultRoot().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(StoreLocation, AStoreInItsFormerFolderIsUsedAndReportedOnce)
{
    listenForEvents();
    ::setenv("XDG_CONFIG_HOME", (m_home + "/config").c_str(), 1);
    const std::string former = m_home + "/config/vardex/registry";
    plantHive(former);
    EXPECT_EQ(registry::rootFolder(), former);
    EXPECT_EQ(openProbe(), ERROR_SUCCESS);
    const std::vector<std::string> records = events();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].find(former), std::string::npos) << records[0];
    EXPECT_NE(records[0].find(defaultRoot()), std::string::npos) << records[0];

    // Once the store exists where the rule puts it, that one is used.
    plantHive(defaultRoot());
    std::ofstream(defaultRoot() + "/HKEY_LOCAL_MACHINE.reg") << "[Software\\Elsewhere]\n";
    EXPECT_EQ(registry::rootFolder(), defaultRoot());
    EXPECT_EQ(openProbe(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(events().empty());
}

} // namespace
