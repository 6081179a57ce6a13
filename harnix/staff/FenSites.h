#pragma once
// The sites and services window: a grid of the sites with a form for one site, and a grid of
// the services of the current site with a form for one service.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Form.h"

#include <QLineEdit>

#include <string>

class FenSites : public forms::Form
{
    Q_OBJECT

public:
    FenSites();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void data1_MoveComplete();
    void data2_MoveComplete();
    void AfficherServices();
    void CommandAddSite_Click();
    void CmdAdd_Click();
    void CommandModifSite_Click();
    void CmdModifier_Click();
    void CommandSuppSite_Click();
    void CmdDel_Click();
    void CmdClose_Click();
    void Text1_KeyPress(int& keyAscii);
    bool SiteExiste(const std::string& nom);
    bool ServiceExiste(const std::string& nom);

    forms::Frame* SSFrame1;
    forms::DataControl* data1;
    forms::DataGrid* DataGrid2;
    QLineEdit* Text3;
    QLineEdit* Text5;
    QLineEdit* Text4;
    forms::CommandButton* CommandAddSite;
    forms::CommandButton* CommandModifSite;
    forms::CommandButton* CommandSuppSite;
    forms::Frame* Services;
    forms::DataControl* data2;
    forms::DataGrid* DBGrid1;
    QLineEdit* Text1;
    QLineEdit* Text2;
    forms::CommandButton* CmdAdd;
    forms::CommandButton* CmdModifier;
    forms::CommandButton* CmdDel;
    forms::CommandButton* CmdClose;

private:
    void EnregistrerSite();
    void EnregistrerService();
    // "=1" for the current site, " IS NULL" for a site without number; empty without a site.
    std::string ConditionSite() const;

    ado::Connection cn;
    ado::Command cmdSites;
    ado::Command cmdServices;
    ado::Recordset rsSites;
    ado::Recordset rsServices;
};
