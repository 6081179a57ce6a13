#pragma once
// Access (Jet) database files written by other programs, read through mdbtools. Linux cannot
// write them: their tables are copied into a database file of this system, on which the program
// then works as on any other.

#include <string>

namespace jet {

// Whether the file begins as a Jet (or ACE) database file does.
bool IsJetFile(const std::string& path);

// Copies every user table of the Jet file, its columns and rows, into a new database file at
// target, without a password. Texts come as UTF-8, dates as dates (also before 1900 and up to
// 9999), amounts exactly; pictures and other binary values are left empty. Raises vb::Error
// 0x80004005 when the Jet file cannot be read or the target cannot be made; a target left
// half-made is removed.
void CopyToDatabase(const std::string& jetPath, const std::string& target);

} // namespace jet
