#pragma once
// Exceptions raised by the thread library.

#include <stdexcept>
#include <string>

class JTCException : public std::runtime_error
{
public:
    explicit JTCException(const std::string& message, long error = 0);

    const char* getMessage() const { return what(); }
    // The system error number behind the failure, 0 when there is none.
    long getError() const { return m_error; }

private:
    long m_error;
};

// A system call of the library failed (for example, a thread could not be created).
class JTCSystemCallException : public JTCException
{
public:
    using JTCException::JTCException;
};

// The calling thread was not started by the library and has not been adopted.
class JTCUnknownThreadException : public JTCException
{
public:
    using JTCException::JTCException;
};

// A thread was started twice, or an adopted thread was started or joined.
class JTCIllegalThreadStateException : public JTCException
{
public:
    using JTCException::JTCException;
};

// A monitor or mutex was released, waited on or notified by a thread that does not hold it.
class JTCIllegalMonitorStateException : public JTCException
{
public:
    using JTCException::JTCException;
};
