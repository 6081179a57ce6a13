#pragma once
// The reports window: the report period (two date boxes, four shortcuts and the period picker),
// the consumption, stock and employee report buttons, and the work table of the consumption
// reports. Other windows use it without showing it: they write its period boxes and print
// through ImprimerEtat, reached through Etats.

#include "harnix/commun/Etats.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/Pictures.h"

#include <QLineEdit>

#include <string>

namespace win {
class FolderIndex;
}

class FenCompteRendu : public forms::Form, public Etats
{
    Q_OBJECT

public:
    // What a refill of the work table CA found.
    enum class ResultatCA { Lignes, Aucune, Echec };

    FenCompteRendu();

    void Form_Load() override;
    void Form_Unload(int& cancel) override;

    // Shows the report in a fresh viewer window, modally, owned by this window; an error is
    // shown here.
    void ImprimerEtat(const std::string& UnNom, const std::string& ASelectionFormula,
                      const std::string& TitreRep, const std::string& Table) override;
    // The same, owned by the opener; an error goes to the caller.
    void MontrerEtat(forms::Form& proprietaire, const std::string& UnNom,
                     const std::string& ASelectionFormula, const std::string& TitreRep,
                     const std::string& Table) override;
    void DefinirPeriode(const std::string& debut, const std::string& fin) override;

    // Refills CA with every movement line of the period; RecordsetEtat stays open on it.
    ResultatCA CreerEtatCA();
    std::string CreerFormuleSelection(const std::string& champ, vb::Date debut, vb::Date fin);
    bool CreerEtatSuiviParHeure();
    bool CreerEtatCAparArticle();
    // Refills ARemplissageMachine from the saved query run for the machine, each row with the
    // bytes of its article's report picture; true only for a second argument of 0 and rows.
    bool CreerEtatRemplissageMach(int16_t machine, int16_t second,
                                  const std::string& requete) override;

    void cmdDebutAnnee_Click();
    void cmdDebutMois_Click();
    void cmdMoisDernier_Click();
    void cmdSemaineDerniere_Click();
    void SSCommandDate_Click();
    void TextDebut_LostFocus();
    void TextFin_LostFocus();
    void CmdSalarie_Click(int index);
    void cmdClose_Click();

    bool eventFilter(QObject* watched, QEvent* event) override;

    bool PeriodeChoisie = false;
    ado::Recordset RecordsetEtat;
    ado::Command CommandeEtat;

    forms::Frame* Frame1;
    forms::Label* Label1;
    forms::Label* Label2;
    QLineEdit* TextDebut;
    QLineEdit* TextFin;
    forms::CommandButton* SSCommandDate;
    forms::CommandButton* cmdDebutAnnee;
    forms::CommandButton* cmdDebutMois;
    forms::CommandButton* cmdMoisDernier;
    forms::CommandButton* cmdSemaineDerniere;
    forms::Frame* Frame2;
    forms::OptionButton* SSOption2;
    forms::OptionButton* SSOption1;
    forms::CommandButton* CmdArticleRupture;
    forms::CommandButton* CmdCAparFamille;
    forms::CommandButton* CmdConsoGlobal;
    forms::CommandButton* CmdConsoMensuelGraph;
    forms::CommandButton* CmdConsoParFournisseur;
    forms::CommandButton* CmdConsoParProfile;
    forms::CommandButton* CmdConsoParSalarie;
    forms::CommandButton* CmdConsoParService;
    forms::CommandButton* CmdConsoParSite;
    forms::CommandButton* cmdConsoMensuel;
    forms::CommandButton* Command1;
    forms::CommandButton* Command2;
    forms::CommandButton* cmdPaieModeJournalier;
    forms::CommandButton* CmdValeurStock;
    forms::CommandButton* CmdValeurStockParFournisseur;
    forms::ControlArray<forms::CommandButton> CmdSalarie{"CmdSalarié"};
    forms::CommandButton* cmdClose;
    // Work surface of the report pictures, never shown.
    forms::PictureBox* Picture1;

private:
    // Makes the report copy "RPT" + file of an article picture of the indexed picture folder,
    // again when the picture changed since; the index learns of the copy.
    void CreerImageRPT(win::FolderIndex& images, const std::string& fichier);
    // A consumption report: CA refilled, then printed; the message for a period without
    // movements unless silent.
    void Consommation(const std::string& fichier, const std::string& titre,
                      bool silencieux = false);
    // A report of the whole tables, after the period boxes are checked.
    void Imprimer(const std::string& fichier, const std::string& titre, const std::string& table);
    // Both boxes read as dates; the message of the first that is not one.
    bool LirePeriode(vb::Date& debut, vb::Date& fin);
    void EcrirePeriode(vb::Date debut, vb::Date fin);
    bool ExecuterAjout(const char* ajout, const char* etat);

    ado::Connection cn;
};
