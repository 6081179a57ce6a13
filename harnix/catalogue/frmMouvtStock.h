#pragma once
// The stock-receipt history: the whole journal of receipts in one grid, sorted by a click on a
// column header, read again each time the window comes to the front.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Form.h"

#include <string>

class frmMouvtStock : public forms::Form
{
    Q_OBJECT

public:
    frmMouvtStock();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void DBGrid1_HeadClick(int colIndex);
    void CmdClose_Click();

    // Operations that no control calls.
    // Sorts by the pending sort text, or by a column name asked for when there is none.
    void TrierParColonneSaisie();
    // Sorts by the field at the column's position, descending when the flag is set.
    void TrierColonne(int colIndex);
    // Any modifier key held with a mouse event on the grid asks for a descending sort.
    void DBGrid1_MouseUp(int shift);
    // Confirmations before the grid deletes or saves a row; any answer but Yes cancels.
    void DBGrid1_BeforeDelete(int& cancel);
    void DBGrid1_BeforeUpdate(int& cancel);

    forms::DataControl* Data1;
    forms::DataGrid* DBGrid1;
    forms::CommandButton* CmdClose;

    std::string TriEnAttente;
    bool TriDescendant = false;

private:
    ado::Connection cn;
    ado::Command cmd;
    ado::Recordset rs;
};
