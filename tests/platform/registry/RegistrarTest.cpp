#include "platform/registry/Registrar.h"

#include "tests/platform/registry/RegistryFixture.h"

#include <cstring>

namespace {

using Registrar = RegistryFixture;

const char* const topicsScript = R"(
HKCR
{
    VeltrixEnterprise.Topics.1 = s 'Topics Class'
    {
        CLSID = s '{76FD994A-C9E8-11D3-9BEE-00902743CC7A}'
    }
    VeltrixEnterprise.Topics = s 'Topics Class'
    {
        CLSID = s '{76FD994A-C9E8-11D3-9BEE-00902743CC7A}'
        CurVer = s 'VeltrixEnterprise.Topics.1'
    }
    NoRemove CLSID
    {
        ForceRemove {76FD994A-C9E8-11D3-9BEE-00902743CC7A} = s 'Topics Class'
        {
            ProgID = s 'VeltrixEnterprise.Topics.1'
            VersionIndependentProgID = s 'VeltrixEnterprise.Topics'
            ForceRemove 'Programmable'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Both'
            }
            'TypeLib' = s '{76FD9938-C9E8-11D3-9BEE-00902743CC7A}'
        }
    }
}
)";

const std::string classKey = "CLSID\\{76FD994A-C9E8-11D3-9BEE-00902743CC7A}";
const registry::Replacements module = {{"MODULE", "/opt/veltrix/lib/libvardex.so"}};

TEST_F(Registrar, RegisterWritesTheClassAndProgramIdentifierKeys)
{
    ASSERT_EQ(registry::runScript(topicsScript, true, module), S_OK);
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, classKey), "Topics Class");
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32"),
              "/opt/veltrix/lib/libvardex.so");
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "ThreadingModel"), "Both");
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, classKey + "\\TypeLib"),
              "{76FD9938-C9E8-11D3-9BEE-00902743CC7A}");
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, classKey + "\\Programmable"));
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, "VeltrixEnterprise.Topics\\CurVer"),
              "VeltrixEnterprise.Topics.1");
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, "VeltrixEnterprise.Topics.1\\CLSID"),
              "{76FD994A-C9E8-11D3-9BEE-00902743CC7A}");
}

TEST_F(Registrar, ForceRemoveDropsWhatAnEarlierRegistrationLeft)
{
    writeText(HKEY_CLASSES_ROOT, classKey + "\\LocalServer32", nullptr, "/old/server");
    writeText(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "Stale", "yes");
    ASSERT_EQ(registry::runScript(topicsScript, true, module), S_OK);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey + "\\LocalServer32"));
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "Stale"), std::nullopt);
    // Registering twice gives the same keys.
    ASSERT_EQ(registry::runScript(topicsScript, true, module), S_OK);
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, classKey + "\\ProgID"), "VeltrixEnterprise.Topics.1");
}

TEST_F(Registrar, DeleteRemovesAKeyOnRegistrationOnly)
{
    writeText(HKEY_CLASSES_ROOT, "Old.ProgId\\CLSID", nullptr, "{x}");
    const char* script = "HKCR { Delete Old.ProgId New.ProgId = s 'New' }";
    ASSERT_EQ(registry::runScript(script, true, module), S_OK);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "Old.ProgId"));
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, "New.ProgId"), "New");
    writeText(HKEY_CLASSES_ROOT, "Old.ProgId", nullptr, "back");
    ASSERT_EQ(registry::runScript(script, false, module), S_OK);
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, "Old.ProgId"), "back");
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "New.ProgId"));
}

