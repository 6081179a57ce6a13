#pragma once
// The maintenance badges: badge numbers reserved for maintenance, which no employee may hold.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Form.h"

#include <QLineEdit>

class FenBadgeMaintenance : public forms::Form
{
    Q_OBJECT

public:
    FenBadgeMaintenance();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void data2_MoveComplete();
    void CmdAdd_Click();
    void CmdModif_Click();
    void CmdDelete_Click();
    void CmdClose_Click();
    void Command1_Click();

    QLineEdit* Text2;
    forms::CommandButton* CmdAdd;
    forms::CommandButton* CmdModif;
    forms::CommandButton* CmdDelete;
    forms::CommandButton* CmdClose;
    forms::CommandButton* Command1;
    forms::DataControl* data2;
    forms::DataGrid* DBGrid1;

private:
    ado::Connection cn;
    ado::Command cmd;
    ado::Recordset rs;
};
