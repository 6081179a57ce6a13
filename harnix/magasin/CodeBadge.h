#pragma once
// Badge codes: the number that a new badge is given, the EAN-13 check digit, and the text that
// an EAN-13 bar-code font prints as the badge's bar code (stored in Utilisateurs.NoUtilisateur).

#include "platform/vb/Variant.h"

#include <string>
#include <vector>

namespace CodeBadge {

// The number of a new badge after `badges` (the NoBadge of the register, Null included): the
// greatest that is a whole number made only of digits, plus one, whatever their text order;
// `premier` when there is none.
std::string NumeroSuivant(const std::vector<vb::Variant>& badges, const std::string& premier);

// Pads the code on the right with "0" to twelve characters (a longer code stays as it is): a
// short number keeps its digits at the left, 1000 becomes 100000000000.
void Completer12(std::string& code);

// Appends the EAN-13 check digit of the first twelve positions (a missing position or one that
// is not a digit counts 0) to the code, and returns the new code. Neither length nor characters
// are checked.
std::string CalculChecksumEAN13(std::string& code);

// The 15-character bar-code-font text of the code, or "" when it is unusable. The code is
// changed: padded to twelve characters and then, when all are digits, given its check digit.
// A code of more than twelve characters gives "" and stays as it is.
std::string EAN13(std::string& code);

} // namespace CodeBadge
