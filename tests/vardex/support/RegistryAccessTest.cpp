#include "vardex/support/registry.h"

#include "AssertRecorder.h"
#include "SupportFixture.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kVersioned = "Software\\Halvorn Software\\8.0\\Tool";
const std::string kOlder = "Software\\Halvorn Software\\Tool";

using RegistryAccessTest = SupportFixture;

TEST_F(RegistryAccessTest, ValuesReadAsText)
{
    writeNumber(kVersioned, "All", 0xFFFFFFFF);
    writeText(HKEY_LOCAL_MACHINE, kVersioned, "Expand", "%VX_TEST_FOLDER%/logs", REG_EXPAND_SZ);
    writeText(HKEY_LOCAL_MACHINE, kVersioned, "Long", std::string(300, 'a') + "%VX_TEST_FOLDER%",
              REG_EXPAND_SZ);
    writeText(HKEY_LOCAL_MACHINE, kVersioned, "Big", std::string(2000, 'b'));
    writeText(HKEY_LOCAL_MACHINE, kVersioned, "Binary", "xyz", REG_BINARY);
    ::setenv("VX_TEST_FOLDER", "/var/data", 1);
    AssertRecorder recorder;
    Registry key(HKEY_LOCAL_MACHINE, kVersioned.c_str());
    EXPECT_EQ(key.ReadValue("All"), "4294967295");
    EXPECT_EQ(key.ReadValue("Expand"), "/var/data/logs");
    EXPECT_EQ(key.ReadValue("Big"), std::string(2000, 'b').c_str()) << "a second, larger query";
    EXPECT_EQ(key.ReadValue("Binary"), "");
    EXPECT_EQ(key.ReadValue("Missing"), "");
    EXPECT_TRUE(recorder.Reports().empty());
    EXPECT_EQ(key.ReadValue("Long"), "");
    EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"numChars && numChars <= 260"});
    DWORD type = 0;
    EXPECT_TRUE(key.QueryValue("All", type));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_FALSE(Registry(HKEY_LOCAL_MACHINE, "Software\\Nothing").KeyExists());
}

TEST_F(RegistryAccessTest, MissingValuesAreCopiedForwardWithTheirType)
{
    writeNumber(kOlder, "Count", 7);
    writeText(HKEY_LOCAL_MACHINE, kOlder, "Name", "old");
    CompanyRegistry company("Tool");
    EXPECT_EQ(company.ReadValue("Count"), "7");
    EXPECT_EQ(company.ReadValue("Name"), "old");
    DWORD type = 0;
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, kVersioned, "Count", &type).value_or(""),
              std::string("\7\0\0", 3));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, kVersioned, "Name", &type), "old");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(company.ReadValue("Missing"), "");
}

TEST_F(RegistryAccessTest, EnumerationsFallBackToTheOlderKey)
{
    writeText(HKEY_LOCAL_MACHINE, kOlder + "\\One", "v", "1");
    writeText(HKEY_LOCAL_MACHINE, kOlder + "\\Two", "v", "2");
    CompanyRegistry company("Tool");
    std::vector<std::string> names;
    for (auto keys = company.Keys(); !keys.AtEnd(); keys.Next())
        names.push_back(keys.Name().GetString());
    EXPECT_EQ(names, (std::vector<std::string>{"One", "Two"}));

    Registry::KeyIterator none = Registry(HKEY_LOCAL_MACHINE, (kOlder + "\\One").c_str()).Keys();
    EXPECT_TRUE(none.AtEnd());
    EXPECT_EQ(none.Name(), "");
}

TEST_F(RegistryAccessTest, ValueEnumerationEndsAtAValueTooLarge)
{
    writeText(HKEY_LOCAL_MACHINE, kVersioned, "a", "1");
    writeText(HKEY_LOCAL_MACHINE, kVersioned, "b", std::string(1100, 'x'));
    writeText(HKEY_LOCAL_MACHINE, kVersioned, "c", "3");
    std::vector<std::string> names;
    for (auto values = Registry(HKEY_LOCAL_MACHINE, kVersioned.c_str()).Values(); !values.AtEnd();
         values.Next())
        names.push_back(values.Name().GetString());
    EXPECT_EQ(names, std::vector<std::string>{"a"});
}

