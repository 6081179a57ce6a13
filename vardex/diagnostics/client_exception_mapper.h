#pragma once
// Turns the CORBA exceptions of calls into the report server into client exceptions, with their
// log records, and throws them.

#include "vardex/diagnostics/GenericClientException.h"

#include <omniORB4/CORBA.h>

#include "norvel.hh"

#include <cstdint>

// HRESULTs of the mapping on which a caller may reconnect.
inline constexpr HRESULT kHrCommFailure = HRESULT(0x80040801);
inline constexpr HRESULT kHrTransient = HRESULT(0x8004080B);
inline constexpr HRESULT kHrObjectNotExist = HRESULT(0x80040813);
inline constexpr HRESULT kHrSocksNegotiation = HRESULT(0x80040815);

// The mapping of one system exception, identified by its name (each class of the ORB has its own),
// with its minor code, completion status (0 yes, 1 no, 2 maybe) and reason text (may be null).
GenericClientException MapSystemException(const char* name, uint32_t minor, int32_t completed,
                                          const char* reason);

// The message of a SOCKS reply code (the low 16 bits of a negotiation failure's minor code).
int32_t SocksReplyMessage(uint32_t minor);

// Each fills a client exception from the caught exception, writes its log records, and throws it
// with the call site's file and line as context.
[[noreturn]] void RaiseFromSystemException(const CORBA::SystemException& e, const char* file,
                                           int line);
[[noreturn]] void RaiseFromAbuse(const Norvel::norvel_abuse& e, const char* file, int line);
[[noreturn]] void RaiseFromUserException(const CORBA::UserException& e, const char* file, int line);
[[noreturn]] void RaiseFromException(const CORBA::Exception& e, const char* file, int line);

// The catch clauses around every call into the report server, in their order; client exceptions
// raised inside the block pass through unchanged.
#define VX_CATCH_CORBA(file)                                                                       \
    catch (const GenericClientException&)                                                          \
    {                                                                                              \
        throw;                                                                                     \
    }                                                                                              \
    catch (const CORBA::SystemException& e)                                                        \
    {                                                                                              \
        RaiseFromSystemException(e, file, __LINE__);                                               \
    }                                                                                              \
    catch (const Norvel::norvel_abuse& e)                                                          \
    {                                                                                              \
        RaiseFromAbuse(e, file, __LINE__);                                                         \
    }                                                                                              \
    catch (const CORBA::UserException& e)                                                          \
    {                                                                                              \
        RaiseFromUserException(e, file, __LINE__);                                                 \
    }                                                                                              \
    catch (const CORBA::Exception& e)                                                              \
    {                                                                                              \
        RaiseFromException(e, file, __LINE__);                                                     \
    }
