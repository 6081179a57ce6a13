// The allocation planner's generation of a year of sample movements (type 2) for every article
// and employee. It writes many rows, so the button asks first.

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/MouvementsMensuels.h"
#include "harnix/staff/FenDotation.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"
#include "platform/vb/Error.h"

void FenDotation::CreerBoutonMouvements()
{
    CmdMouvementsMensuels =
        new forms::CommandButton("CmdMouvementsMensuels", "Générer les mouvements 2005", this);
    forms::MoveTwips(*CmdMouvementsMensuels, 4360, 9500, 2800, 375);
    connect(CmdMouvementsMensuels, &QPushButton::clicked, this,
            [this] { CmdMouvementsMensuels_Click(); });
}

void FenDotation::CmdMouvementsMensuels_Click()
{
    if (forms::MsgBox("Générer, pour chaque mois de 2005, un mouvement de 5 unités de chaque "
                      "article pour chaque salarié ?",
                      forms::vbYesNo + forms::vbExclamation, "Confirmation") == forms::vbYes)
        GenererMouvementsMensuels();
}

// One connection of its own for the run, one transaction: an error leaves nothing written.
void FenDotation::GenererMouvementsMensuels()
{
    forms::SetMousePointer(forms::MousePointer::Hourglass);
    try {
        ado::Connection connexion;
        connexion.Open(Global::ChaineConnexion);
        MouvementsMensuels::Generer(connexion);
        connexion.Close();
    } catch (const vb::Error& erreur) {
        forms::SetMousePointer(forms::MousePointer::Default);
        FnTundrel::AfficherErreur("GenererMouvementsMensuels", erreur);
        return;
    }
    forms::SetMousePointer(forms::MousePointer::Default);
}
