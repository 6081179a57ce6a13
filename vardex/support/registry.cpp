#include "vardex/support/registry.h"

#include "platform/reslib/Kernel.h"
#include "vardex/support/sassert.h"
#include "vardex/support/sheap.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kBufferSize = 1024;      // first query of a value, enumeration buffers
constexpr DWORD kExpandedMaxChars = 260; // room for an expanded REG_EXPAND_SZ

const char* const kCompanyKey = "Software\\Halvorn Software\\8.0";
const char* const kOlderCompanyKey = "Software\\Halvorn Software";

void ReportFailure(const char* call, const SString& keyPath, LSTATUS code)
{
    SString text(call);
    text += "(";
    text += keyPath;
    text += ") failed. Error code: ";
    text.AppendNumber(int32_t(code));
    LogAssert(__FILE__, SASSERT_STR(__LINE__), "0", text.GetString());
}

// The text of value data of a type (see Registry::ReadValue); `where` names the caller in the
// report of an expansion that does not fit.
SString DataToText(DWORD type, const BYTE* data, DWORD size, const char* where)
{
    switch (type) {
    case REG_SZ:
        return SString(reinterpret_cast<const char*>(data), int32_t(size)).GetString();
    case REG_DWORD: {
        if (size < sizeof(DWORD))
            return SString();
        DWORD number = 0;
        std::memcpy(&number, data, sizeof number);
        return SStringConv::ToString(uint32_t(number));
    }
    case REG_EXPAND_SZ: {
        const SString raw(SString(reinterpret_cast<const char*>(data), int32_t(size)).GetString());
        char expanded[kExpandedMaxChars];
        const DWORD numChars =
            ExpandEnvironmentStringsA(raw.GetString(), expanded, kExpandedMaxChars);
        if (!(numChars && numChars <= kExpandedMaxChars)) {
            SString info(where);
            info += ": Buffer is not big enough to accomodate expanded string from registry";
            LogAssert(__FILE__, SASSERT_STR(__LINE__), "numChars && numChars <= 260",
                      info.GetString());
            return SString();
        }
        return SString(expanded);
    }
    default:
        return SString();
    }
}

} // namespace

// ----- iterators -----

Registry::EnumerationKey::EnumerationKey(EnumerationKey&& other) noexcept
    : handle(std::exchange(other.handle, nullptr)), index(other.index)
{
}

Registry::EnumerationKey& Registry::EnumerationKey::operator=(EnumerationKey&& other) noexcept
{
    if (this != &other) {
        Close(); // a handle still held is closed, not leaked
        handle = std::exchange(other.handle, nullptr);
        index = other.index;
    }
    return *this;
}

void Registry::EnumerationKey::Close()
{
    if (handle)
        RegCloseKey(std::exchange(handle, nullptr));
}

Registry::KeyIterator::KeyIterator(HKEY key) : m_enumKey(key)
{
    Next();
}

Registry::KeyIterator& Registry::KeyIterator::operator=(KeyIterator&& other) noexcept
{
    // clang-format off
    SASSERT_TEXT(m_enumKey.handle == nullptr, "m_enumKey == 0", "You are consuming into a non-empty KeyIterator. This will leak the REG_HANDLE.");
    // clang-format on
    m_name = std::move(other.m_name);
    m_enumKey = std::move(other.m_enumKey);
    return *this;
}

void Registry::KeyIterator::Next()
{
    if (m_enumKey.handle) {
        char name[kBufferSize];
        DWORD nameSize = kBufferSize;
        if (RegEnumKeyEx(m_enumKey.handle, m_enumKey.index, name, &nameSize, nullptr, nullptr,
                         nullptr, nullptr) == ERROR_SUCCESS) {
            m_name = SString(name, int32_t(nameSize));
            ++m_enumKey.index;
            return;
        }
        m_enumKey.Close();
    }
    m_name = SString();
}

Registry::ValueIterator::ValueIterator(HKEY key) : m_enumValue(key)
{
    Next();
}

Registry::ValueIterator& Registry::ValueIterator::operator=(ValueIterator&& other) noexcept
{
    // clang-format off
    SASSERT_TEXT(m_enumValue.handle == nullptr, "m_enumValue == 0", "You are consuming into a non empty ValueIterator. This will leak the REG_HANDLE.");
    // clang-format on
    m_value = std::move(other.m_value);
    m_name = std::move(other.m_name);
    m_enumValue = std::move(other.m_enumValue);
    return *this;
}

