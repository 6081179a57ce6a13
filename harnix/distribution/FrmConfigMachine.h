#pragma once
// The machine configuration window: the list of the distribution machines and, for the chosen
// one, its lines (shelves or columns) with the article of each, the units present and a fill
// bar. In configuration mode a line without units takes an article picked in the article
// window, and the lines are saved to ConfigMachines. It also prints the five machine sheets
// after rebuilding their refill list.

#include "harnix/commun/ChoixArticleMachine.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/FlexGrid.h"
#include "platform/forms/FloodPanel.h"
#include "platform/forms/Form.h"
#include "platform/forms/Pictures.h"

#include <array>
#include <cstdint>
#include <string>

// Lines of machine `no` with the article of each, by line; a line whose article is unknown is
// kept.
std::string RequeteLignesMachine(const std::string& no);

class FrmConfigMachine : public forms::Form, public ChoixArticleMachine
{
    Q_OBJECT

public:
    // Lines of a machine that the bars and the line table hold.
    static constexpr int NbLignesMax = 36;
    // Colour of the even lines, in the grid and on their bars.
    static constexpr long CouleurLignePaire = 8767475;

    // Fields of a line of LignesMachine.
    enum Champ {
        ChampLigne = 1, // shelf or physical column shown
        ChampReference, // article of the line
        ChampCode,      // its machine article code
        ChampUnites,    // units present
        ChampARemplir,  // units to fill, rounded half to even
        ChampMachine,   // machine number
    };

    FrmConfigMachine();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void Adodc1_MoveComplete();
    void DataGrid1_Click();
    void CmdClose_Click();
    void CmdModeConfig_Click();
    void MSFlexGrid1_Click();
    void CmdEnregiConfig_Click();
    void CmdRmplir_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    // Refreshes LigneOccupee for the shown machine; false after a failure, which it reports.
    bool VerifierMachineVide();
    // Rebuild TRemplissageMachine from the shown machine, or from every machine of the list;
    // false after a failure, which they report.
    bool RemplisageMachine();
    bool RemplissageMachineGlobal();
    // Appends the slots of a machine of model 1 to 5 to EmplacementsMachine1, all empty;
    // nothing for another model.
    void CreerEmplacementsMachine(int32_t noMachine, int type);

    // Whether the number, a whole one, is odd.
    static bool EstImpair(double n);

    bool ModeConfig = false;
    int32_t NoMachineCourant = 0;
    int16_t TypeAffichage = 0;
    // Lines 1 to 36, fields 1 to 6 (index 0 unused).
    std::array<std::array<int32_t, 7>, NbLignesMax + 1> LignesMachine{};
    // Flag k: line k + 1 of the grid holds at least one unit.
    std::array<bool, NbLignesMax> LigneOccupee{};

    forms::DataControl* Adodc1;
    forms::DataGrid* DataGrid1;
    forms::Image* Picture1;
    forms::MSFlexGrid* MSFlexGrid1;
    forms::ControlArray<forms::FloodPanel> SSPanel2{"SSPanel2"};
    forms::Panel* SSPanel3;
    forms::Label* Label3;
    forms::CommandButton* CmdClose;
    forms::CommandButton* CmdModeConfig;
    forms::CommandButton* CmdEnregiConfig;
    forms::CommandButton* CmdRmplir;
    forms::CommandButton* Command1;
    forms::CommandButton* Command2;
    forms::CommandButton* Command3;
    forms::CommandButton* Command4;

private:
    void LireConfigMachineEtage();
    void LireConfigMachineColonne();
    // The display of both kinds: by shelf, or by column.
    void LireConfigMachine(bool parEtage);
    // Rebuilds the refill list when asked to, then fills the sheet's table and prints it.
    enum class Reconstruction { Aucune, Machine, Globale };
    void ImprimerFiche(Reconstruction reconstruction, const std::string& requete,
                       const std::string& titre, const std::string& fichier);

    ado::Connection cn;
    ado::Recordset rsMachines;
    // Column step of the shown machine (1 for a shelf-loaded one).
    int pasColonne_ = 1;
};
