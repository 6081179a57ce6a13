#pragma once
// Whether the articles of a profile come in the employee's sizes: the register warns when a
// profile holds shoes or gloves of which none fits the employee.

#include "platform/vb/Variant.h"

#include <vector>

namespace TaillesProfil {

// A line of the profile as the check reads it: its article's NoFamille, NoTaille and the size's
// display order (Ordre); Null where the article or its size is missing.
struct Ligne
{
    vb::Variant noFamille, noTaille, ordre;
};

// True when the profile holds a shoe article and none in the employee's shoe size `pointure`
// (a NoTaille), or a glove article and none whose size order reaches the employee's glove order
// `ordreMain`. A Null on either side of a comparison makes it false, so an employee without a
// size is warned as soon as the profile holds that kind of article.
bool SansTailleCorrespondante(const std::vector<Ligne>& lignes, const vb::Variant& pointure,
                              const vb::Variant& ordreMain, long familleChaussures,
                              long familleGants);

} // namespace TaillesProfil
