#include "harnix/catalogue/frmMouvtStock.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"

namespace {

// "Error:" and the number, a blank and the description, with an OK button and no title.
void MontrerErreur(const vb::Error& erreur)
{
    forms::MsgBox("Error:" + QString::number(erreur.Number()) + " " +
                      QString::fromStdString(erreur.Description()),
                  forms::vbOKOnly);
}

} // namespace

frmMouvtStock::frmMouvtStock()
{
    setObjectName("frmMouvtStock");
    SetCaption("Mouvement du stock");

    Data1 = new forms::DataControl("Data1", this);
    Data1->hide();
    DBGrid1 = new forms::DataGrid("DBGrid1", this);
    DBGrid1->SetCaption("MOUVEMENTS DE STOCK");
    DBGrid1->AddColumn("Date d'entrée", "DateEntree", 1400);
    DBGrid1->Columns(0).SetNumberFormat("Short Date");
    DBGrid1->AddColumn("Ref. Produit", "RefProduit", 1100);
    DBGrid1->AddColumn("Désignation", "Designation", 3300);
    DBGrid1->AddColumn("Qté", "Qte", 700);
    DBGrid1->AddColumn("Commentaire", "Commentaire", 2400);
    DBGrid1->AddColumn("Fournisseur", "NomFournisseur", 4300);
    DBGrid1->AddColumn("Réf. fournisseur", "RefFournisseur", 1700);
    // The journal is only read here.
    DBGrid1->SetAllowUpdate(false);
    DBGrid1->SetDataSource(Data1);
    CmdClose = new forms::CommandButton("CmdClose", "Fermer", this);

    forms::MoveTwips(*DBGrid1, 120, 120, 15520, 6600);
    forms::MoveTwips(*CmdClose, 14140, 6840, 1500, 420);
    Move(0, 0, 15880, 7860);

    connect(DBGrid1, &forms::DataGrid::HeadClick, this,
            [this](int colIndex) { DBGrid1_HeadClick(colIndex); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
}

void frmMouvtStock::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    try {
        cn.Open(Global::ChaineConnexion);
        cmd.SetActiveConnection(cn);
        cmd.SetCommandText("MouvementStock");
        rs.SetClientCursor(ado::adLockPessimistic);
        rs.Open(cmd);
        Data1->SetRecordset(rs);
    } catch (const vb::Error& erreur) {
        MontrerErreur(erreur);
        Unload();
    }
}

void frmMouvtStock::Form_Activate()
{
    try {
        // Receipts recorded since the last showing appear.
        rs.Requery();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("Form_Activate", erreur);
    }
    forms::SetMousePointer(forms::MousePointer::Default);
}

void frmMouvtStock::Form_Unload(int& cancel)
{
    (void)cancel;
    vb::ResumeNext span;
    span([&] { cn.Close(); });
}

// Sorts the movements by the clicked column.
void frmMouvtStock::DBGrid1_HeadClick(int colIndex)
{
    try {
        rs.SetSort(rs.Fields(colIndex).Name());
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("DBGrid1_HeadClick", erreur);
    }
}

void frmMouvtStock::CmdClose_Click()
{
    Hide();
}

void frmMouvtStock::TrierParColonneSaisie()
{
    try {
        std::string colonne = TriEnAttente;
        if (colonne.empty()) {
            colonne = forms::InputBox("Enter Sort Column:").toStdString();
            if (colonne.empty())
                return;
        }
        rs.SetSort(colonne);
    } catch (const vb::Error& erreur) {
        forms::SetMousePointer(forms::MousePointer::Default);
        MontrerErreur(erreur);
    }
}

void frmMouvtStock::TrierColonne(int colIndex)
{
    const std::string nom = "[" + rs.Fields(colIndex).Name() + "]";
    TriEnAttente = TriDescendant ? nom + " desc" : nom;
    TriDescendant = false;
    TrierParColonneSaisie();
    TriEnAttente.clear();
}

void frmMouvtStock::DBGrid1_MouseUp(int shift)
{
    TriDescendant = shift != 0;
}

void frmMouvtStock::DBGrid1_BeforeDelete(int& cancel)
{
    if (forms::MsgBox("Delete Current Row?", forms::vbYesNo + forms::vbQuestion) != forms::vbYes)
        cancel = 1;
}

// Asks before a grid edit is written.
void frmMouvtStock::DBGrid1_BeforeUpdate(int& cancel)
{
    if (forms::MsgBox("Commit changes?", forms::vbYesNo + forms::vbQuestion) != forms::vbYes)
        cancel = 1;
}
