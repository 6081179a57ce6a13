#include "harnix/staff/FenBadgeMaintenance.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/CodeBadge.h"
#include "harnix/staff/EuroKey.h"
#include "harnix/staff/FrmUtilisateur.h"
#include "harnix/staff/Saisie.h"
#include "platform/ado/Text.h"
#include "platform/forms/BoundControls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"

namespace {

QString Q(const std::string& texte)
{
    return QString::fromStdString(texte);
}

} // namespace

FenBadgeMaintenance::FenBadgeMaintenance()
{
    setObjectName("FenBadgeMaintenance");
    SetCaption("Badges de maintenances");

    auto* label = new forms::Label("Label1", "N° Badge:", this);
    forms::MoveTwips(*label, 120, 165, 1020, 285);
    Text2 = new QLineEdit(this);
    Text2->setObjectName("Text2");
    forms::MoveTwips(*Text2, 1140, 120, 2100, 345);
    forms::DigitsOnly(Text2);
    Command1 = new forms::CommandButton("Command1", "Lire le badge", this);
    forms::MoveTwips(*Command1, 120, 540, 3120, 420);

    DBGrid1 = new forms::DataGrid("DBGrid1", this);
    forms::MoveTwips(*DBGrid1, 120, 1080, 3120, 6480);
    DBGrid1->SetCaption("Badges de maintenances");
    data2 = new forms::DataControl("data2", this);
    forms::MoveTwips(*data2, 120, 7620, 3120, 360);
    data2->SetCaption({});
    DBGrid1->SetDataSource(data2);
    DBGrid1->AddColumn("N° de Badge", "NoBadge", 2640);
    DBGrid1->SetAllowUpdate(false);

    auto bouton = [this](const QString& nom, const QString& texte, int colonne, int ligne) {
        auto* b = new forms::CommandButton(nom, texte, this);
        forms::MoveTwips(*b, 120 + colonne * 1620, 8100 + ligne * 480, 1500, 420);
        return b;
    };
    CmdAdd = bouton("CmdAdd", "Ajouter", 0, 0);
    CmdModif = bouton("CmdModif", "Modifier", 1, 0);
    CmdDelete = bouton("CmdDelete", "Supprimer", 0, 1);
    CmdClose = bouton("CmdClose", "Fermer", 1, 1);

    connect(data2, &forms::DataControl::MoveComplete, this, [this] { data2_MoveComplete(); });
    connect(data2, &forms::DataControl::RecordsetChanged, this, [this] { data2_MoveComplete(); });
    connect(CmdAdd, &QPushButton::clicked, this, [this] { CmdAdd_Click(); });
    connect(CmdModif, &QPushButton::clicked, this, [this] { CmdModif_Click(); });
    connect(CmdDelete, &QPushButton::clicked, this, [this] { CmdDelete_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    // The size that the load gives it, so that its centring leaves it in the middle.
    Move(0, 0, 3495, 9870);
}

void FenBadgeMaintenance::Form_Load()
{
    if (Saisie::TypeLecteurBadge() == 3)
        Saisie::LimiterSaisie(*Text2, 12);
    // Centred by the size it had before.
    FonctionUtilitaires::CentrerFenetre(*this);
    SetHeight(9870);
    SetWidth(3495);
    try {
        cn.Open(Global::ChaineConnexion);
        cmd.SetActiveConnection(cn);
        cmd.SetCommandText("BadgeMaintenance");
        rs.SetClientCursor(ado::adLockOptimistic);
        rs.Open(cmd);
        data2->SetRecordset(rs);
        // The box's text is saved as the badge: no more than its column holds.
        forms::LimitToField(*Text2, rs.Fields("NoBadge"));
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("FenBadgeMaintenance Form_Load", erreur);
    }
}

void FenBadgeMaintenance::Form_Activate()
{
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FenBadgeMaintenance::Form_Unload(int& cancel)
{
    (void)cancel;
    vb::ResumeNext span;
    span.Run([&] { cmd.ReleaseConnection(); }, [&] { cn.Close(); });
}

// Shows the current row's badge number.
void FenBadgeMaintenance::data2_MoveComplete()
{
    vb::ResumeNext span;
    span([&] {
        if (rs.RecordCount() < 1 || rs.Bof() || rs.Eof())
            return;
        const vb::Variant badge = rs["NoBadge"].Value();
        if (!badge.IsNull())
            Text2->setText(Q(vb::CStr(badge)));
    });
}

void FenBadgeMaintenance::CmdAdd_Click()
{
    if (Text2->text().isEmpty())
        return;
    ado::Command commande;
    ado::Recordset salaries;
    try {
        std::string badge = Text2->text().toStdString();
        if (Saisie::TypeLecteurBadge() == 3) {
            CodeBadge::Completer12(badge);
            Text2->setText(Q(badge));
            forms::form<FrmUtilisateur>().CalculChecksumEAN13(badge);
        }
        const std::string critere = "[NoBadge] like '" + ado::DoubledQuotes(badge) + "'";
        if (rs.RecordCount() > 0) {
            rs.MoveFirst();
            rs.Find(critere, 0, ado::adSearchForward);
            if (!rs.Eof()) {
                Text2->clear();
                Text2->setFocus();
                return;
            }
        }
        commande.SetActiveConnection(cn);
        commande.SetCommandText("Utilisateurs");
        salaries.SetClientCursor(ado::adLockPessimistic);
        salaries.Open(commande);
        bool salarie = false;
        if (salaries.RecordCount() > 0) {
            salaries.Find(critere, 0, ado::adSearchForward, ado::adBookmarkFirst);
            salarie = !salaries.Eof();
        }
        if (salarie) {
            forms::MsgBox("Badge déjà utilisé par un salarié!",
                          forms::vbOKCancel + forms::vbExclamation, "Erreur");
        } else {
            rs.AddNew();
            rs["NoBadge"] = badge;
            rs.Update();
            rs.Requery();
        }
        salaries.Close();
        commande.ReleaseConnection();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdAdd_Click", erreur);
        vb::ResumeNext span;
        span([&] {
            if (rs.EditMode() != ado::adEditNone)
                rs.CancelUpdate();
        });
    }
}

void FenBadgeMaintenance::CmdModif_Click()
{
    try {
        std::string badge = Text2->text().toStdString();
        if (Saisie::TypeLecteurBadge() == 3) {
            if (vb::Len(badge) < 13) {
                CodeBadge::Completer12(badge);
                Text2->setText(Q(badge));
                rs["NoBadge"] = forms::form<FrmUtilisateur>().CalculChecksumEAN13(badge);
            }
        } else if (!badge.empty()) {
            rs["NoBadge"] = badge;
        }
        rs.Update();
    } catch (const vb::Error& erreur) {
        // A refused number (one the list already holds) leaves the row as it was stored.
        FnTundrel::AfficherErreur("CmdModif_Click", erreur);
        vb::ResumeNext span;
        span([&] { rs.CancelUpdate(); });
        DBGrid1->Refresh();
    }
}

void FenBadgeMaintenance::CmdDelete_Click()
{
    std::string badge;
    vb::ResumeNext span;
    if (!span([&] { badge = vb::CStr(rs["NoBadge"].Value()); }))
        return;
    if (forms::MsgBox(Q("Confirmer la suppression de: " + badge + " !"),
                      forms::vbYesNo + forms::vbExclamation, "Confirmation") != forms::vbYes)
        return;
    if (!span([&] { rs.Delete(); }))
        return;
    // The next badge (or the new last one) takes the deleted one's place in the grid and the
    // box, so that the list no longer shows it and no change goes to a row that is gone.
    span([&] {
        rs.MoveNext();
        if (rs.Eof() && rs.RecordCount() > 0)
            rs.MoveLast();
    });
}

void FenBadgeMaintenance::CmdClose_Click()
{
    Unload();
}

// Reads a badge from the reader and adds it.
void FenBadgeMaintenance::Command1_Click()
{
    std::string badge;
    try {
        badge = EuroKey::LireBadge();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("LireBadge", erreur);
        return;
    }
    if (badge == "ERREUR" || badge.empty())
        return;
    Text2->setText(Q(badge));
    CmdAdd_Click();
}
