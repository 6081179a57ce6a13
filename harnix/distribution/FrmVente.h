#pragma once
// The issue history: the movement headers, newest first, with the lines of the current one
// below, and a search by date, badge number or name. Nothing in it writes to the database.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/BoundControls.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Form.h"

#include <QLineEdit>

class FrmVente : public forms::Form
{
    Q_OBJECT

public:
    // Search modes.
    static constexpr int ModeDate = 1;
    static constexpr int ModeSalarie = 2;
    static constexpr int ModeNom = 4;

    FrmVente();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;

    void AppliquerOptionRecherche();
    void DBGrid1_HeadClick(int colIndex);
    void TextCherche_Change();
    void TextCherche_Click();
    void TextCherche_KeyPress(int& keyAscii);
    void ChargerDetailVente();
    void CmdClose_Click();

    int Mode() const { return mode; }

    forms::OptionButton* SSOptionDate;
    forms::OptionButton* SSOptionClient;
    forms::OptionButton* SSOptionNom;
    QLineEdit* TextCherche;
    forms::BoundText* TextTicket;
    forms::DataGrid* DBGrid1;
    forms::DataGrid* DBGrid2;
    forms::DataControl* data1;
    forms::DataControl* data2;
    forms::CommandButton* CmdClose;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Moves to the newest movement dated on or before the typed day (or moment, when a time is
    // typed): the list runs newest first.
    void ChercherDate(const std::string& texte);

    ado::Connection cn1;
    ado::Connection cn2;
    ado::Command cmd1;
    ado::Command cmd2;
    ado::Recordset rs1;
    ado::Recordset rs2;
    int mode = ModeDate;
    // The headers read at the load are current at the first activation; every later activation
    // reads them again.
    bool relire_ = false;
};
