#include "harnix/magasin/TaillesProfil.h"

#include "platform/vb/Convert.h"

namespace TaillesProfil {

bool SansTailleCorrespondante(const std::vector<Ligne>& lignes, const vb::Variant& pointure,
                              const vb::Variant& ordreMain, long familleChaussures,
                              long familleGants)
{
    auto egaux = [](const vb::Variant& a, long b) { return !a.IsNull() && vb::CLng(a) == b; };
    bool chaussures = false, pointureTrouvee = false, gants = false, tailleTrouvee = false;
    for (const Ligne& ligne : lignes) {
        if (egaux(ligne.noFamille, familleChaussures)) {
            chaussures = true;
            if (!pointure.IsNull() && egaux(ligne.noTaille, vb::CLng(pointure)))
                pointureTrouvee = true;
        }
        if (egaux(ligne.noFamille, familleGants)) {
            gants = true;
            if (!ligne.ordre.IsNull() && !ordreMain.IsNull() &&
                vb::CLng(ligne.ordre) >= vb::CLng(ordreMain))
                tailleTrouvee = true;
        }
    }
    return (gants && !tailleTrouvee) || (chaussures && !pointureTrouvee);
}

} // namespace TaillesProfil
