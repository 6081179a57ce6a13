#pragma once

#include <string>
#include <vector>

namespace win {

// The captions (UTF-8) of the display's top-level windows, hidden ones included, in stacking
// order, topmost first. A window manager's frames are looked through to the client windows they
// hold. Windows without a caption are left out; with no display the list is empty.
std::vector<std::string> TopLevelWindowCaptions();

} // namespace win
