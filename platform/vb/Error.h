#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vb {

// Error numbers that the program raises or tests.
inline constexpr int32_t ErrInvalidCall = 5;
inline constexpr int32_t ErrOverflow = 6;
inline constexpr int32_t ErrOutOfMemory = 7;
inline constexpr int32_t ErrSubscript = 9;
inline constexpr int32_t ErrDivisionByZero = 11;
inline constexpr int32_t ErrTypeMismatch = 13;
inline constexpr int32_t ErrInternal = 51;
inline constexpr int32_t ErrPathFileAccess = 75;
inline constexpr int32_t ErrInvalidUseOfNull = 94;
inline constexpr int32_t ErrInvalidPropertyValue = 380;
inline constexpr int32_t ErrNoCurrentRecord = 3021;
inline constexpr int32_t ErrUnspecified = static_cast<int32_t>(0x80004005);
inline constexpr int32_t ErrDatabaseRefused = static_cast<int32_t>(0x80040E14);

// A run-time error: the number, description and source of the language's error object.
class Error : public std::runtime_error
{
public:
    Error(int32_t number, std::string description, std::string source = {});

    int32_t Number() const { return number_; }
    const std::string& Description() const { return description_; }
    const std::string& Source() const { return source_; }

private:
    int32_t number_;
    std::string description_;
    std::string source_;
};

// The runtime's own description of an error number, as a French installation shows it
// ("Dépassement de capacité" for 6); empty when it has none.
std::string ErrorDescription(int32_t number);

// Throws the error with the runtime's description of its number.
[[noreturn]] void Raise(int32_t number, std::string source = {});

} // namespace vb
