#pragma once
// The main window: one button per window of the program, the company panel bound to the one row
// of InfoSociete, the database upgrade step, and the end of the program when it closes.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/BoundControls.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/Form.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"

#include <cstdint>
#include <string>

class FrmPrincipal : public forms::Form
{
    Q_OBJECT

public:
    // The stored procedure that the upgrade step creates on the database server.
    static const char* const ProcedureEtatCA;

    FrmPrincipal();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void CmdStock_Click();
    void CmdMouvementStock_Click();
    void CmdProfile_Click();
    void CmdFournissueur_Click();
    void CmdFamilles_Click();
    void CmdTailles_Click();
    void CmdEmplacement_Click();
    void CmdReport_Click();
    void CmdSites_Click();
    void CmdBadgeMainten_Click();
    void CmdComptoir_Click();
    void CmdDotation_Click();
    void CmdVente_Click();
    void CmdMachines_Click();
    void CmdApropos_Click();
    void CmdInfoCom_Click();
    void cmdOK_Click();
    void CmdClose_Click();

    // True when the folder is writable. Network drives do not exist here, so a folder that is
    // not writable gives False.
    bool ConnecterLecteurReseau(const std::string& dossier, const std::string& motPasse,
                                const std::string& nomDistant);

    forms::Panel* SSpanel1;
    forms::CommandButton* CmdStock;
    forms::CommandButton* CmdMouvementStock;
    forms::CommandButton* CmdFournissueur;
    forms::CommandButton* CmdFamilles;
    forms::CommandButton* CmdTailles;
    forms::CommandButton* CmdEmplacement;
    forms::CommandButton* CmdProfile;
    forms::CommandButton* CmdSites;
    forms::CommandButton* CmdBadgeMainten;
    forms::CommandButton* CmdDotation;
    forms::CommandButton* CmdComptoir;
    forms::CommandButton* CmdVente;
    forms::CommandButton* CmdMachines;
    forms::CommandButton* CmdReport;
    forms::CommandButton* CmdInfoCom;
    forms::CommandButton* CmdApropos;
    forms::CommandButton* CmdClose;

    forms::Panel* SSPanelInfoCom;
    forms::BoundText* TextNom;
    forms::BoundText* TextAdd;
    forms::BoundText* TextVille;
    forms::BoundText* TextCP;
    forms::BoundText* TextTel;
    forms::BoundText* TextFax;
    forms::CommandButton* cmdOK;
    forms::DataControl* data1;

private:
    // How a button opens its window.
    enum class Pointeur { Normal, Sablier };
    enum class Panneau { Garde, Cache };

    // Busy pointer and hidden company panel where the button asks for them; then the window,
    // loaded (prepare runs on it then), shown modally owned by this window or modeless. An error
    // of the window's load is left to the error boundary, as the button has no trap of its own.
    template <class T, class Prepare>
    void Ouvrir(Pointeur pointeur, Panneau panneau, forms::ShowMode mode, Prepare prepare)
    {
        if (pointeur == Pointeur::Sablier)
            forms::SetMousePointer(forms::MousePointer::Hourglass);
        if (panneau == Panneau::Cache)
            SSPanelInfoCom->hide();
        try {
            T& fenetre = forms::form<T>();
            prepare(fenetre);
            fenetre.Show(mode, mode == forms::Modal ? this : nullptr);
        } catch (...) {
            // The window could not open (its load failed): the error goes on to the program's
            // report, which must not show under the busy pointer.
            forms::SetMousePointer(forms::MousePointer::Default);
            throw;
        }
    }

    void ChargerIcones();
    void MettreAJourBase(int16_t niveau);

    ado::Connection cn;
    ado::Command cmd;
    ado::Recordset rs;
};