void Registry::ValueIterator::Next()
{
    if (m_enumValue.handle) {
        char name[kBufferSize];
        DWORD nameSize = kBufferSize;
        BYTE data[kBufferSize];
        DWORD dataSize = kBufferSize;
        DWORD type = REG_NONE;
        if (RegEnumValue(m_enumValue.handle, m_enumValue.index, name, &nameSize, nullptr, &type,
                         data, &dataSize) == ERROR_SUCCESS) {
            m_name = SString(name, int32_t(nameSize));
            // Values of other types leave the text as it was.
            if (type == REG_SZ || type == REG_DWORD || type == REG_EXPAND_SZ)
                m_value = DataToText(type, data, dataSize, "Registry::ValueIterator::NextValue");
            ++m_enumValue.index;
            return;
        }
        m_enumValue.Close();
    }
    m_name = SString();
    m_value = SString();
}

// ----- Registry -----

Registry::Registry(HKEY rootKey, const SString& keyPath) : m_keyPath(keyPath), m_rootKey(rootKey) {}

Registry::~Registry()
{
    if (m_ownsRootKey)
        RegCloseKey(m_rootKey);
}

bool Registry::ConnectTo(const char* machineName)
{
    if (!machineName)
        return false;
    m_machineName = machineName;
    const char* name = machineName;
    while (*name == '\\')
        ++name;
    const SString remote = SString("\\\\") + name;
    HKEY connection = nullptr;
    if (RegConnectRegistry(remote.GetString(), HKEY_LOCAL_MACHINE, &connection) != ERROR_SUCCESS)
        return false;
    if (m_ownsRootKey)
        RegCloseKey(m_rootKey);
    m_rootKey = connection;
    m_ownsRootKey = true;
    return true;
}

HKEY Registry::Open(REGSAM access) const
{
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyEx(m_rootKey, m_keyPath.GetString(), 0, access, &key);
    if (status == ERROR_ACCESS_DENIED)
        ReportFailure("RegOpenKeyEx", m_keyPath, status);
    return status == ERROR_SUCCESS ? key : nullptr;
}

bool Registry::KeyExists() const
{
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyEx(m_rootKey, m_keyPath.GetString(), 0, KEY_READ, &key);
    if (status == ERROR_ACCESS_DENIED)
        LogAssert(__FILE__, SASSERT_STR(__LINE__), "false", "KeyExists failed. Access Denied");
    if (status != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

SString Registry::ReadValue(const char* name) const
{
    HKEY key = Open(KEY_READ);
    if (!key)
        return SString();
    BYTE buffer[kBufferSize];
    DWORD size = kBufferSize;
    DWORD type = REG_NONE;
    SString result;
    LSTATUS status = RegQueryValueEx(key, name, nullptr, &type, buffer, &size);
    if (status == ERROR_SUCCESS) {
        result = DataToText(type, buffer, size, "Registry::ReadValue");
    } else if (status == ERROR_MORE_DATA) {
        std::vector<BYTE, SHeapAllocator<BYTE>> large(size);
        if (RegQueryValueEx(key, name, nullptr, &type, large.data(), &size) == ERROR_SUCCESS &&
            type == REG_SZ)
            result = DataToText(type, large.data(), size, "Registry::ReadValue");
    }
    RegCloseKey(key);
    return result;
}

bool Registry::QueryValue(const char* name, DWORD& type) const
{
    HKEY key = Open(KEY_READ);
    if (!key)
        return false;
    DWORD size = 0;
    RegQueryValueEx(key, name, nullptr, &type, nullptr, &size);
    RegCloseKey(key);
    return !ReadValue(name).IsEmpty();
}

bool Registry::WriteValue(const char* name, const char* text)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    LSTATUS status =
        RegCreateKeyEx(m_rootKey, m_keyPath.GetString(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_WRITE, nullptr, &key, &disposition);
    if (status != ERROR_SUCCESS) {
        ReportFailure("RegCreateKeyEx", m_keyPath, status);
        return false;
    }
    const SString value(text);
    status = RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.GetString()),
                           DWORD(value.GetLength() + 1));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        ReportFailure("RegSetValueEx", m_keyPath, status);
    return status == ERROR_SUCCESS;
}

