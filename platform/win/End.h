#pragma once

#include <functional>
#include <stdexcept>

// The end of the program: the process stops at once, without any window's closing steps.
namespace win {

// What the test handler below throws, so that a test can see that the program would end.
class EndCalled : public std::runtime_error
{
public:
    explicit EndCalled(int code) : std::runtime_error("End"), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// Runs the end handler; the default one ends the process at once with _exit(code), after the
// end steps below. A handler that returns is followed by that same end.
[[noreturn]] void End(int code = 0);

// Adds a step that the end still takes, as the language's End closes what the program holds
// open (databases write their journal back into their file). Steps run in the order added.
void AddEndStep(std::function<void()> step);

// Replaces the end handler; an empty function puts back the default.
void SetEndHandler(std::function<void(int)> handler);

// A handler that throws EndCalled, for tests.
void ThrowEndCalled(int code);

} // namespace win
