#pragma once
// The one boundary of errors that no handler caught. The forms run every event procedure they
// dispatch (connected handlers, activation, unload, resizing, key handlers) inside it, so that
// no exception ever crosses Qt; the application's notify is the last net.

#include "platform/vb/Error.h"

#include <QString>

#include <concepts>
#include <exception>
#include <functional>
#include <utility>

namespace forms {

// The exit code of a program ended by an untrapped error.
inline constexpr int UntrappedErrorExitCode = 1;

// What the language's runtime does with an error that no handler caught: the error log (see
// platform/win/ErrorLog.h), a message box titled with the program's name that shows
// "Erreur d'exécution 'N':", a blank line and the description, then the end of the program.
// Returns only when another untrapped error is being reported already: that report ends the
// program.
void UntrappedError(const vb::Error& error);

// The box's text for an error: a negative number (an HRESULT) also shows in hexadecimal.
QString UntrappedErrorText(const vb::Error& error);

// Reports the exception being handled: a vb::Error as it is, another standard exception as a
// run-time error of its own. Anything else, and the test device that stands for the program's
// end, goes on its way. Only to be called inside a catch block.
void ReportCurrentException();

// Runs an event procedure inside the boundary.
template <class Procedure> void RunEventProcedure(Procedure&& procedure)
{
    try {
        std::forward<Procedure>(procedure)();
    } catch (...) {
        ReportCurrentException();
    }
}

namespace detail {

// A connected slot run inside the boundary. It is callable with exactly the argument lists the
// slot takes, so that Qt passes it as many of the signal's arguments as the slot itself would take.
template <class Slot> struct Guarded
{
    Slot slot;

    template <class... Args>
    requires std::invocable<Slot&, Args...>
    void operator()(Args&&... args)
    {
        RunEventProcedure([&] { std::invoke(slot, std::forward<Args>(args)...); });
    }
};

// A member function with its object, as a callable that takes the member's arguments.
template <class Object, class Method> struct Bound
{
    Object* object;
    Method method;

    template <class... Args>
    requires std::invocable<Method, Object*, Args...>
    void operator()(Args&&... args) const
    {
        std::invoke(method, object, std::forward<Args>(args)...);
    }
};

} // namespace detail

// A slot (a callable, or a member function of the receiver) that runs inside the boundary.
template <class Receiver, class Slot> auto Guard(Receiver* receiver, Slot slot)
{
    if constexpr (std::is_member_function_pointer_v<Slot>)
        return detail::Guarded<detail::Bound<Receiver, Slot>>{{receiver, slot}};
    else
        return detail::Guarded<Slot>{std::move(slot)};
}

} // namespace forms
