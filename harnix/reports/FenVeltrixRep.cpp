#include "harnix/reports/FenVeltrixRep.h"

#include "harnix/commun/FenetrePrincipale.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/Periode.h"
#include "harnix/reports/FenCompteRendu.h"
#include "platform/ado/Command.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/report/Errors.h"
#include "platform/vb/Error.h"
#include "platform/win/Screen.h"
#include "platform/win/Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <vector>

namespace {

constexpr const char* SujetEmail = "Rapport du distributeur automatique d'E.P.I. : ";

// The period text of the heading, from a box of the reports window read as a date.
std::string DateCourte(const QLineEdit& boite, const char* message)
{
    const auto date = Periode::LireDate(boite.text().toStdString());
    if (!date)
        throw vb::Error(vb::ErrTypeMismatch, message, "FenVeltrixRep");
    return Periode::TexteDate(*date);
}

} // namespace

FenVeltrixRep::FenVeltrixRep()
{
    setObjectName("FenVeltrixRep");
    VXViewer1 = new report::ReportViewer(this);
    VXViewer1->setObjectName("VXViewer1");
    Label1 = new forms::Label("Label1", "Adresse E-mail:", this);
    forms::MoveTwips(*Label1, 120, 90, 1400, 285);
    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    forms::MoveTwips(*Text1, 1560, 45, 3600, 345);
    CmdEmail = new forms::CommandButton("CmdEmail", "  Envoie fichier PDF", this);
    forms::MoveTwips(*CmdEmail, 5280, 30, 2400, 390);
    connect(CmdEmail, &QPushButton::clicked, this, [this] { CmdEmail_Click(); });
}

int16_t FenVeltrixRep::MargeBarreTaches(int hauteurPixels)
{
    const int marge = std::clamp(hauteurPixels * 22, -32768, 32767);
    return static_cast<int16_t>(std::max(marge, 800));
}

void FenVeltrixRep::Form_Load()
{
    const QScreen* ecran = QGuiApplication::primaryScreen();
    const QRect zone = ecran ? ecran->availableGeometry()
                             : QRect(0, 0, win::ScreenWidthPixels(), win::ScreenHeightPixels());
    // The task bar is what the desktop keeps out of the available area at the screen's foot.
    int barre = 0;
    if (ecran)
        barre = ecran->geometry().bottom() - zone.bottom();
    marge = MargeBarreTaches(barre);
    int largeur = win::ScreenWidthTwips(), hauteur = win::ScreenHeightTwips();
    if (const forms::Form* principale = FenetrePrincipale::Chargee()) {
        largeur = principale->Width();
        hauteur = principale->Height();
    }
    largeurVue = largeur - 100;
    hauteurVue = std::max(hauteur - marge, 1500);
    // The window, its frame included, as large as the main window but inside the available area
    // (the main window covers the whole screen, task bar included).
    Move(win::PixelsToTwips(zone.x()), win::PixelsToTwips(zone.y()),
         std::min(largeur, win::PixelsToTwips(zone.width())),
         std::min(hauteur, win::PixelsToTwips(zone.height())));
    Form_Resize();
}

void FenVeltrixRep::Form_Resize()
{
    // The viewer's own size, cut where the window's inner area ends.
    forms::MoveTwips(*VXViewer1, 0, 480, std::min(largeurVue, ScaleWidth()),
                     std::max(std::min(hauteurVue, ScaleHeight() - 480), 0));
}

void FenVeltrixRep::Form_Activate()
{
    Text1->setText(QString::fromStdString(Global::AdresseEmail));
}

void FenVeltrixRep::Form_Unload(int& cancel)
{
    (void)cancel;
    Global::AdresseEmail = Text1->text().toStdString();
}