TEST_F(RegistryAccessTest, MovingOntoAnOpenIteratorIsReportedAndClosesIt)
{
    writeText(HKEY_LOCAL_MACHINE, kVersioned + "\\One", "v", "1");
    writeText(HKEY_LOCAL_MACHINE, kVersioned, "v", "1");
    Registry key(HKEY_LOCAL_MACHINE, kVersioned.c_str());
    AssertRecorder recorder;
    Registry::KeyIterator keys = key.Keys();
    keys = key.Keys(); // the first handle is reported and closed (the leak check sees it)
    EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"m_enumKey == 0"});
    EXPECT_EQ(keys.Name(), "One");
    Registry::ValueIterator values = key.Values();
    values = Registry::ValueIterator();
    EXPECT_EQ(recorder.Expressions(),
              (std::vector<std::string>{"m_enumKey == 0", "m_enumValue == 0"}));
}

TEST_F(RegistryAccessTest, DefaultsAreWrittenWhereTheyCanBe)
{
    Registry key(HKEY_LOCAL_MACHINE, kVersioned.c_str());
    EXPECT_EQ(key.ReadValue("Count", uint32_t(22)), "22");
    EXPECT_EQ(key.ReadValue("Path", SString("/opt")), "/opt");
    EXPECT_EQ(key.ReadValue("Path", SString("/other")), "/opt");

    AssertRecorder recorder;
    registry::denyAccess(HKEY_LOCAL_MACHINE, kVersioned, registry::Access::Write);
    EXPECT_EQ(key.ReadValue("Denied", SString("x")), "");
    EXPECT_EQ(recorder.Reports().size(), 1u);
    registry::denyAccess(HKEY_LOCAL_MACHINE, kVersioned, registry::Access::Read);
    EXPECT_EQ(key.ReadValue("Count"), "");
    EXPECT_EQ(recorder.Reports().back().information,
              "RegOpenKeyEx(" + kVersioned + ") failed. Error code: 5");
    EXPECT_FALSE(key.KeyExists());
    EXPECT_EQ(recorder.Reports().back().information, "KeyExists failed. Access Denied");
}

TEST_F(RegistryAccessTest, AStoreOthersCouldWriteIsAccessDenied)
{
    writeText(HKEY_LOCAL_MACHINE, kVersioned, "v", "1");
    Registry key(HKEY_LOCAL_MACHINE, kVersioned.c_str());
    ASSERT_EQ(key.ReadValue("v"), "1");
    ::chmod(m_root.c_str(), 0770);
    AssertRecorder recorder;
    EXPECT_EQ(key.ReadValue("v"), "");
    ::chmod(m_root.c_str(), 0700);
    ASSERT_EQ(recorder.Reports().size(), 1u);
    EXPECT_EQ(recorder.Reports()[0].expression, "0");
    EXPECT_EQ(recorder.Reports()[0].information,
              "RegOpenKeyEx(" + kVersioned + ") failed. Error code: 5");
}

TEST_F(RegistryAccessTest, ValuesAreSharedBetweenProcesses)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Registry key(HKEY_LOCAL_MACHINE, kVersioned.c_str());
        _exit(key.WriteValue("FromChild", uint32_t(42)) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Registry(HKEY_LOCAL_MACHINE, kVersioned.c_str()).ReadValue("FromChild"), "42");
}

TEST_F(RegistryAccessTest, OnlyThisMachineCanBeConnected)
{
    writeText(HKEY_LOCAL_MACHINE, kVersioned, "v", "here");
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    Registry local(HKEY_LOCAL_MACHINE, kVersioned.c_str());
    EXPECT_TRUE(local.ConnectTo((std::string("\\\\") + host).c_str()));
    EXPECT_EQ(local.ReadValue("v"), "here");
    Registry remote(HKEY_LOCAL_MACHINE, kVersioned.c_str());
    EXPECT_FALSE(remote.ConnectTo("elsewhere.invalid"));
    EXPECT_EQ(remote.MachineName(), "elsewhere.invalid");
}

TEST(SharedToolsRegistry, SectionPaths)
{
    SharedToolsRegistry strings("Strings");
    EXPECT_EQ(strings.KeyPath(), "Software\\Halvorn Software\\8.0\\Shared Tools\\Strings");
    EXPECT_EQ(strings.SubkeyPath(), "Shared Tools\\Strings");
    EXPECT_EQ(SharedToolsRegistry().KeyPath(), "Software\\Halvorn Software\\8.0\\Shared Tools");
}

} // namespace
