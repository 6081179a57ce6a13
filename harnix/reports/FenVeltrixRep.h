#pragma once
// The report viewer window: opens a report file of the report folder, binds its tables (the
// named table or query, the heading table InfoEtat and the company row InfoSociete), shows it,
// and sends it as a PDF file by e-mail.

#include "platform/ado/Connection.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/report/Report.h"
#include "platform/report/ReportViewer.h"

#include <QLineEdit>

#include <memory>
#include <string>

class FenVeltrixRep : public forms::Form
{
    Q_OBJECT

public:
    FenVeltrixRep();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;
    void Form_Unload(int& cancel) override;

    // Prepares the report and starts its display; the caller shows the window. False when the
    // report could not be prepared: the error has been shown and the window unloaded.
    bool ImprimerEtat2(const std::string& UnNom, const std::string& ASelectionFormula,
                       const std::string& TitreRep, const std::string& Table);
    void CmdEmail_Click();

    // The bottom margin of the viewer (twips) for a task bar of that height in pixels.
    static int16_t MargeBarreTaches(int hauteurPixels);

    report::ReportViewer* VXViewer1;
    forms::Label* Label1;
    QLineEdit* Text1;
    forms::CommandButton* CmdEmail;

    const std::shared_ptr<report::Report>& Rapport() const { return rapport; }

private:
    std::shared_ptr<report::Report> rapport;
    ado::Connection cn;
    int16_t marge = 800;
    // The viewer's size from the main window's, in twips.
    int largeurVue = 0;
    int hauteurVue = 0;
};
