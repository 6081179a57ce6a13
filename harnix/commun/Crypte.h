#pragma once
// Unscrambling of the texts the program keeps scrambled (the database password).

#include "platform/vb/Variant.h"

#include <string>

namespace Crypte {

// Each character's 8-bit code less the code of the key's letter in turn (the key used
// cyclically), 255 added to a negative difference.
std::string Decrypter(const vb::Variant& texte);

// The built-in database password, scrambled: its first 5 unscrambled characters are the password.
std::string MotPasseCrypte();
// The short scrambled password of a site whose settings give the key "P": it unscrambles to "qz".
std::string MotPasseCourtCrypte();

} // namespace Crypte
