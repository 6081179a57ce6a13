#pragma once
// The program's identity, as its windows show it.

namespace Version {

inline constexpr const char* ProductName = "Harnix";
inline constexpr const char* FileDescription = "Gestion de stock d'E.P.I.";
inline constexpr int Major = 3;
inline constexpr int Minor = 0;
inline constexpr int Revision = 164;

} // namespace Version
