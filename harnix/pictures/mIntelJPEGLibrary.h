#pragma once
// Writing a picture to a JPEG file.

#include <cstdint>
#include <string>

class cDIBSection;

namespace mIntelJPEGLibrary {

// The error that a failed write raises.
inline constexpr int32_t ErrJpeg = 26001;

// Writes the picture to the JPEG file at the quality (the program passes 90). The file is written
// beside the path under another name and then put in its place, so that a failed write leaves an
// existing file whole; a replaced file's permissions and access and modification times pass to
// the new one, and a name that differs only in case replaces the file found. Returns true; a
// failure raises 26001 ("Failed to save to JPG " and a negative code), a read-only existing file
// 75 before anything is written.
bool SaveDibToJpeg(const cDIBSection& picture, const std::string& path, int32_t quality);

} // namespace mIntelJPEGLibrary
