// The counter's issue recording and its quota check.

#include "harnix/distribution/FenComptoir.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/magasin/Mouvements.h"
#include "harnix/magasin/Quotas.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/MousePointer.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"

void FenComptoir::CmdSave_Click()
{
    forms::SetMousePointer(forms::MousePointer::Hourglass);
    EffectuerRemiseArticle();
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FenComptoir::EffectuerRemiseArticle()
{
    try {
        if (ArticleTrouve == Vrai && SalarieTrouve == Vrai) {
            const bool enregistree = EnregistrerVente();
            // An article found by its supplier reference stays selected for the next employee.
            TextReference->setText({});
            TextUtilisateur->setText({});
            TextUtilisateur->setFocus();
            if (enregistree)
                AfficherMessage("ENREGISTREMENT OK");
        } else {
            forms::MsgBox("Erreur\r\nPas d'article ou de salarié correspondant!", forms::vbOKOnly);
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("EffectuerRemiseArticle", erreur);
    }
}

bool FenComptoir::EnregistrerVente()
{
    try {
        Mouvements::Enregistrer(cn, Mouvements::RemiseAuComptoir(vb::Now(), rsSalarie, rsArticle));
        return true;
    } catch (const vb::Error& erreur) {
        // Nothing of the issue was kept.
        FnTundrel::AfficherErreur("EnregistrerVente", erreur);
        return false;
    }
}

void FenComptoir::AfficherMessage(const QString& message)
{
    LabelMessage->SetCaption(message);
    LabelMessage->show();
}

int16_t FenComptoir::VerifierQuota(int32_t RefArticle, int32_t NoQota,
                                   const std::string& Utilisateur)
{
    try {
        return Quotas::VerifierQuota(cn, RefArticle, NoQota, Utilisateur);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("VerifierQuota", erreur);
        return 0;
    }
}
