#include "platform/registry/Registrar.h"

#include "platform/registry/Ascii.h"
#include "platform/registry/Registry.h"

#include <cctype>
#include <cstdlib>
#include <optional>
#include <vector>

namespace registry {
namespace {

using ascii::equalNoCase;

struct Token
{
    enum Kind { Word, Quoted, Open, Close, Equals, End } kind;
    std::string text;
};

struct ScriptValue
{
    DWORD type = REG_SZ;
    std::string data; // bytes as stored
};

struct Node
{
    std::string name;
    bool forceRemove = false;
    bool noRemove = false;
    bool remove = false; // "Delete"
    std::optional<ScriptValue> defaultValue;
    std::vector<std::pair<std::string, ScriptValue>> values;
    std::vector<Node> children;
};

struct Root
{
    HKEY hive;
    std::vector<Node> keys;
};

class Parser
{
public:
    Parser(std::string_view script, const Replacements& replacements)
        : m_script(script), m_replacements(replacements)
    {
    }

    bool parse(std::vector<Root>* roots)
    {
        for (;;) {
            Token t;
            if (!next(&t))
                return false;
            if (t.kind == Token::End)
                return true;
            if (t.kind != Token::Word)
                return false;
            Root root{hiveOf(t.text), {}};
            if (!root.hive || !expect(Token::Open) || !parseKeys(&root.keys))
                return false;
            roots->push_back(std::move(root));
        }
    }

private:
    static HKEY hiveOf(std::string_view name)
    {
        if (equalNoCase(name, "HKCR") || equalNoCase(name, "HKEY_CLASSES_ROOT"))
            return HKEY_CLASSES_ROOT;
        if (equalNoCase(name, "HKCU") || equalNoCase(name, "HKEY_CURRENT_USER"))
            return HKEY_CURRENT_USER;
        if (equalNoCase(name, "HKLM") || equalNoCase(name, "HKEY_LOCAL_MACHINE"))
            return HKEY_LOCAL_MACHINE;
        return nullptr;
    }

    // Keys up to and including the closing brace.
    bool parseKeys(std::vector<Node>* keys)
    {
        for (;;) {
            Token t;
            if (!next(&t))
                return false;
            if (t.kind == Token::Close)
                return true;
            if (t.kind != Token::Word && t.kind != Token::Quoted)
                return false;
            if (t.kind == Token::Word && equalNoCase(t.text, "val")) {
                return false; // values belong inside a key
            }
            Node node;
            if (!parseKey(t, &node))
                return false;
            keys->push_back(std::move(node));
        }
    }

    bool parseKey(Token t, Node* node)
    {
        while (t.kind == Token::Word) {
            if (equalNoCase(t.text, "ForceRemove"))
                node->forceRemove = true;
            else if (equalNoCase(t.text, "NoRemove"))
                node->noRemove = true;
            else if (equalNoCase(t.text, "Delete"))
                node->remove = true;
            else
                break;
            if (!next(&t))
                return false;
        }
        if (t.kind != Token::Word && t.kind != Token::Quoted)
            return false;
        node->name = t.text;
        if (node->name.empty())
            return false;
        Token after;
        if (!peek(&after))
            return false;
        if (after.kind == Token::Equals) {
            next(&after);
            ScriptValue value;
            if (!parseValue(&value))
                return false;
            node->defaultValue = std::move(value);
            if (!peek(&after))
                return false;
        }
        if (after.kind != Token::Open)
            return true;
        next(&after);
        for (;;) {
            Token inner;
            if (!next(&inner))
                return false;
            if (inner.kind == Token::Close)
                return true;
            if (inner.kind == Token::Word && equalNoCase(inner.text, "val")) {
                Token name;
                ScriptValue value;
                if (!next(&name) || (name.kind != Token::Word && name.kind != Token::Quoted) ||
                    !expect(Token::Equals) || !parseValue(&value))
                    return false;
                node->values.emplace_back(name.text, std::move(value));
                continue;
            }
            if (inner.kind != Token::Word && inner.kind != Token::Quoted)
                return false;
            Node child;
            if (!parseKey(inner, &child))
                return false;
            node->children.push_back(std::move(child));
        }
    }

    bool parseValue(ScriptValue* value)
    {
        Token type;
        Token data;
        if (!next(&type) || type.kind != Token::Word || !next(&data) ||
            (data.kind != Token::Quoted && data.kind != Token::Word))
            return false;
        if (equalNoCase(type.text, "s") || equalNoCase(type.text, "e")) {
            value->type = equalNoCase(type.text, "s") ? REG_SZ : REG_EXPAND_SZ;
            value->data = data.text + '\0';
            return true;
        }
        if (equalNoCase(type.text, "d")) {
            char* end = nullptr;
            unsigned long number = std::strtoul(data.text.c_str(), &end, 0);
            if (data.text.empty() || *end || number > 0xFFFFFFFFul)
                return false;
            DWORD dword = static_cast<DWORD>(number);
            value->type = REG_DWORD;
            value->data.assign(reinterpret_cast<const char*>(&dword), sizeof dword);
            return true;
        }
        if (equalNoCase(type.text, "b")) {
            value->type = REG_BINARY;
            return ascii::appendHexBytes(data.text, &value->data);
        }
        return false;
    }

    bool expect(Token::Kind kind)
    {
        Token t;
        return next(&t) && t.kind == kind;
    }

    bool peek(Token* t)
    {
        std::size_t saved = m_pos;
        bool ok = next(t);
        m_pos = saved;
        return ok;
    }

