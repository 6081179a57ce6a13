#include "platform/vb/Error.h"

namespace vb {

Error::Error(int32_t number, std::string description, std::string source)
    : std::runtime_error(description), number_(number), description_(std::move(description)),
      source_(std::move(source))
{
}

std::string ErrorDescription(int32_t number)
{
    switch (number) {
    case ErrInvalidCall:
        return "Invalid procedure call or argument";
    case ErrOverflow:
        return "Overflow";
    case ErrSubscript:
        return "Subscript out of range";
    case ErrDivisionByZero:
        return "Division by zero";
    case ErrTypeMismatch:
        return "Type mismatch";
    case ErrInvalidUseOfNull:
        return "Invalid use of Null";
    case ErrNoCurrentRecord:
        return "Either BOF or EOF is True, or the current record has been deleted. Requested "
               "operation requires a current record.";
    default:
        return {};
    }
}

void Raise(int32_t number, std::string source)
{
    throw Error(number, ErrorDescription(number), std::move(source));
}

} // namespace vb
