#pragma once
// The employee register: employees with their badges, names, staff numbers, sizes, site,
// service and profile, edited through the stored query GrUtilisateur. It also holds the serial
// port of the badge reader and the EAN-13 functions that other windows use through its one
// instance.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/comm/CommControl.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Form.h"

#include <QColor>
#include <QLineEdit>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class FrmUtilisateur : public forms::Form
{
    Q_OBJECT

public:
    FrmUtilisateur();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    // EAN-13 badge codes (see CodeBadge.h); both change their argument.
    std::string EAN13(std::string& code);
    std::string CalculChecksumEAN13(std::string& code);

    void RemplirColSite();
    void RemplirColService(int32_t& site);
    // True when the maintenance badges hold the number, after telling the user.
    bool BadgeEnMaintenance(std::string& badge);
    void AppliquerTriRecherche();

    void data1_MoveComplete();
    void Combo1_Click();
    void CmdAdd_Click();
    void CmdModif_Click();
    void CmdDelete_Click();
    void CmdClose_Click();
    void DBGrid1_HeadClick(int colonne);
    void TextCherche_Change();
    void TextCherche_Click();
    void Text2_KeyPress(int index, int& keyAscii);
    // Creates the personal profile of the current employee, named after the badge.
    void CmdQuota_Click();

    // The current employee's consumption report and the badge button
    // (FrmUtilisateurConso.cpp).
    void CmdPeriode_Click();
    void CmdConso_Click();
    void Command1_Click();
    forms::CommandButton* CmdPeriode;
    forms::CommandButton* CmdConso;
    forms::CommandButton* Command1;
    // The report period as day/month/year texts, empty until the first report.
    std::string DebutPeriode;
    std::string FinPeriode;

    // The authorised machines of the current employee, ticked in the machines panel.
    void DBGrid1_ButtonClick(int colonne);
    void DBGrid1_Click();
    void CmdMachAutoriseSelec_Click();
    void CmdMachAuriseOK_Click();

    // Read and written by the creation of a personal profile.
    int16_t ErreurFenQuota = 0;
    int32_t NumQuota = 0;

    // The serial port of the badge reader (see EuroKey.h).
    comm::CommControl MSComm;

    forms::ControlArray<QLineEdit> Text2{"Text2"};
    forms::ComboBox* Combo1; // site
    forms::ComboBox* Combo2; // service
    forms::ComboBox* Combo3; // profile
    forms::ComboBox* Combo4; // glove size
    forms::ComboBox* Combo5; // shoe size
    forms::CommandButton* CmdAdd;
    forms::CommandButton* CmdModif;
    forms::CommandButton* CmdDelete;
    forms::CommandButton* CmdClose;
    forms::CommandButton* CmdQuota;
    QLineEdit* TextCherche;
    forms::OptionButton* SSOptionBadge;
    forms::OptionButton* SSOptionNom;
    forms::OptionButton* SSOptionMatricule;
    forms::DataControl* data1;
    forms::DataGrid* DBGrid1;

    forms::Panel* SSPanel2; // the machines panel
    forms::ControlArray<forms::CheckBox> CheckBox1{"CheckBox1"};
    forms::CommandButton* CmdMachAuriseOK;
    forms::CommandButton* CmdMachAutoriseSelec;
    // The quota lines of the current employee's profile.
    forms::DataControl* data2;
    forms::DataGrid* DBGrid2;
    forms::Label* Label3;

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    // Maps a list's position to the record shown there; 201 rows, three text columns.
    class TableId
    {
    public:
        // Raises error 9 (subscript out of range) past row 200.
        std::string& operator()(int ligne, int colonne);

    private:
        std::vector<std::array<std::string, 3>> lignes_ =
            std::vector<std::array<std::string, 3>>(201);
    };

    void CreerBoutonsConso();
    // A recordset on the first connection, as the lists read theirs.
    ado::Recordset OuvrirListe(const std::string& texte, ado::Command& commande,
                               long verrou = ado::adLockOptimistic);
    // The greatest badge number that is a whole number, plus one; the first number of the
    // settings when there is none.
    std::string NumeroSuivant();
    // Refreshes the profile detail and its size warning for the current employee.
    void AfficherDetailProfil();

    ado::Connection cn;
    ado::Command cmd;
    ado::Recordset rs;
    ado::Connection cn2;
    ado::Command cmdDetail;
    ado::Recordset rsDetail;

    TableId TableSite;
    TableId TableService;
    TableId TableProfile;
    TableId TableTailleMain;
    TableId TableTailleChaussure;

    int ModeRecherche = 1;
    QColor CouleurModif;
    // The lists were just filled by the load: the first activation need not read them again.
    bool ListesDuChargement = false;
    // A search is moving the recordset: it returns to its row itself when nothing is found.
    bool recherche_ = false;
    // The search order is changing: the employee is shown once it is done.
    bool tri_ = false;
    // Off while the first activation after the load sorts the employees just read.
    bool relire_ = true;
};
