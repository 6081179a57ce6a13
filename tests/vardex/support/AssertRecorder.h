#pragma once
// Records the assertion reports made while it lives, in place of the default handler.

#include "tests/vardex/support/Printers.h" // every test of the support library comes here

#include "vardex/support/sassert.h"

#include <mutex>
#include <string>
#include <vector>

struct AssertReport
{
    std::string file; // base name without folders and extension ("sstring")
    std::string line;
    std::string expression;
    std::string information;
};

class AssertRecorder
{
public:
    AssertRecorder() : m_previous(SetLogAssertHandler(&Record))
    {
        std::lock_guard guard(mutex());
        reports().clear();
    }
    ~AssertRecorder() { SetLogAssertHandler(m_previous); }

    std::vector<AssertReport> Reports() const
    {
        std::lock_guard guard(mutex());
        return reports();
    }
    std::vector<std::string> Expressions() const
    {
        std::vector<std::string> texts;
        for (const auto& r : Reports())
            texts.push_back(r.expression);
        return texts;
    }
    void Clear()
    {
        std::lock_guard guard(mutex());
        reports().clear();
    }

private:
    static void Record(const char* file, const char* line, const char* expression,
                       const char* information)
    {
        std::string name = file ? file : "";
        name = name.substr(name.find_last_of('/') + 1);
        name = name.substr(0, name.find('.'));
        std::lock_guard guard(mutex());
        reports().push_back(
            {name, line ? line : "", expression ? expression : "", information ? information : ""});
    }
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    static std::vector<AssertReport>& reports()
    {
        static std::vector<AssertReport> r;
        return r;
    }

    LogAssertHandler m_previous;
};
