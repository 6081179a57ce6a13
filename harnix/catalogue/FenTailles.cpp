#include "harnix/catalogue/FenTailles.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "platform/ado/CurrentRow.h"
#include "platform/ado/Text.h"
#include "platform/forms/BoundControls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/forms/MousePointer.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"

#include <QToolButton>

#include <set>

namespace {

constexpr int StyleErreur = forms::vbCancelTryContinue + forms::vbExclamation; // 54

} // namespace

FenTailles::FenTailles()
{
    setObjectName("FenTailles");
    SetCaption("Tailles disponibles");

    data1 = new forms::DataControl("data1", this);
    data2 = new forms::DataControl("data2", this);
    data1->hide();
    data2->hide();

    DataGrid2 = new forms::DataGrid("DataGrid2", this);
    DataGrid2->SetCaption("Familles");
    DataGrid2->AddColumn("Famille", "NomFamille", 2200);
    DataGrid2->SetAllowUpdate(false);
    DataGrid2->SetDataSource(data1);

    DBGrid1 = new forms::DataGrid("DBGrid1", this);
    DBGrid1->SetCaption("Tailles disponibles");
    DBGrid1->AddColumn("Tailles", "Taille", 1500);
    DBGrid1->SetAllowUpdate(false);
    DBGrid1->SetDataSource(data2);

    SpinButton1 = new forms::SpinButton("SpinButton1", this);
    SpinButton1->setToolTip("Ordre de taille");
    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    CmdAdd = new forms::CommandButton("CmdAdd", "Ajouter", this);
    CmdModifier = new forms::CommandButton("CmdModifier", "Modifer", this);
    CmdDel = new forms::CommandButton("CmdDel", "Supprimer", this);
    CmdClose = new forms::CommandButton("CmdClose", "Fermer", this);

    forms::MoveTwips(*DataGrid2, 120, 120, 2700, 7200);
    forms::MoveTwips(*DBGrid1, 2940, 120, 2100, 6600);
    forms::MoveTwips(*SpinButton1, 5100, 3000, 360, 720);
    forms::MoveTwips(*Text1, 2940, 6840, 2100, 345);
    forms::MoveTwips(*CmdAdd, 120, 7560, 1300, 375);
    forms::MoveTwips(*CmdModifier, 1500, 7560, 1300, 375);
    forms::MoveTwips(*CmdDel, 2880, 7560, 1300, 375);
    forms::MoveTwips(*CmdClose, 4260, 7560, 1300, 375);
    // Designed at the size that the load gives it, so that its centring places it in the middle.
    Move(0, 0, 5820, 8910);

    connect(data1, &forms::DataControl::MoveComplete, this, [this] { data1_MoveComplete(); });
    // A recordset handed to the data control stands on its first row: the same as a move.
    connect(data1, &forms::DataControl::RecordsetChanged, this, [this] { data1_MoveComplete(); });
    connect(data2, &forms::DataControl::MoveComplete, this, [this] { data2_MoveComplete(); });
    connect(data2, &forms::DataControl::RecordsetChanged, this, [this] { data2_MoveComplete(); });
    connect(CmdAdd, &QPushButton::clicked, this, [this] { CmdAdd_Click(); });
    connect(CmdModifier, &QPushButton::clicked, this, [this] { CmdModifier_Click(); });
    connect(CmdDel, &QPushButton::clicked, this, [this] { CmdDel_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
    connect(SpinButton1, &forms::SpinButton::SpinDown, this, [this] { SpinButton1_SpinDown(); });
    connect(SpinButton1, &forms::SpinButton::SpinUp, this, [this] { SpinButton1_SpinUp(); });
    forms::OnKeyPress(Text1, [this](int& keyAscii) { Text1_KeyPress(keyAscii); });
}

void FenTailles::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    Move(Left(), Top(), 5820, 8910);
    cn.Open(Global::ChaineConnexion);
    cmdFamilles.SetActiveConnection(cn);
    cmdTailles.SetActiveConnection(cn);
    cmdFamilles.SetCommandText("Familles");
    rsFamilles.SetClientCursor(ado::adLockOptimistic);
    rsFamilles.Open(cmdFamilles);
    data1->SetRecordset(rsFamilles);
}

void FenTailles::Form_Activate()
{
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FenTailles::Form_Unload(int& cancel)
{
    (void)cancel;
    cmdTailles.ReleaseConnection();
    cn.Close();
}

void FenTailles::CmdClose_Click()
{
    Unload();
}

// Another family: lists its sizes.
void FenTailles::data1_MoveComplete()
{
    ChargerTailles();
}

std::string FenTailles::ClauseFamille() const
{
    const vb::Variant no = rsFamilles.Fields("NoFamille").Value();
    return no.IsNull() ? "IS NULL" : "=" + vb::CStr(no);
}

void FenTailles::ChargerTailles()
{
    try {
        if (rsFamilles.RecordCount() == 0 || rsFamilles.Eof() || rsFamilles.Bof())
            return;
        const std::string clause = ClauseFamille();
        cmdTailles.SetCommandText("Tailles where NoFamille" +
                                  (clause == "IS NULL" ? " " + clause : clause) +
                                  " order by Ordre");
        if (rsTailles.State() == ado::adStateOpen) {
            rsTailles.Requery();
        } else {
            rsTailles.SetClientCursor(ado::adLockOptimistic);
            rsTailles.Open(cmdTailles);
            data2->SetRecordset(rsTailles);
            // The box's text is saved as the size: no more than its column holds.
            forms::LimitToField(*Text1, rsTailles.Fields("Taille"));
        }
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur(e.Description(), e);
    }
}

// Another size: shows it in the box.
void FenTailles::data2_MoveComplete()
{
    QString texte;
    try {
        if (rsTailles.RecordCount() > 0 && !rsTailles.Eof() && !rsTailles.Bof())
            texte = QString::fromStdString(
                FonctionUtilitaires::ConvertNullStr(rsTailles.Fields("Taille").Value()));
    } catch (const vb::Error&) {
    }
    Text1->setText(texte);
}

bool FenTailles::TailleExiste(const std::string& taille)
{
    ado::Command cmd;
    cmd.SetActiveConnection(cn);
    cmd.SetCommandText("SELECT   TOP 100 PERCENT NoTaille, Taille, Ordre, NoFamille From Tailles "
                       "Where (NoFamille " +
                       ClauseFamille() + ") ORDER BY Ordre");
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockOptimistic);
    rs.Open(cmd);
    bool trouve = false;
    if (rs.RecordCount() > 0) {
        rs.MoveFirst();
        // A quote in the size is doubled so that the criterion stays one text.
        rs.Find("Taille like '" + ado::DoubledQuotes(taille) + "'");
        trouve = !rs.Eof();
    }
    rs.Close();
    cmd.ReleaseConnection();
    return trouve;
}

void FenTailles::CmdAdd_Click()
{
    try {
        const std::string taille = Text1->text().toStdString();
        if (taille.empty())
            return;
        if (TailleExiste(taille)) {
            forms::MsgBox(QString::fromStdString("La taille " + taille + " existe déjà !"),
                          StyleErreur, "Erreur");
            Text1->clear();
            return;
        }
        double ordre = 0;
        if (rsTailles.RecordCount() > 0) {
            rsTailles.MoveLast();
            ordre = FonctionUtilitaires::ConvertNullNum(rsTailles.Fields("Ordre").Value());
        }
        const vb::Variant famille = rsFamilles.Fields("NoFamille").Value();
        rsTailles.AddNew();
        rsTailles.Fields("Ordre") = vb::Variant(ordre + 1);
        rsTailles.Fields("Taille") = vb::Variant(taille);
        rsTailles.Fields("NoFamille") = famille;
        rsTailles.Update();
    } catch (const vb::Error& e) {
        ado::CancelPendingEdit(rsTailles);
        FnTundrel::AfficherErreur("CmdAdd_Click", e);
    }
}

void FenTailles::CmdModifier_Click()
{
    const int reponse =
        forms::MsgBox("Cette modification une incidence sur les tailles des salariés.\rEtes vous "
                      "sûr ?",
                      forms::vbYesNo + forms::vbExclamation, "Attention!");
    try {
        if (reponse == forms::vbNo) {
            Text1->setText(QString::fromStdString(
                FonctionUtilitaires::ConvertNullStr(rsTailles.Fields("Taille").Value())));
            return;
        }
        tailleAvantModification = rsTailles.Fields("Taille").Value();
        if (!Text1->text().isEmpty()) {
            rsTailles.Fields("Taille") = vb::Variant(Text1->text().toStdString());
            rsTailles.Update();
            const ado::Bookmark position = rsTailles.GetBookmark();
            rsTailles.Requery();
            rsTailles.SetBookmark(position);
        }
    } catch (const vb::Error& e) {
        if (e.Number() != vb::ErrDatabaseRefused) {
            ado::CancelPendingEdit(rsTailles);
            return;
        }
        forms::MsgBox("Cette taille existe déjà, opération annulée !", StyleErreur, "Erreur");
        try {
            rsTailles.Fields("Taille") = tailleAvantModification;
            rsTailles.Update();
            const ado::Bookmark position = rsTailles.GetBookmark();
            rsTailles.Requery();
            rsTailles.SetBookmark(position);
        } catch (const vb::Error&) {
            ado::CancelPendingEdit(rsTailles);
        }
    }
}

void FenTailles::CmdDel_Click()
{
    vb::Variant taille;
    try {
        taille = rsTailles.Fields("Taille").Value();
    } catch (const vb::Error&) {
    }
    // Case matters: "t.u." is an ordinary size.
    if (taille.Type() == vb::VarType::String && taille.StringValue() == "T.U.") {
        forms::MsgBox("Suppression non autorisé !", StyleErreur, "Erreur");
        return;
    }
    try {
        rsTailles.Delete();
    } catch (const vb::Error&) {
        forms::MsgBox("Suppression non autorisé !", StyleErreur, "Erreur");
    }
    try {
        rsTailles.Requery();
    } catch (const vb::Error&) {
        forms::MsgBox("Suppression non autorisé !", StyleErreur, "Erreur");
    }
}

bool FenTailles::OrdresEnDouble() const
{
    const ado::Fields champs = rsTailles.Fields();
    long ordre = 0;
    while (champs.Item(ordre).Name() != "Ordre")
        ++ordre;
    std::set<double> vus;
    for (long position = 1; position <= rsTailles.RecordCount(); ++position)
        if (!vus.insert(FonctionUtilitaires::ConvertNullNum(rsTailles.ValueAt(position, ordre)))
                 .second)
            return true;
    return false;
}

void FenTailles::Renumeroter()
{
    double ordre = 0;
    for (rsTailles.MoveFirst(); !rsTailles.Eof(); rsTailles.MoveNext()) {
        ++ordre;
        if (FonctionUtilitaires::ConvertNullNum(rsTailles.Fields("Ordre").Value()) != ordre) {
            rsTailles.Fields("Ordre") = vb::Variant(ordre);
            rsTailles.Update();
        }
    }
}

void FenTailles::Echanger(bool suivante)
{
    try {
        if (rsTailles.State() != ado::adStateOpen || rsTailles.RecordCount() == 0 ||
            rsTailles.Eof() || rsTailles.Bof())
            return;
        const ado::Bookmark deplacee = rsTailles.GetBookmark();
        // Both sizes change together or not at all: a tie left by a half-done exchange could
        // never be undone, since moves only exchange values.
        cn.BeginTrans();
        try {
            // Sizes sharing an order (left so by an older version) are numbered 1, 2, 3 ... in
            // the order shown first, so that the exchange moves the size by one place.
            if (OrdresEnDouble())
                Renumeroter();
            rsTailles.SetBookmark(deplacee);
            const vb::Variant ordre = rsTailles.Fields("Ordre").Value();
            if (suivante) {
                rsTailles.MoveNext();
                if (rsTailles.Eof())
                    rsTailles.MoveFirst();
            } else {
                rsTailles.MovePrevious();
                if (rsTailles.Bof())
                    rsTailles.MoveLast();
            }
            const vb::Variant ordreVoisin = rsTailles.Fields("Ordre").Value();
            rsTailles.Fields("Ordre") = ordre;
            rsTailles.Update();
            rsTailles.SetBookmark(deplacee);
            rsTailles.Fields("Ordre") = ordreVoisin;
            rsTailles.Update();
            cn.CommitTrans();
        } catch (const vb::Error&) {
            // The list shows again what the file holds.
            vb::ResumeNext span;
            span([&] { cn.RollbackTrans(); });
            span([&] { ado::CancelPendingEdit(rsTailles); });
            span([&] { rsTailles.Requery(); });
            span([&] { rsTailles.SetBookmark(deplacee); });
            throw;
        }
        rsTailles.Requery();
        // The moved size stays selected at its new place, also after a wrap-around.
        rsTailles.SetBookmark(deplacee);
    } catch (const vb::Error& e) {
        ado::CancelPendingEdit(rsTailles);
        FnTundrel::AfficherErreur(suivante ? "SpinButton1_SpinDown" : "SpinButton1_SpinUp", e);
    }
}

void FenTailles::SpinButton1_SpinDown()
{
    Echanger(true);
}

// Moves the size one place up in its family's order.
void FenTailles::SpinButton1_SpinUp()
{
    Echanger(false);
}

// A size takes letters, digits and the decimal comma.
void FenTailles::Text1_KeyPress(int& keyAscii)
{
    if (keyAscii == '.' && Global::SeparateurDecimal == ",")
        keyAscii = ',';
    if (keyAscii != ',')
        keyAscii = forms::LetterOrDigitKey(keyAscii);
}
