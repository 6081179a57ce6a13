#pragma once
// A fresh, empty registry store in a temporary folder for each test.

#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

class RegistryFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Under TMPDIR: ctest gives the tests a folder of the build tree.
        std::string pattern = std::filesystem::temp_directory_path() / "registry-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        ::setenv("VARDEX_REGISTRY_ROOT", m_root.c_str(), 1);
        registry::clearDeniedAccess();
    }
    void TearDown() override
    {
        registry::clearDeniedAccess();
        ::unsetenv("VARDEX_REGISTRY_ROOT");
        std::filesystem::remove_all(m_root);
    }

    static bool keyExists(HKEY hive, const std::string& path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyEx(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    // A text value (without its terminating zero), or nothing when key or value is missing.
    static std::optional<std::string> readText(HKEY hive, const std::string& path,
                                               const char* name = nullptr, DWORD* type = nullptr)
    {
        HKEY key = nullptr;
        if (RegOpenKeyEx(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        char buffer[4096];
        DWORD size = sizeof buffer;
        DWORD valueType = 0;
        LONG status =
            RegQueryValueEx(key, name, nullptr, &valueType, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        if (type)
            *type = valueType;
        std::string text(buffer, size);
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        return text;
    }

    static void writeText(HKEY hive, const std::string& path, const char* name,
                          const std::string& text, DWORD type = REG_SZ)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyEx(hive, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                 nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    std::string m_root;
};
