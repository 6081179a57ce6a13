#include "harnix/catalogue/FenFamille.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "platform/forms/BoundControls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/forms/MousePointer.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"

bool FamilleProtegee(const vb::Variant& noFamille)
{
    if (noFamille.IsNull() || noFamille.IsEmpty())
        return false;
    const int32_t no = vb::CLng(noFamille);
    return no == Global::FamilleChaussures || no == Global::FamilleGants;
}

FenFamille::FenFamille()
{
    setObjectName("FenFamille");
    SetCaption("Fichier Familles");

    data2 = new forms::DataControl("data2", this);
    data2->hide();
    DBGrid1 = new forms::DataGrid("DBGrid1", this);
    DBGrid1->SetCaption("Familles de produits");
    DBGrid1->AddColumn("Famille", "NomFamille", 2400);
    DBGrid1->AddColumn("Fonction", "Fonction", 3000);
    DBGrid1->SetAllowUpdate(false);
    DBGrid1->SetDataSource(data2);

    SSFrame1 = new forms::Frame("SSFrame1", {}, this);
    auto* labelFamille = new forms::Label("Label1", "Famille:", SSFrame1);
    auto* labelFonction = new forms::Label("Label2", "Fonction:", SSFrame1);
    Text2 = new QLineEdit(SSFrame1);
    Text2->setObjectName("Text2");
    Text1 = new QLineEdit(SSFrame1);
    Text1->setObjectName("Text1");
    CmdModif = new forms::CommandButton("CmdModif", "Modifier", this);
    CmdAdd = new forms::CommandButton("CmdAdd", "Ajouter", this);
    CmdDelete = new forms::CommandButton("CmdDelete", "Supprimer", this);
    CmdClose = new forms::CommandButton("CmdClose", "Fermer", this);

    forms::MoveTwips(*DBGrid1, 120, 120, 6000, 6300);
    forms::MoveTwips(*SSFrame1, 120, 6540, 6000, 1500);
    forms::MoveTwips(*labelFamille, 120, 360, 1000, 285);
    forms::MoveTwips(*Text2, 1200, 300, 4600, 345);
    forms::MoveTwips(*labelFonction, 120, 840, 1000, 285);
    forms::MoveTwips(*Text1, 1200, 780, 4600, 345);
    forms::MoveTwips(*CmdModif, 120, 8160, 1400, 375);
    forms::MoveTwips(*CmdAdd, 1620, 8160, 1400, 375);
    forms::MoveTwips(*CmdDelete, 3120, 8160, 1400, 375);
    forms::MoveTwips(*CmdClose, 4620, 8160, 1400, 375);
    // Designed at the size that the load gives it, so that its centring places it in the middle.
    Move(0, 0, 6390, 9210);

    connect(data2, &forms::DataControl::MoveComplete, this, [this] { data2_MoveComplete(); });
    // A recordset handed to the data control stands on its first row: the same as a move.
    connect(data2, &forms::DataControl::RecordsetChanged, this, [this] { data2_MoveComplete(); });
    connect(DBGrid1, &forms::DataGrid::HeadClick, this,
            [this](int colIndex) { DBGrid1_HeadClick(colIndex); });
    connect(CmdModif, &QPushButton::clicked, this, [this] { CmdModif_Click(); });
    connect(CmdAdd, &QPushButton::clicked, this, [this] { CmdAdd_Click(); });
    connect(CmdDelete, &QPushButton::clicked, this, [this] { CmdDelete_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
    forms::UpperCase(Text2);
}

void FenFamille::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    Move(Left(), Top(), 6390, 9210);
    cn.Open(Global::ChaineConnexion);
    rs.SetCursorLocation(ado::adUseClient);
    rs.Open("Familles", cn, ado::adOpenDynamic, ado::adLockOptimistic);
    data2->SetRecordset(rs);
    // The boxes' texts are saved into these columns: none takes more than its column holds.
    forms::LimitToField(*Text2, rs.Fields("NomFamille"));
    forms::LimitToField(*Text1, rs.Fields("Fonction"));
}

void FenFamille::Form_Activate()
{
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FenFamille::Form_Unload(int& cancel)
{
    (void)cancel;
    cn.Close();
}

void FenFamille::CmdClose_Click()
{
    Unload();
}

// Another family: shows its name and function in the boxes.
void FenFamille::data2_MoveComplete()
{
    try {
        if (rs.RecordCount() > 0 && !rs.Eof() && !rs.Bof()) {
            // A Null shows as an empty box: the previous family's text left there would be
            // saved into this one by the next modification.
            Text2->setText(QString::fromStdString(
                FonctionUtilitaires::ConvertNullStr(rs.Fields("NomFamille").Value())));
            Text1->setText(QString::fromStdString(
                FonctionUtilitaires::ConvertNullStr(rs.Fields("Fonction").Value())));
        }
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur("data2_MoveComplete", e);
    }
    SSFrame1->SetCaption("");
}

// Sorts the families by the clicked column.
void FenFamille::DBGrid1_HeadClick(int colIndex)
{
    try {
        rs.SetSort(rs.Fields(colIndex).Name());
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur("DBGrid1_HeadClick", e);
    }
}

void FenFamille::CmdModif_Click()
{
    CmdModif->setText("Modifier");
    try {
        if (!FamilleProtegee(rs.Fields("NoFamille").Value()) && !Text2->text().isEmpty())
            rs.Fields("NomFamille") = vb::Variant(Text2->text().toStdString());
        if (!Text1->text().isEmpty())
            rs.Fields("Fonction") = vb::Variant(Text1->text().toStdString());
        rs.Update();
        const ado::Bookmark position = rs.GetBookmark();
        rs.Requery();
        rs.SetBookmark(position);
    } catch (const vb::Error& e) {
        try {
            if (rs.EditMode() != ado::adEditNone)
                rs.CancelUpdate();
        } catch (const vb::Error&) {
        }
        FnTundrel::AfficherErreur("CmdModif_Click", e);
    }
}

void FenFamille::CmdAdd_Click()
{
    if (CmdModif->text() == "Enregistrer")
        CmdModif_Click();
    try {
        ado::Recordset rs2;
        rs2.SetCursorLocation(ado::adUseClient);
        rs2.Open("Familles", cn, ado::adOpenDynamic, ado::adLockPessimistic);
        // Rows left by unfinished additions go first; the shoe and glove families never do.
        if (rs2.RecordCount() > 0) {
            rs2.Find("NoFamille=0");
            if (!rs2.Eof() && vb::CLng(rs2.Fields("NoFamille").Value()) == 0 &&
                !FamilleProtegee(rs2.Fields("NoFamille").Value()))
                rs2.Delete();
        }
        if (rs2.RecordCount() > 0)
            rs2.MoveFirst();
        for (; !rs2.Eof(); rs2.MoveNext()) {
            const vb::Variant nom = rs2.Fields("NomFamille").Value();
            if ((nom.IsNull() || vb::CStr(nom).empty()) &&
                !FamilleProtegee(rs2.Fields("NoFamille").Value()))
                rs2.Delete();
        }
        rs2.AddNew();
        rs2.Fields("Fonction") = vb::Variant::Null();
        rs2.Update();
        const vb::Variant nouvelle = rs2.Fields("NoFamille").Value();
        rs2.Close();

        // The new family is found by its number: under a header sort it is not the last row.
        rs.Requery();
        rs.Find("NoFamille=" + vb::CStr(nouvelle), 0, ado::adSearchForward, ado::adBookmarkFirst);
        SSFrame1->SetCaption("Nouveau");
        Text2->clear();
        Text1->clear();
        Text2->setFocus();
        CmdModif->setText("Enregistrer");
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur("CmdAdd_Click", e);
    }
}

void FenFamille::CmdDelete_Click()
{
    // Every error of the deletion is ignored, a refusal of the database included.
    try {
        if (rs.RecordCount() == 0 || rs.Eof() || rs.Bof() ||
            FamilleProtegee(rs.Fields("NoFamille").Value()))
            return;
        const std::string libele = FonctionUtilitaires::ConvertNullStr(rs.Fields("Libele").Value());
        if (forms::MsgBox(QString::fromStdString("Confirmer la suppression de: " + libele + " !"),
                          forms::vbYesNo + forms::vbExclamation, "Confirmation") != forms::vbYes)
            return;
        rs.Delete();
        // The next family (or the new last one) takes the deleted one's place in the grid and
        // the boxes, so that no edit goes to a row that is gone.
        rs.MoveNext();
        if (rs.Eof() && rs.RecordCount() > 0)
            rs.MoveLast();
    } catch (const vb::Error&) {
    }
}
