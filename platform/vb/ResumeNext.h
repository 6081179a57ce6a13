#pragma once

#include "platform/vb/Error.h"

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace vb {

// A span of statements under "On Error Resume Next": each statement runs, a failing one is
// skipped and its error kept, as the language's Err object keeps it, until Clear or the next
// failure. vb::Error keeps its number; any other exception is recorded as 0x80004005 with its
// text.
//
//     vb::ResumeNext span;
//     span([&] { rs.Update(); });
//     if (span.Number() != 0) ...
class ResumeNext
{
public:
    // Runs the statement; true when it ran without error.
    template <typename Statement> bool operator()(Statement&& statement)
    {
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (const Error& e) {
            Record(e.Number(), e.Description(), e.Source());
        } catch (const std::exception& e) {
            Record(ErrUnspecified, e.what(), {});
        }
        return false;
    }

    // Runs each statement in order, skipping the failing ones.
    template <typename... Statements> void Run(Statements&&... statements)
    {
        ((*this)(std::forward<Statements>(statements)), ...);
    }

    int32_t Number() const { return number_; }
    const std::string& Description() const { return description_; }
    const std::string& Source() const { return source_; }
    // The last error as an exception to raise again.
    Error LastError() const { return Error(number_, description_, source_); }
    void Clear();

private:
    void Record(int32_t number, std::string description, std::string source);

    int32_t number_ = 0;
    std::string description_;
    std::string source_;
};

} // namespace vb
