#pragma once
// The allocation planner: the criteria (sites, services of a site, one profile) kept in
// DotationEnCours from one use to the next, the period and at most one machine; the computation
// of the quantities per article, site and service into the result grid, its export into the
// workbook, and the commit of the allocation as movements.

#include "harnix/magasin/CalculDotation.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/FlexGrid.h"
#include "platform/forms/Form.h"

#include <QProgressBar>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

class FenDotation : public forms::Form
{
    Q_OBJECT

public:
    FenDotation();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void CmdClose_Click();
    void CmdSelecSites_Click();
    void CmdSelecService_Click();
    void CmdSelectProfile_Click();
    void CmdDelCritere_Click();
    void MajEtatCriteres();
    void data1_MoveComplete();
    void ChargerServices();
    void DataGrid_RowColChange(forms::DataGrid* grille, const vb::Variant& lastRow);
    bool CritereExiste(const std::string& condition);
    void CmdDate_Click();
    void Command2_Click();
    void CmdMachAuriseOK_Click();
    void CmdMachAutoriseSelec_Click();
    void CmdGenerer_Click();
    void GenererDotation();
    void FormaterLigneTotal(long& ligne, double solde);
    void CmdFixerDotation_Click();
    void EnregistrerDotation();
    void Command1_Click();
    void ExporterExcel();

    // A year of sample movements for every article and employee (FenDotationMouvements.cpp),
    // offered by the button CmdMouvementsMensuels after a confirmation.
    void CmdMouvementsMensuels_Click();
    forms::CommandButton* CmdMouvementsMensuels;

    // Opens the saved workbook with the desktop's program; tests put their own in its place.
    static inline std::function<bool(const std::string&)> OuvrirClasseur;

    // Window state shared by the computation and the commit.
    int32_t NbJours = 0;
    int32_t NbLignesResultat = 0;
    bool StockInsuffisant = false;
    std::string CritereSites;
    std::string CritereServices;
    std::string CritereProfile;
    bool ChargementServices = false;
    int32_t NoQuotaChoisi = 0;
    std::string ProfileChoisi = "TOUS";
    std::string MachineFiltre;

    forms::DataControl* data1;
    forms::DataControl* data2;
    forms::DataControl* data3;
    forms::DataControl* data4;
    forms::DataGrid* DataGrid1;
    forms::DataGrid* DataGrid2;
    forms::DataGrid* DataGrid3;
    forms::DataGrid* DataGrid4;
    forms::CommandButton* CmdSelecSites;
    forms::CommandButton* CmdSelecService;
    forms::CommandButton* CmdSelectProfile;
    forms::CommandButton* CmdDelCritere;
    forms::ControlArray<forms::Label> Label1{"Label1"};
    forms::ControlArray<forms::Label> Label2{"Label2"};
    forms::CommandButton* CmdDate;
    forms::CommandButton* Command2;
    forms::Panel* SSPanel2;
    forms::ControlArray<forms::OptionButton> CheckBox1{"CheckBox1"};
    forms::CommandButton* CmdMachAutoriseSelec;
    forms::CommandButton* CmdMachAuriseOK;
    forms::CommandButton* CmdGenerer;
    forms::MSFlexGrid* MSFlexGrid1;
    QProgressBar* Progression;
    forms::CommandButton* Command1;
    forms::CommandButton* CmdFixerDotation;
    forms::CommandButton* CmdClose;

private:
    // What a computation was made from; the commit needs the same.
    struct Calcul
    {
        std::vector<std::tuple<std::string, std::string, std::string>> Criteres;
        int32_t NbJours = 0;
        std::string MachineFiltre;
        std::string Filtre;
        bool operator==(const Calcul& autre) const = default;
    };
    Calcul EtatActuel();
    std::vector<CalculDotation::Critere> LireCriteres();
    void AfficherProgression(int pourcentage);
    // Restores the grid to its header row and nine columns.
    void PreparerGrille();
    ado::Recordset Ouvrir(ado::Connection& connexion, ado::Command& commande,
                          const std::string& texte);

    void CreerBoutonMouvements();
    void GenererMouvementsMensuels();

    ado::Connection cn;
    ado::Connection cn2;
    ado::Command cmdSites;
    ado::Command cmdServices;
    ado::Command cmdCriteres;
    ado::Command cmdProfiles;
    ado::Recordset rsSites;
    ado::Recordset rsServices;
    ado::Recordset rsCriteres;
    ado::Recordset rsProfiles;
    // The last computation, when one ran in this window.
    std::optional<Calcul> dernierCalcul_;
};
