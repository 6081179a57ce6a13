#pragma once
// The suppliers window: a grid of every supplier with an edit panel of bound boxes, adding,
// deleting, sorting by a column, and the town filled in from the postal code through CP.MDB.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/BoundControls.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Form.h"

#include <string>

class FenFournisseur : public forms::Form
{
    Q_OBJECT

public:
    // The boxes of MaskEdBox1 that the code refers to by index.
    enum Boite {
        Societe = 0,
        NomContact = 1,
        CodeFournisseur = 2,
        Adresse = 10,
        CodePostal = 11,
        Ville = 12,
        Tel = 13,
        Fax = 14
    };

    FenFournisseur();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void CmdAdd_Click();
    void CmdDelete_Click();
    void CmdClose_Click();
    void DBGrid1_HeadClick(int colIndex);
    void MaskEdBox1_KeyPress(int index, int& keyAscii);
    // The postal-code box's content changed by typing: the town lookup.
    void MaskEdBox1_Change(int index);
    // The town of the postal code in CP.MDB; empty when the code is not found.
    std::string LocaliteDuCodePostal(const std::string& cp);

    forms::DataControl* data2;
    forms::DataGrid* DBGrid1;
    forms::Frame* SSFrame1;
    forms::ControlArray<forms::BoundText> MaskEdBox1{"MaskEdBox1"};
    forms::CommandButton* CmdAdd;
    forms::CommandButton* CmdDelete;
    forms::CommandButton* CmdClose;

private:
    // Saves the pending change of the current supplier.
    void Enregistrer();

    ado::Connection cn;
    ado::Command cmd;
    ado::Recordset rs;
    ado::Connection cnCP;
    ado::Recordset rsCP;
};