bool FenVeltrixRep::ImprimerEtat2(const std::string& UnNom, const std::string& ASelectionFormula,
                                  const std::string& TitreRep, const std::string& Table)
{
    (void)ASelectionFormula; // accepted, not applied
    std::vector<ado::Recordset> ouverts;
    try {
        rapport = report::Report::Open(Global::CheminRapports + UnNom);
        rapport->SetPictureFolder(QString::fromStdString(Global::CheminImages));
        cn.Open(Global::ChaineConnexion);

        auto ouvrir = [&](const std::string& texte) {
            ado::Command cmd;
            cmd.SetActiveConnection(cn);
            cmd.SetCommandText(texte);
            ado::Recordset rs;
            rs.SetClientCursor(ado::adLockPessimistic);
            rs.Open(cmd);
            ouverts.push_back(rs);
            return rs;
        };
        FenCompteRendu& compteRendu = forms::form<FenCompteRendu>();
        ado::Recordset infoEtat = ouvrir("InfoEtat");
        if (infoEtat.Bof() && infoEtat.Eof())
            infoEtat.AddNew();
        infoEtat["Titre"] = vb::Variant(TitreRep);
        infoEtat["Periode"] = vb::Variant(
            "Période du " +
            DateCourte(*compteRendu.TextDebut, "La date de départ n'est pas valide") + " au " +
            DateCourte(*compteRendu.TextFin, "La date de fin n'est pas valide"));
        infoEtat.Update();
        infoEtat.Requery();
        ado::Recordset infoSociete = ouvrir("InfoSociete");

        std::vector<ado::Recordset> tables;
        if (Table.find("CA") != std::string::npos && UnNom != "ConsUnSalarie.rpt") {
            if (compteRendu.RecordsetEtat.State() != ado::adStateOpen)
                throw vb::Error(3704, "La table de travail CA n'est pas prête", "FenVeltrixRep");
            tables = {compteRendu.RecordsetEtat, infoEtat, infoSociete};
        } else if (Table.empty()) {
            tables = {ouvrir("ArticleEnStock"), ouvrir("Familles"), ouvrir("Fournisseur"),
                      infoSociete, infoEtat};
        } else if (Table == "GrUtilisateur") {
            tables = {ouvrir("GrUtilisateur"), infoSociete};
        } else {
            tables = {ouvrir(Table), infoEtat, infoSociete};
        }
        for (size_t i = 0; i < tables.size(); ++i)
            rapport->SetDataSource(static_cast<int>(i) + 1, tables[i], 3);
        SetCaption(QString::fromStdString(TitreRep));
        rapport->ReadRecords();

        forms::SetMousePointer(forms::MousePointer::Hourglass);
        VXViewer1->SetReportSource(rapport);
        VXViewer1->ViewReport();
        while (VXViewer1->IsBusy())
            forms::DoEvents();
        if (!VXViewer1->LastError().isEmpty())
            throw vb::Error(report::ErrExport, VXViewer1->LastError().toStdString(), "report");
        forms::SetMousePointer(forms::MousePointer::Default);
        for (ado::Recordset& rs : ouverts)
            rs.Close();
        cn.Close();
        return true;
    } catch (const vb::Error& e) {
        forms::MsgBox(QString::number(e.Number()) + " " + QString::fromStdString(e.Description()),
                      forms::vbOKOnly);
        forms::SetMousePointer(forms::MousePointer::Default);
        for (ado::Recordset& rs : ouverts)
            if (rs.State() == ado::adStateOpen)
                rs.Close();
        if (cn.State() == ado::adStateOpen)
            cn.Close();
        Unload();
        return false;
    }
}

void FenVeltrixRep::CmdEmail_Click()
{
    if (!Text1->text().contains('@') || !rapport)
        return;
    try {
        report::ExportOptions& options = rapport->GetExportOptions();
        options.format = report::ExportFormatPdf;
        options.destination = report::ExportToMail;
        options.diskFileName = QString::fromStdString(Global::ProgramFolder() + "/test.pdf");
        options.mailSubject = SujetEmail;
        options.mailToList = Text1->text();
        rapport->Export();
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur("CmdEmail_Click", e);
    }
}