bool Registry::WriteValue(const char* name, uint32_t value)
{
    // Default security, as for texts: the keys name libraries that the process loads, so an
    // access list open to every user would let anyone have a library loaded.
    HKEY key = nullptr;
    DWORD disposition = 0;
    LSTATUS status =
        RegCreateKeyEx(m_rootKey, m_keyPath.GetString(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_WRITE, nullptr, &key, &disposition);
    if (status != ERROR_SUCCESS) {
        ReportFailure("RegCreateKeyEx", m_keyPath, status);
        return false;
    }
    const DWORD number = value;
    status = RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                           sizeof number);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        ReportFailure("RegSetValueEx", m_keyPath, status);
    return status == ERROR_SUCCESS;
}

SString Registry::ReadValue(const char* name, const SString& defaultValue)
{
    SString retval = ReadValue(name);
    if (!retval.IsEmpty())
        return retval;
    if (defaultValue.IsEmpty() || !WriteValue(name, defaultValue.GetString()))
        return SString();
    retval = ReadValue(name);
    // clang-format off
    SASSERT_INFO(defaultValue == retval, "Registry::ReadValue: Value written to registry not the same as the default value");
    // clang-format on
    return retval;
}

SString Registry::ReadValue(const char* name, uint32_t defaultValue)
{
    SString retval = ReadValue(name);
    if (!retval.IsEmpty())
        return retval;
    if (!WriteValue(name, defaultValue))
        return SString();
    retval = ReadValue(name);
    // clang-format off
    SASSERT_INFO(retval == SStringConv::ToString(defaultValue), "Registry::ReadValue: Value written to registry not the same as the default value");
    // clang-format on
    return retval;
}

Registry::KeyIterator Registry::Keys() const
{
    HKEY key = Open(KEY_ENUMERATE_SUB_KEYS);
    return key ? KeyIterator(key) : KeyIterator();
}

Registry::ValueIterator Registry::Values() const
{
    HKEY key = Open(KEY_READ);
    return key ? ValueIterator(key) : ValueIterator();
}

// ----- CompanyRegistry -----

CompanyRegistry::CompanyRegistry(const SString& subkeyPath)
    : Registry(HKEY_LOCAL_MACHINE, SString(kCompanyKey) + "\\" + subkeyPath),
      m_subkeyPath(subkeyPath)
{
}

CompanyRegistry::CompanyRegistry(const SString& subkeyPath, const SString& section)
    : Registry(HKEY_LOCAL_MACHINE, section.IsEmpty()
                                       ? SString(kCompanyKey) + "\\" + subkeyPath
                                       : SString(kCompanyKey) + "\\" + subkeyPath + "\\" + section),
      m_subkeyPath(section.IsEmpty() ? subkeyPath : subkeyPath + "\\" + section)
{
}

namespace {
// The older key of the same subkey, on the same machine.
struct OlderRegistry : Registry
{
    OlderRegistry(const CompanyRegistry& newer)
        : Registry(HKEY_LOCAL_MACHINE, SString(kOlderCompanyKey) + "\\" + newer.SubkeyPath())
    {
        if (!newer.MachineName().IsEmpty())
            ConnectTo(newer.MachineName().GetString());
    }
};
} // namespace

SString CompanyRegistry::ReadValue(const char* name)
{
    SString value = Registry::ReadValue(name);
    if (!value.IsEmpty())
        return value;
    OlderRegistry older(*this);
    value = older.ReadValue(name);
    if (value.IsEmpty())
        return value;
    DWORD type = REG_SZ;
    if (!older.QueryValue(name, type))
        type = REG_SZ;
    uint32_t number = 0;
    if (type == REG_DWORD && !SStringConv::ToULong(value.GetString(), number))
        type = REG_SZ;
    if (type == REG_SZ)
        WriteValue(name, value.GetString());
    else if (type == REG_DWORD)
        WriteValue(name, number);
    return value;
}

Registry::KeyIterator CompanyRegistry::Keys() const
{
    if (KeyExists())
        return Registry::Keys();
    return OlderRegistry(*this).Keys();
}

Registry::ValueIterator CompanyRegistry::Values() const
{
    if (KeyExists())
        return Registry::Values();
    return OlderRegistry(*this).Values();
}

// ----- SharedToolsRegistry -----

SharedToolsRegistry::SharedToolsRegistry(const SString& section)
    : CompanyRegistry("Shared Tools", section)
{
}
