#pragma once

// The start-up of the program, above every window library: it opens the main window.
namespace Global {

// The start-up: refuses a second copy, plays the introduction video or shows the loading window,
// reads the settings, then loads and shows the main window.
void Main();

} // namespace Global
