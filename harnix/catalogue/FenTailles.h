#pragma once
// The sizes window: the families on the left, the sizes of the chosen family in their order on
// the right, with adding, renaming, deleting and moving a size up or down the list.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Form.h"
#include "platform/forms/SpinButton.h"
#include "platform/vb/Variant.h"

#include <QLineEdit>

#include <string>

class FenTailles : public forms::Form
{
    Q_OBJECT

public:
    FenTailles();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void data1_MoveComplete();
    void data2_MoveComplete();
    void CmdAdd_Click();
    void CmdModifier_Click();
    void CmdDel_Click();
    void CmdClose_Click();
    // Down: exchanges the current size with the next one; up: with the previous one.
    void SpinButton1_SpinDown();
    void SpinButton1_SpinUp();
    void Text1_KeyPress(int& keyAscii);

    forms::DataControl* data1;
    forms::DataControl* data2;
    forms::DataGrid* DataGrid2;
    forms::DataGrid* DBGrid1;
    QLineEdit* Text1;
    forms::CommandButton* CmdAdd;
    forms::CommandButton* CmdModifier;
    forms::CommandButton* CmdDel;
    forms::CommandButton* CmdClose;
    forms::SpinButton* SpinButton1;

private:
    bool TailleExiste(const std::string& taille);
    void ChargerTailles();
    // "=4", or "IS NULL" for a family without number.
    std::string ClauseFamille() const;
    void Echanger(bool suivante);
    // Whether two sizes of the list share an order.
    bool OrdresEnDouble() const;
    // Numbers the sizes 1, 2, 3 ... in the order of the list, saving each changed one.
    void Renumeroter();

    ado::Connection cn;
    ado::Command cmdFamilles;
    ado::Command cmdTailles;
    ado::Recordset rsFamilles;
    ado::Recordset rsTailles;
    // The size as it stood before the last rename, put back when the database refuses it.
    vb::Variant tailleAvantModification;
};
