#pragma once
// Access to the registry: a Registry names one key (a hive and a path) and reads, writes, tests
// and enumerates its values and subkeys. Each operation opens and closes its key; access
// problems are assertion reports and give empty results. CompanyRegistry names a key under
// the maker's versioned key and falls back to the older, version-less key, copying forward
// what it finds there; SharedToolsRegistry names a section of "Shared Tools".

#include "platform/registry/Registry.h"
#include "vardex/support/sstring.h"

#include <cstdint>

class Registry
{
public:
    // The open key of an enumeration and its next index; closed at the end or destruction.
    // Moving gives the handle up; moving onto a handle still held closes it.
    struct EnumerationKey
    {
        EnumerationKey() = default;
        explicit EnumerationKey(HKEY key) : handle(key) {}
        EnumerationKey(EnumerationKey&& other) noexcept;
        EnumerationKey& operator=(EnumerationKey&& other) noexcept;
        ~EnumerationKey() { Close(); }
        void Close();

        HKEY handle = nullptr;
        DWORD index = 0;
    };

    // Enumerates the subkeys of a key; owns its open handle until the end.
    class KeyIterator
    {
    public:
        KeyIterator() = default;
        explicit KeyIterator(HKEY key); // takes the handle and moves to the first subkey
        KeyIterator(KeyIterator&& other) noexcept = default;
        KeyIterator& operator=(KeyIterator&& other) noexcept;

        // The current subkey's name; empty at the end.
        const SString& Name() const { return m_name; }
        bool AtEnd() const { return m_enumKey.handle == nullptr; }
        void Next();

    private:
        SString m_name;
        EnumerationKey m_enumKey;
    };

    // Enumerates the values of a key as texts; owns its open handle until the end.
    class ValueIterator
    {
    public:
        ValueIterator() = default;
        explicit ValueIterator(HKEY key);
        ValueIterator(ValueIterator&& other) noexcept = default;
        ValueIterator& operator=(ValueIterator&& other) noexcept;

        const SString& Name() const { return m_name; }
        const SString& Value() const { return m_value; }
        bool AtEnd() const { return m_enumValue.handle == nullptr; }
        void Next();

    private:
        SString m_value;
        SString m_name;
        EnumerationKey m_enumValue;
    };

    Registry(HKEY rootKey, const SString& keyPath);
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
    virtual ~Registry();

    const SString& KeyPath() const { return m_keyPath; }
    const SString& MachineName() const { return m_machineName; }

    bool KeyExists() const;
    // The value as text: REG_SZ as it stands, REG_DWORD in unsigned decimal, REG_EXPAND_SZ
    // expanded; empty when the key or value is missing or of another type.
    SString ReadValue(const char* name) const;
    // Reads; when empty, writes the default (a non-empty text, or a number) and reads again.
    SString ReadValue(const char* name, const SString& defaultValue);
    SString ReadValue(const char* name, uint32_t defaultValue);
    // True when the value reads as a non-empty text; type is set whenever the key opens.
    bool QueryValue(const char* name, DWORD& type) const;
    bool WriteValue(const char* name, const char* text);
    bool WriteValue(const char* name, uint32_t value);

    KeyIterator Keys() const;
    ValueIterator Values() const;

    // Binds the object to a machine's local-machine hive; null does nothing. Only this machine
    // can be reached (empty name or this host's name).
    bool ConnectTo(const char* machineName);

protected:
    HKEY RootKey() const { return m_rootKey; }

private:
    // Opens the key; access denied is reported.
    HKEY Open(REGSAM access) const;
    // Creates or opens the key and sets a value; failures are reported.
    bool Write(const char* name, DWORD type, const BYTE* data, DWORD size);

    SString m_keyPath;
    HKEY m_rootKey;
    bool m_ownsRootKey = false;
    SString m_machineName;
};

// A key under "Software\Halvorn Software\8.0", falling back to "Software\Halvorn Software".
class CompanyRegistry : public Registry
{
public:
    explicit CompanyRegistry(const SString& subkeyPath);

    using Registry::ReadValue;
    // The versioned key's value, else the older key's (copied forward into the versioned key).
    SString ReadValue(const char* name);
    // The versioned key's subkeys or values when it opens, else the older key's.
    KeyIterator Keys() const;
    ValueIterator Values() const;

    const SString& SubkeyPath() const { return m_subkeyPath; }

protected:
    // Appends "\" and a section to both paths.
    CompanyRegistry(const SString& subkeyPath, const SString& section);

private:
    SString m_subkeyPath;
};

// The "Shared Tools" key of the company key, or one of its sections.
class SharedToolsRegistry : public CompanyRegistry
{
public:
    explicit SharedToolsRegistry(const SString& section = SString());
};

// The logging key: "Halvorn Logging" under the company key.
class LoggingRegistry : public CompanyRegistry
{
public:
    LoggingRegistry() : CompanyRegistry("Halvorn Logging") {}
};
