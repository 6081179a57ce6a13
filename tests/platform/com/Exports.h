#pragma once

#include <cstdio>
#include <regex>
#include <set>
#include <string>

namespace com::testing {

// The names a shared library exports (its defined dynamic symbols, mangled), as nm reads them
// from the file; empty when the file cannot be read.
inline std::set<std::string> ExportedNames(const std::string& library)
{
    const std::string command = "nm -D --defined-only '" + library + "'";
    std::set<std::string> names;
    FILE* output = ::popen(command.c_str(), "r");
    if (!output)
        return names;
    std::string line;
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, output)) {
        line += chunk;
        if (line.back() != '\n')
            continue; // a long mangled name: read the rest of the line
        line.pop_back();
        names.insert(line.substr(line.rfind(' ') + 1));
        line.clear();
    }
    ::pclose(output);
    return names;
}

// Whether a mangled name is one of the standard library's own (std:: or __gnu_cxx::), such as
// a template of it instantiated by the library, its type information or a static of it.
inline bool IsStandardLibraryName(const std::string& name)
{
    static const std::regex standard("_Z(T[ISVT]|GV|Z)*N?K?(St|S[absiod]|9__gnu_cxx).*");
    return std::regex_match(name, standard);
}

} // namespace com::testing
