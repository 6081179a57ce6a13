#include "harnix/catalogue/FenFournisseur.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/forms/MousePointer.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"

#include <QTableView>

FenFournisseur::FenFournisseur()
{
    setObjectName("FenFournisseur");
    SetCaption("Fichier Fournisseurs");

    data2 = new forms::DataControl("data2", this);
    data2->SetCaption("Adodc1");
    data2->hide();
    DBGrid1 = new forms::DataGrid("DBGrid1", this);
    DBGrid1->SetCaption("FOURNISSEUR");
    // Each column wide enough for its header and a typical value, all of them in the grid.
    const struct
    {
        const char* titre;
        const char* champ;
        int largeur;
    } colonnes[] = {
        {"Nauto", "Nauto", 550},
        {"No", "No", 400},
        {"Code Four.", "CodeFournisseur", 950},
        {"Société", "Societe", 4000},
        {"Adresse", "Adresse", 2100},
        {"Code Postal", "CodePostal", 1050},
        {"Ville", "Ville", 1150},
        {"Nom du Contact", "NomContact", 1450},
        {"Tel", "Tel", 1250},
        {"Fax", "Fax", 1250},
    };
    for (const auto& c : colonnes)
        DBGrid1->AddColumn(c.titre, c.champ, c.largeur);
    DBGrid1->Columns(0).SetLocked(true);
    DBGrid1->Columns(1).SetLocked(true);
    DBGrid1->SetAllowUpdate(false);
    DBGrid1->SetDataSource(data2);

    SSFrame1 = new forms::Frame("SSFrame1", "Fournisseur", this);
    struct Champ
    {
        int index;
        const char* champ;
        const char* libelle;
        int left, top, width;
    };
    const Champ champs[] = {
        {Societe, "Societe", "Société:", 120, 300, 4800},
        {NomContact, "NomContact", "Nom du contact:", 120, 720, 4800},
        {CodeFournisseur, "CodeFournisseur", "Code fournisseur:", 120, 1140, 2000},
        {Adresse, "Adresse", "Adresse:", 7320, 300, 5400},
        {CodePostal, "CodePostal", "Code postal:", 7320, 720, 1000},
        {Ville, "Ville", "Ville:", 7320, 1140, 5400},
        {Tel, "Tel", "Tel:", 7320, 1560, 2000},
        {Fax, "Fax", "Fax:", 7320, 1980, 2000},
    };
    for (const Champ& c : champs) {
        auto* label = new forms::Label(QString("Label%1").arg(c.index), c.libelle, SSFrame1);
        forms::MoveTwips(*label, c.left, c.top + 45, 1740, 285);
        auto& boite = MaskEdBox1.Add(c.index, new forms::BoundText({}, SSFrame1));
        boite.Bind(data2, c.champ);
        forms::MoveTwips(boite, c.left + 1800, c.top, c.width, 345);
    }
    CmdAdd = new forms::CommandButton("CmdAdd", "Ajouter", this);
    CmdDelete = new forms::CommandButton("CmdDelete", "Supprimer", this);
    CmdClose = new forms::CommandButton("CmdClose", "Fermer", this);

    forms::MoveTwips(*DBGrid1, 120, 120, 14640, 4200);
    forms::MoveTwips(*SSFrame1, 120, 4440, 14640, 2520);
    forms::MoveTwips(*CmdAdd, 120, 7080, 1500, 375);
    forms::MoveTwips(*CmdDelete, 1740, 7080, 1500, 375);
    forms::MoveTwips(*CmdClose, 13260, 7080, 1500, 375);
    Move(0, 0, 14900, 8100);
    // The window opens in the middle of the screen.
    FonctionUtilitaires::CentrerFenetre(*this);

    connect(DBGrid1, &forms::DataGrid::HeadClick, this,
            [this](int colIndex) { DBGrid1_HeadClick(colIndex); });
    connect(CmdAdd, &QPushButton::clicked, this, [this] { CmdAdd_Click(); });
    connect(CmdDelete, &QPushButton::clicked, this, [this] { CmdDelete_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
    MaskEdBox1.ForEach([this](int index, forms::BoundText& boite) {
        forms::OnKeyPress(&boite,
                          [this, index](int& keyAscii) { MaskEdBox1_KeyPress(index, keyAscii); });
        // Only typing looks the town up: showing a supplier's row never fills it in.
        connect(&boite, &QLineEdit::textEdited, this, [this, index] { MaskEdBox1_Change(index); });
    });
}

void FenFournisseur::Form_Load()
{
    const std::string dossier = Global::ProgramFolder();
    if (FnTundrel::FichierExiste(dossier, "CP.MDB")) {
        try {
            const std::string fournisseur = "Microsoft.Jet.OLEDB.4.0";
            cnCP.Open("Provider=" + fournisseur + ";" + "Data Source=" + dossier + "\\CP.MDB" +
                      ";Jet OLEDB:Database Password=");
            rsCP.SetCursorLocation(ado::adUseClient);
            rsCP.Open("CodesPostaux order by CodePostal", cnCP, ado::adOpenDynamic,
                      ado::adLockReadOnly);
        } catch (const vb::Error& e) {
            // The window works without the postal codes; the town is then typed by hand.
            FnTundrel::AfficherErreur("Form_Load CP.MDB", e);
        }
    }
    cn.Open(Global::ChaineConnexion);
    cmd.SetActiveConnection(cn);
    cmd.SetCommandText("Fournisseur");
    rs.SetClientCursor(ado::adLockOptimistic);
    rs.Open(cmd);
    data2->SetRecordset(rs);
}

void FenFournisseur::Form_Activate()
{
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FenFournisseur::Form_Unload(int& cancel)
{
    (void)cancel;
    vb::ResumeNext span;
    span([&] { cn.Close(); });
    span([&] { cnCP.Close(); });
}

void FenFournisseur::Enregistrer()
{
    try {
        if (rs.State() == ado::adStateOpen && rs.RecordCount() > 0 && !rs.Eof() && !rs.Bof()) {
            data2->UpdateRecord();
            // A save is no move: the grid is painted again to show the saved values.
            DBGrid1->View()->viewport()->update();
        }
    } catch (const vb::Error& e) {
        try {
            rs.CancelUpdate();
        } catch (const vb::Error&) {
        }
        FnTundrel::AfficherErreur("Enregistrer", e);
    }
}

void FenFournisseur::CmdClose_Click()
{
    Enregistrer();
    Unload();
}

// Sorts the suppliers by the clicked column.
void FenFournisseur::DBGrid1_HeadClick(int colIndex)
{
    try {
        rs.SetSort(rs.Fields(colIndex).Name());
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur("DBGrid1_HeadClick", e);
    }
}

void FenFournisseur::CmdAdd_Click()
{
    try {
        ado::Command cmdAjout;
        cmdAjout.SetActiveConnection(cn);
        cmdAjout.SetCommandText("Fournisseur");
        ado::Recordset ajout;
        ajout.SetClientCursor(ado::adLockPessimistic);
        ajout.Open(cmdAjout);
        // A row left at No = 0 by an interrupted add goes first.
        if (ajout.RecordCount() > 0) {
            ajout.Find("No=0");
            if (!ajout.Eof() && vb::CLng(ajout.Fields("No").Value()) == 0)
                ajout.Delete();
        }
        // Inserted at once, so that the database gives the row its Nauto.
        ajout.AddNew({"No"}, {vb::Variant(int32_t(0))});
        const vb::Variant nauto = ajout.Fields("Nauto").Value();
        ajout.Fields("No") = nauto;
        ajout.Update();
        ajout.Close();
        cmdAjout.ReleaseConnection();

        // The new supplier is found by its number: under a header sort it is not the last row.
        rs.Requery();
        rs.Find("Nauto=" + vb::CStr(nauto), 0, ado::adSearchForward, ado::adBookmarkFirst);
        MaskEdBox1(Societe).setFocus();
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur("CmdAdd_Click", e);
    }
}

void FenFournisseur::CmdDelete_Click()
{
    if (forms::MsgBox("Confirmer la suppression !", forms::vbYesNo + forms::vbExclamation,
                      "Confirmation") != forms::vbYes)
        return;
    vb::ResumeNext span;
    span([&] { rs.Delete(); });
    // The next supplier (or the new last one) is shown in place of the deleted one.
    span([&] {
        rs.MoveNext();
        if (rs.Eof() && rs.RecordCount() > 0)
            rs.MoveLast();
    });
}

// Return or Tab in the masked box saves the supplier.
void FenFournisseur::MaskEdBox1_KeyPress(int index, int& keyAscii)
{
    if (keyAscii == forms::vbKeyReturn) {
        keyAscii = 0;
        Enregistrer();
        forms::SendTab();
        return;
    }
    if (keyAscii == forms::vbKeyTab) {
        Enregistrer();
        return;
    }
    if (index == Societe || index == CodeFournisseur || index == Ville)
        keyAscii = forms::UpperCaseKey(keyAscii);
}

void FenFournisseur::MaskEdBox1_Change(int index)
{
    if (index != CodePostal)
        return;
    forms::BoundText& ville = MaskEdBox1(Ville);
    const QString cp = MaskEdBox1(CodePostal).text();
    if (!ville.text().isEmpty() || cp.size() != 5)
        return;
    ville.setFocus();
    ville.SetText(QString::fromStdString(LocaliteDuCodePostal(cp.toStdString())));
}

std::string FenFournisseur::LocaliteDuCodePostal(const std::string& cp)
{
    std::string localite;
    try {
        if (rsCP.State() != ado::adStateOpen)
            return localite;
        rsCP.MoveFirst();
        rsCP.Find("CodePostal=" + cp);
        if (!rsCP.Eof())
            localite = vb::CStr(rsCP.Fields("Localite").Value());
    } catch (const vb::Error&) {
        // A code that is not a number, or a town that is Null: the town stays as found so far.
    }
    return localite;
}