    // Replaces %NAME% and %% in a token's text; false for an unknown name.
    bool substitute(std::string* text) const
    {
        std::string out;
        for (std::size_t i = 0; i < text->size(); ++i) {
            char c = (*text)[i];
            if (c != '%') {
                out += c;
                continue;
            }
            std::size_t close = text->find('%', i + 1);
            if (close == std::string::npos)
                return false;
            std::string name = text->substr(i + 1, close - i - 1);
            if (name.empty()) {
                out += '%';
            } else {
                auto it = m_replacements.find(name);
                if (it == m_replacements.end())
                    return false;
                out += it->second;
            }
            i = close;
        }
        *text = std::move(out);
        return true;
    }

    bool next(Token* t)
    {
        while (m_pos < m_script.size() && std::isspace(static_cast<unsigned char>(m_script[m_pos])))
            ++m_pos;
        t->text.clear();
        if (m_pos >= m_script.size()) {
            t->kind = Token::End;
            return true;
        }
        char c = m_script[m_pos];
        // A brace that begins a word ("{76FD...}") is part of a class identifier.
        bool braceWord = c == '{' && m_pos + 1 < m_script.size() &&
                         !std::isspace(static_cast<unsigned char>(m_script[m_pos + 1]));
        if ((c == '{' && !braceWord) || c == '}' || c == '=') {
            t->kind = c == '{' ? Token::Open : c == '}' ? Token::Close : Token::Equals;
            ++m_pos;
            return true;
        }
        if (c == '\'') {
            t->kind = Token::Quoted;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_script.size())
                    return false;
                char q = m_script[m_pos++];
                if (q == '\'') {
                    if (m_pos < m_script.size() && m_script[m_pos] == '\'') {
                        t->text += '\'';
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                t->text += q;
            }
            return substitute(&t->text);
        }
        t->kind = Token::Word;
        while (m_pos < m_script.size()) {
            char w = m_script[m_pos];
            if (std::isspace(static_cast<unsigned char>(w)) || w == '=' || w == '\'' ||
                (!braceWord && (w == '{' || w == '}')))
                break;
            t->text += w;
            ++m_pos;
        }
        return substitute(&t->text);
    }

    std::string_view m_script;
    const Replacements& m_replacements;
    std::size_t m_pos = 0;
};

HRESULT fromStatus(LONG status)
{
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

LONG setValue(HKEY key, const std::string& name, const ScriptValue& value)
{
    return RegSetValueEx(key, name.c_str(), 0, value.type,
                         reinterpret_cast<const BYTE*>(value.data.data()),
                         static_cast<DWORD>(value.data.size()));
}

// Removes a tree; a key that is not there is not a failure.
LONG removeTree(HKEY parent, const std::string& name)
{
    LONG status = RegDeleteTree(parent, name.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

HRESULT registerNode(HKEY parent, const Node& node)
{
    if (node.remove)
        return fromStatus(removeTree(parent, node.name));
    if (node.forceRemove) {
        if (LONG status = removeTree(parent, node.name); status != ERROR_SUCCESS)
            return fromStatus(status);
    }
    HKEY key = nullptr;
    LONG status = RegCreateKeyEx(parent, node.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return fromStatus(status);
    HRESULT hr = S_OK;
    if (node.defaultValue)
        hr = fromStatus(setValue(key, "", *node.defaultValue));
    for (const auto& [name, value] : node.values) {
        if (FAILED(hr))
            break;
        hr = fromStatus(setValue(key, name, value));
    }
    for (const Node& child : node.children) {
        if (FAILED(hr))
            break;
        hr = registerNode(key, child);
    }
    RegCloseKey(key);
    return hr;
}

HRESULT unregisterNode(HKEY parent, const Node& node)
{
    if (node.remove)
        return S_OK;
    if (node.forceRemove)
        return fromStatus(removeTree(parent, node.name));
    HKEY key = nullptr;
    LONG status = RegOpenKeyEx(parent, node.name.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return S_OK;
    if (status != ERROR_SUCCESS)
        return fromStatus(status);
    HRESULT hr = S_OK;
    for (const Node& child : node.children) {
        hr = unregisterNode(key, child);
        if (FAILED(hr))
            break;
    }
    for (const auto& [name, value] : node.values) {
        if (FAILED(hr))
            break;
        LONG deleted = RegDeleteValue(key, name.c_str());
        if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND)
            hr = fromStatus(deleted);
    }
    bool hasSubkeys = false;
    if (SUCCEEDED(hr)) {
        char name[2];
        DWORD size = sizeof name;
        LONG enumerated = RegEnumKeyEx(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr);
        hasSubkeys = enumerated != ERROR_NO_MORE_ITEMS;
    }
    RegCloseKey(key);
    // A key the script made goes when nothing else is left below it.
    if (SUCCEEDED(hr) && !node.noRemove && !hasSubkeys) {
        status = RegDeleteKey(parent, node.name.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            hr = fromStatus(status);
    }
    return hr;
}

} // namespace

HRESULT runScript(std::string_view script, bool doRegister, const Replacements& replacements)
{
    std::vector<Root> roots;
    if (!Parser(script, replacements).parse(&roots))
        return DISP_E_EXCEPTION;
    for (const Root& root : roots) {
        for (const Node& node : root.keys) {
            HRESULT hr =
                doRegister ? registerNode(root.hive, node) : unregisterNode(root.hive, node);
            if (FAILED(hr))
                return hr;
        }
    }
    return S_OK;
}

} // namespace registry
