#pragma once

// The screen's mouse pointer: one value for the whole program, set and read, not a stack.
namespace forms {

enum class MousePointer { Default = 0, Arrow = 1, Hourglass = 11 };

void SetMousePointer(enum MousePointer pointer);
enum MousePointer MousePointer();

} // namespace forms