TEST_F(Registrar, UnregisterRemovesTheScriptsKeysAndSparesOthers)
{
    writeText(HKEY_CLASSES_ROOT, "CLSID\\{00000000-1111-2222-3333-444444444444}", nullptr, "Other");
    ASSERT_EQ(registry::runScript(topicsScript, true, module), S_OK);
    // Something else was added below a program identifier key after registration.
    writeText(HKEY_CLASSES_ROOT, "VeltrixEnterprise.Topics.1\\Insertable", nullptr, "");

    ASSERT_EQ(registry::runScript(topicsScript, false, module), S_OK);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "VeltrixEnterprise.Topics"));
    // NoRemove keeps CLSID, and the other class below it.
    EXPECT_EQ(readText(HKEY_CLASSES_ROOT, "CLSID\\{00000000-1111-2222-3333-444444444444}"),
              "Other");
    // A key that still holds a foreign subkey stays; the script's own subkey inside it goes.
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "VeltrixEnterprise.Topics.1\\Insertable"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "VeltrixEnterprise.Topics.1\\CLSID"));

    // Unregistering what is not there succeeds.
    EXPECT_EQ(registry::runScript(topicsScript, false, module), S_OK);
    // An emptied NoRemove key still stays.
    RegDeleteTree(HKEY_CLASSES_ROOT, "CLSID\\{00000000-1111-2222-3333-444444444444}");
    EXPECT_EQ(registry::runScript(topicsScript, false, module), S_OK);
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, "CLSID"));
}

TEST_F(Registrar, ValueTypesAndSubstitution)
{
    const char* script = R"(
HKLM
{
    NoRemove Software
    {
        'Halvorn Software'
        {
            val Level = d '4294967295'
            val Mask = d '0x100'
            val Blob = b '00FF10'
            val Folder = e '%%HOME%%/logs'
            val Quote = s 'it''s %NAME% at 100%%'
        }
    }
}
)";
    ASSERT_EQ(registry::runScript(script, true, {{"NAME", "Vardex"}}), S_OK);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD number = 0;
    DWORD size = sizeof number;
    DWORD type = 0;
    ASSERT_EQ(
        RegQueryValueEx(key, "Level", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(number, 0xFFFFFFFFu);
    size = sizeof number;
    ASSERT_EQ(RegQueryValueEx(key, "Mask", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(number, 0x100u);
    BYTE blob[8];
    size = sizeof blob;
    ASSERT_EQ(RegQueryValueEx(key, "Blob", nullptr, &type, blob, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    ASSERT_EQ(size, 3u);
    EXPECT_EQ(std::memcmp(blob, "\x00\xFF\x10", 3), 0);
    RegCloseKey(key);
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software", "Folder", &type),
              "%HOME%/logs");
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(readText(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software", "Quote"),
              "it's Vardex at 100%");

    ASSERT_EQ(registry::runScript(script, false, {{"NAME", "Vardex"}}), S_OK);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "Software\\Halvorn Software"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "Software"));
}

TEST_F(Registrar, MalformedScriptsWriteNothing)
{
    const char* const scripts[] = {
        "HKCR { Key = s 'unterminated }",
        "HKCR { Key = s 'a' ",                  // missing closing brace
        "HKCR { Key = q 'a' }",                 // unknown type
        "HKCR { Key = s '%UNKNOWN%' }",         // no such replacement
        "HKXX { Key = s 'a' }",                 // no such hive
        "HKCR { Key { val = s 'a' } }",         // value without a name
        "HKCR { Key = d 'twelve' }",            // not a number
        "HKCR { Key = b '0' }",                 // odd hex digits
        "HKCR { val Top = s 'a' }",             // a value outside a key
        "HKCR { First = s 'a' } HKCR { Second", // the second root is broken
    };
    for (const char* script : scripts) {
        EXPECT_EQ(registry::runScript(script, true, module), DISP_E_EXCEPTION) << script;
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "Key")) << script;
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, "First")) << script;
    }
}

TEST_F(Registrar, DeniedWritesFailRegistration)
{
    registry::denyAccess(HKEY_CLASSES_ROOT, "CLSID", registry::Access::Write);
    EXPECT_EQ(registry::runScript(topicsScript, true, module), E_ACCESSDENIED);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKey));
}

} // namespace
