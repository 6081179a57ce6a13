#pragma once
// The families window: the article families in a grid, with adding, renaming, deleting and the
// function text. The shoe and glove families of the settings keep their name and stay.

#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Form.h"
#include "platform/vb/Variant.h"

#include <QLineEdit>

class FenFamille : public forms::Form
{
    Q_OBJECT

public:
    FenFamille();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void data2_MoveComplete();
    void DBGrid1_HeadClick(int colIndex);
    void CmdModif_Click();
    void CmdAdd_Click();
    void CmdDelete_Click();
    void CmdClose_Click();

    forms::DataControl* data2;
    forms::DataGrid* DBGrid1;
    forms::Frame* SSFrame1;
    QLineEdit* Text2;
    QLineEdit* Text1;
    forms::CommandButton* CmdModif;
    forms::CommandButton* CmdAdd;
    forms::CommandButton* CmdDelete;
    forms::CommandButton* CmdClose;

private:
    ado::Connection cn;
    ado::Recordset rs;
};

// Whether the family number is that of the shoe or the glove family of the settings.
bool FamilleProtegee(const vb::Variant& noFamille);
