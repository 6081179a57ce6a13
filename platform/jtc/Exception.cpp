#include "platform/jtc/Exception.h"

JTCException::JTCException(const std::string& message, long error)
    : std::runtime_error(message), m_error(error)
{
}
