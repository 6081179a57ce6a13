#pragma once
// The profiles window: the entitlement profiles and, for the current one, its quota lines (an
// article, the units allowed and the period in days). Articles are added through the article
// window in picker mode. The employee register also opens it to create the personal profile of
// one employee.

#include "harnix/commun/ChoixArticleQuota.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/BoundControls.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Form.h"

#include <cstdint>
#include <string>

// The lines of a profile with their article and its size, a line whose article is gone
// included; `condition` follows Quota.NoQota ("= 5", "IS NULL").
std::string RequeteLignesProfil(const std::string& condition);

class FenQuota : public forms::Form, public ChoixArticleQuota
{
    Q_OBJECT

public:
    // No article can be added to this profile, and it cannot be deleted.
    static constexpr int32_t ProfileProtege = 108;

    FenQuota();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    // Shows the quota lines of the current profile.
    void AfficherQuotas();
    // Adds the profile named after the badge and makes it current; the register learns its
    // number through NumQuota, or through ErreurFenQuota that the name exists.
    void AjoutProfileSalarie(std::string& badge);

    void CmdAddProfile_Click();
    void CmdDelProfile_Click();
    void CmdAddArticle_Click();
    void CmdDelArticle_Click();
    void CmdClose_Click();
    void DBGrid2_HeadClick(int colIndex);

    // Opened by the employee register for one employee.
    bool DepuisFenUtilisateur = false;

    forms::Frame* SSFrame1;
    forms::DataControl* data1;
    forms::DataGrid* DataGrid1;
    forms::BoundText* Text1;
    forms::CommandButton* CmdAddProfile;
    forms::CommandButton* CmdDelProfile;
    forms::Frame* SSFrame2;
    forms::DataControl* data2;
    forms::DataGrid* DBGrid2;
    forms::BoundLabel* LabelRefArticle;
    forms::BoundLabel* LabelDesignation;
    forms::BoundLabel* LabelTaille;
    forms::BoundText* Text2;
    forms::BoundText* Text3;
    forms::CommandButton* CmdAddArticle;
    forms::CommandButton* CmdDelArticle;
    forms::CommandButton* CmdClose;

private:
    // Whether the current profile is the protected one.
    bool ProfileCourantProtege() const;

    ado::Connection cn1;
    ado::Connection cn2;
    ado::Command cmd1;
    ado::Command cmd2;
    ado::Recordset rs1;
    ado::Recordset rs2;
};
