#include "harnix/staff/FenQuota.h"

#include "harnix/commun/ChoixArticle.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/staff/FrmUtilisateur.h"
#include "platform/ado/CurrentRow.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"

namespace {

constexpr int StyleErreur = forms::vbOKCancel + forms::vbExclamation;
constexpr int StyleQuestion = forms::vbYesNo + forms::vbExclamation;

// The profile name box: a new profile is "-" until a name is typed, so an emptied box leaves
// the stored name as it is.
class BoiteLibelle : public forms::BoundText
{
public:
    using BoundText::BoundText;

protected:
    void WriteField() override
    {
        if (!text().isEmpty())
            BoundText::WriteField();
    }
};

// The quota and period boxes: a number past the range of its column is refused before it is
// written, naming the box, and stays in the box to be put right; the line stays current.
class BoiteNombre : public forms::BoundText
{
public:
    BoiteNombre(const QString& name, QWidget* parent, std::string nom)
        : BoundText(name, parent), nom_(std::move(nom))
    {
    }

protected:
    void WriteField() override
    {
        const std::string texte = Text().toStdString();
        if (DataChanged() && vb::IsNumeric(texte)) {
            try {
                vb::CLng(texte);
            } catch (const vb::Error& erreur) {
                if (erreur.Number() != vb::ErrOverflow)
                    throw;
                throw vb::Error(vb::ErrOverflow, "La valeur " + texte +
                                                     " est trop grande pour le champ \"" + nom_ +
                                                     "\" : 2147483647 au plus.");
            }
        }
        BoundText::WriteField();
    }

private:
    std::string nom_;
};

forms::Label* Libelle(const QString& texte, QWidget* parent, int gauche, int haut, int largeur)
{
    auto* label = new forms::Label({}, texte, parent);
    forms::MoveTwips(*label, gauche, haut + 40, largeur, 285);
    return label;
}

} // namespace

std::string RequeteLignesProfil(const std::string& condition)
{
    // Read from the profile's lines through the indexes; the order is the one the grids have
    // always shown: by article number, lines of one article by line number, then the lines
    // whose article is gone.
    return "SELECT Quota.RefArticle, ArticleEnStock.Designation, ArticleEnStock.CodeArticle, "
           "Quota.QtePermise, Quota.Periodicite, Quota.NoQota, Quota.NoLigne, "
           "Tailles.NoTaille, Tailles.Taille, Tailles.NoFamille, Tailles.Ordre"
           " FROM (Quota LEFT OUTER JOIN ArticleEnStock"
           " ON ArticleEnStock.Reference = Quota.RefArticle)"
           " LEFT OUTER JOIN Tailles ON ArticleEnStock.Taille = Tailles.NoTaille"
           " WHERE (Quota.NoQota " +
           condition +
           ")"
           " ORDER BY ArticleEnStock.[No] IS NULL, ArticleEnStock.[No], Quota.NoLigne";
}

FenQuota::FenQuota()
{
    setObjectName("FenQuota");
    SetCaption("Profiles");
    // The article window hands a picked article to this window.
    ChoixArticleQuota::DefinirFenetre(
        []() -> ChoixArticleQuota& { return forms::form<FenQuota>(); });

    SSFrame1 = new forms::Frame("SSFrame1", "Profile", this);
    data1 = new forms::DataControl("data1", SSFrame1);
    data1->hide();
    DataGrid1 = new forms::DataGrid("DataGrid1", SSFrame1);
    DataGrid1->SetCaption("Liste des profiles");
    DataGrid1->AddColumn("Libellé", "Profile", 2800);
    DataGrid1->SetAllowUpdate(false);
    DataGrid1->SetDataSource(data1);
    Libelle("Libellé:", SSFrame1, 120, 5940, 900);
    Text1 = new BoiteLibelle("Text1", SSFrame1);
    Text1->Bind(data1, "Profile");
    CmdAddProfile = new forms::CommandButton("CmdAddProfile", "Ajouter Profile", SSFrame1);
    CmdDelProfile = new forms::CommandButton("CmdDelProfile", "Supprimer Profile", SSFrame1);

    SSFrame2 = new forms::Frame("SSFrame2", "Détail Quotas", this);
    data2 = new forms::DataControl("data2", SSFrame2);
    data2->hide();
    DBGrid2 = new forms::DataGrid("DBGrid2", SSFrame2);
    DBGrid2->SetCaption("Détail Quotas");
    DBGrid2->SetHeadLines(2);
    // Designations such as LUNETTES DE PROTECTION INCOLORES read whole.
    DBGrid2->AddColumn("Réf. Article", "RefArticle", 700);
    DBGrid2->AddColumn("Code Article", "CodeArticle", 700);
    DBGrid2->AddColumn("Désignation", "Designation", 3390);
    DBGrid2->AddColumn("Taille", "Taille", 650);
    DBGrid2->AddColumn("Qté Permise", "QtePermise", 800);
    DBGrid2->AddColumn("Périodicité", "Periodicite", 950);
    DBGrid2->SetAllowUpdate(false);
    DBGrid2->SetDataSource(data2);
    auto etiquette = [this](const char* champ, const QString& texte, int haut, int largeur) {
        Libelle(texte, SSFrame2, 120, haut, 2000);
        auto* label = new forms::BoundLabel({}, SSFrame2);
        label->Bind(data2, champ);
        forms::MoveTwips(*label, 2200, haut + 40, largeur, 285);
        return label;
    };
    LabelRefArticle = etiquette("RefArticle", "Réf. Article:", 4500, 1500);
    LabelDesignation = etiquette("Designation", "Désignation:", 4860, 4700);
    LabelTaille = etiquette("Taille", "Taille:", 5220, 1500);
    Libelle("Quota:", SSFrame2, 120, 5640, 2000);
    Text2 = new BoiteNombre("Text2", SSFrame2, "Quota");
    Text2->Bind(data2, "QtePermise");
    Libelle("Périodicité (Nb jours):", SSFrame2, 120, 6060, 2000);
    Text3 = new BoiteNombre("Text3", SSFrame2, "Périodicité (Nb jours)");
    Text3->Bind(data2, "Periodicite");
    CmdAddArticle = new forms::CommandButton("CmdAddArticle", "Ajout d'article", SSFrame2);
    CmdDelArticle = new forms::CommandButton("CmdDelArticle", "Suppression d'article", SSFrame2);
    CmdClose = new forms::CommandButton("CmdClose", "Fermer", this);

    forms::MoveTwips(*SSFrame1, 120, 120, 3600, 7260);
    forms::MoveTwips(*DataGrid1, 120, 300, 3360, 5460);
    forms::MoveTwips(*Text1, 1080, 5940, 2400, 330);
    forms::MoveTwips(*CmdAddProfile, 120, 6480, 1620, 420);
    forms::MoveTwips(*CmdDelProfile, 1860, 6480, 1620, 420);
    forms::MoveTwips(*SSFrame2, 3840, 120, 7860, 7260);
    forms::MoveTwips(*DBGrid2, 120, 300, 7620, 4080);
    forms::MoveTwips(*Text2, 2200, 5640, 1000, 330);
    forms::MoveTwips(*Text3, 2200, 6060, 1000, 330);
    forms::MoveTwips(*CmdAddArticle, 3780, 6480, 1800, 420);
    forms::MoveTwips(*CmdDelArticle, 5700, 6480, 2040, 420);
    forms::MoveTwips(*CmdClose, 10080, 7500, 1620, 420);
    Move(0, 0, 11940, 8670);

    forms::UpperCase(Text1);
    forms::EnterMovesNext(Text1);
    forms::DigitsOnly(Text2);
    forms::DigitsOnly(Text3);

    // A recordset handed to the data control stands on its first row: the same as a move.
    connect(data1, &forms::DataControl::MoveComplete, this, [this] { AfficherQuotas(); });
    connect(data1, &forms::DataControl::RecordsetChanged, this, [this] { AfficherQuotas(); });
    connect(DBGrid2, &forms::DataGrid::HeadClick, this,
            [this](int colIndex) { DBGrid2_HeadClick(colIndex); });
    connect(CmdAddProfile, &QPushButton::clicked, this, [this] { CmdAddProfile_Click(); });
    connect(CmdDelProfile, &QPushButton::clicked, this, [this] { CmdDelProfile_Click(); });
    connect(CmdAddArticle, &QPushButton::clicked, this, [this] { CmdAddArticle_Click(); });
    connect(CmdDelArticle, &QPushButton::clicked, this, [this] { CmdDelArticle_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
}

void FenQuota::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    Move(Left(), Top(), 11940, 8670);
    Global::FenQuotaOuverte = true;
    try {
        cn1.Open(Global::ChaineConnexion);
        cn2.Open(Global::ChaineConnexion);
        cmd1.SetActiveConnection(cn1);
        cmd1.SetCommandText("ProfileQuota");
        cmd2.SetActiveConnection(cn2);
        rs1.SetClientCursor(ado::adLockOptimistic);
        rs1.Open(cmd1);
        data1->SetRecordset(rs1);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("FenQuota Form_Load", erreur);
    }
}

void FenQuota::Form_Activate()
{
    Global::FenQuotaOuverte = true;
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FenQuota::Form_Unload(int& cancel)
{
    (void)cancel;
    Global::FenQuotaOuverte = false;
    vb::ResumeNext span;
    span.Run([&] { cmd1.ReleaseConnection(); }, [&] { cmd2.ReleaseConnection(); },
             [&] { cn1.Close(); }, [&] { cn2.Close(); });
}

void FenQuota::AfficherQuotas()
{
    if (cn2.State() != ado::adStateOpen || rs1.State() != ado::adStateOpen ||
        rs1.RecordCount() == 0)
        return;
    try {
        const vb::Variant numero = rs1["NoQuota"].Value();
        const std::string condition =
            numero.IsNull() || numero.IsEmpty() ? "IS NULL" : "=" + vb::CStr(numero);
        cmd2.SetCommandText(RequeteLignesProfil(condition));
        if (rs2.State() == ado::adStateOpen) {
            rs2.Requery();
        } else {
            rs2.SetClientCursor(ado::adLockOptimistic);
            rs2.Open(cmd2);
            data2->SetRecordset(rs2);
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}

bool FenQuota::ProfileCourantProtege() const
{
    const vb::Variant numero = rs1["NoQuota"].Value();
    return !numero.IsNull() && vb::CLng(numero) == ProfileProtege;
}

void FenQuota::CmdAddProfile_Click()
{
    try {
        // A name typed for the current profile is saved first, and told when it exists.
        data1->UpdateRecord();
    } catch (const vb::Error& erreur) {
        ado::CancelPendingEdit(rs1);
        if (erreur.Number() == vb::ErrDatabaseRefused)
            forms::MsgBox("Ce profile existe déjà !", forms::vbExclamation + forms::vbOKOnly,
                          "Erreur");
        return;
    }
    try {
        rs1.AddNew();
        rs1["Profile"] = "-";
        rs1.Update();
    } catch (const vb::Error& erreur) {
        ado::CancelPendingEdit(rs1);
        if (erreur.Number() != vb::ErrDatabaseRefused)
            return;
        // The profile added before still waits for its name: it becomes current, ready for
        // the name to be typed.
        forms::MsgBox("Un profile \"-\" attend déjà son nom : saisissez-le avant d'ajouter un "
                      "autre profile !",
                      forms::vbExclamation + forms::vbOKOnly, "Erreur");
        vb::ResumeNext span;
        span(
            [&] { rs1.Find("[Profile] like '-'", 0, ado::adSearchForward, ado::adBookmarkFirst); });
        Text1->setFocus();
        Text1->clear();
        return;
    }
    Text1->setFocus();
    Text1->clear();
    AfficherQuotas();
}

void FenQuota::CmdDelProfile_Click()
{
    if (DepuisFenUtilisateur)
        return;
    try {
        if (!ado::OpenOnRow(rs1))
            return;
        if (ProfileCourantProtege()) {
            forms::MsgBox("Suppression non autorisée !", StyleErreur, "Erreur");
            return;
        }
        const std::string nom =
            vb::Trim(FonctionUtilitaires::ConvertNullStr(rs1["Profile"].Value()));
        if (forms::MsgBox(QString::fromStdString("Confirmer la suppression de: " + nom + " !"),
                          StyleQuestion, "Confirmation") != forms::vbYes)
            return;
        rs1.Delete();
        // The next profile (or the new last one) takes the deleted one's place.
        rs1.MoveNext();
        if (rs1.Eof() && rs1.RecordCount() > 0)
            rs1.MoveLast();
    } catch (const vb::Error& erreur) {
        if (erreur.Number() != vb::ErrDatabaseRefused)
            return;
        forms::MsgBox("Ce profile est utilisée, la suppression n'est pas autorisée !", StyleErreur,
                      "Erreur");
        vb::ResumeNext span;
        span([&] { rs1.Requery(); });
    }
}

void FenQuota::CmdAddArticle_Click()
{
    ReferenceZAD = 0;
    try {
        const vb::Variant profile = rs1["NoQuota"].Value();
        if (ProfileCourantProtege())
            return;
        ChoixArticle::Fenetre()->MontrerPourChoix(*this, ChoixArticle::Fiche::Cachee);
        if (ReferenceZAD == 0)
            return;
        if (rs2.RecordCount() > 0) {
            rs2.Find("[RefArticle] like '" + std::to_string(ReferenceZAD) + "'", 0,
                     ado::adSearchForward, ado::adBookmarkFirst);
            if (!rs2.Eof())
                return;
        }
        rs2.AddNew();
        rs2["NoQota"] = profile;
        rs2["RefArticle"] = ReferenceZAD;
        rs2.Update();
        const ado::Bookmark signet = rs2.GetBookmark();
        rs2.Requery();
        rs2.SetBookmark(signet);
    } catch (const vb::Error&) {
        ado::CancelPendingEdit(rs2);
    }
}

void FenQuota::CmdDelArticle_Click()
{
    if (!ado::OpenOnRow(rs2))
        return;
    vb::ResumeNext span;
    vb::Variant reference;
    vb::Variant profile;
    span([&] { reference = rs2["RefArticle"].Value(); });
    span([&] { profile = rs2["NoQota"].Value(); });
    if (forms::MsgBox(QString::fromStdString("Confirmer la suppression de: " +
                                             FonctionUtilitaires::ConvertNullStr(reference) + " !"),
                      StyleQuestion, "Confirmation") != forms::vbYes)
        return;
    ado::Command commande;
    ado::Recordset lignes;
    span([&] {
        commande.SetActiveConnection(cn1);
        commande.SetCommandText("select * from Quota where NoQota=" + vb::CStr(profile));
        lignes.SetClientCursor(ado::adLockOptimistic);
        lignes.Open(commande);
    });
    // The first line of that article in that profile.
    span([&] {
        lignes.Find("RefArticle =" + vb::CStr(reference), 0, ado::adSearchForward,
                    ado::adBookmarkFirst);
    });
    span([&] {
        if (!lignes.Eof())
            lignes.Delete();
    });
    span.Run([&] { lignes.Close(); }, [&] { commande.ReleaseConnection(); },
             [&] { rs2.Requery(); });
}

// Sorts the quota grid by the clicked column.
void FenQuota::DBGrid2_HeadClick(int colIndex)
{
    try {
        rs2.SetSort(DBGrid2->Columns(colIndex).DataField().toStdString());
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("DBGrid2_HeadClick", erreur);
    }
}

void FenQuota::CmdClose_Click()
{
    if (ado::OpenOnRow(rs1)) {
        try {
            data1->UpdateRecord();
        } catch (const vb::Error& erreur) {
            ado::CancelPendingEdit(rs1);
            // The window stays open, for another name.
            if (erreur.Number() == vb::ErrDatabaseRefused) {
                forms::MsgBox("Ce profile existe déjà !", forms::vbExclamation + forms::vbOKOnly,
                              "Erreur");
                return;
            }
        }
    }
    vb::ResumeNext span;
    try {
        if (ado::OpenOnRow(rs2))
            data2->UpdateRecord();
    } catch (const vb::Error& erreur) {
        // A number too large for its box: told, and the window stays open for it to be put right.
        if (erreur.Number() == vb::ErrOverflow) {
            forms::MsgBox(QString::fromStdString(erreur.what()), forms::vbExclamation);
            return;
        }
    }
    span([&] {
        if (ChoixArticle* stock = ChoixArticle::Chargee())
            stock->Cacher();
    });
    Hide();
    span([&] {
        if (ChoixArticle* stock = ChoixArticle::Chargee())
            stock->DBGridStockVisible();
    });
    if (DepuisFenUtilisateur) {
        span([&] {
            FrmUtilisateur& registre = forms::form<FrmUtilisateur>();
            registre.Show();
            registre.data1->Recordset().Requery();
        });
    }
}

void FenQuota::AjoutProfileSalarie(std::string& badge)
{
    FrmUtilisateur& registre = forms::form<FrmUtilisateur>();
    try {
        rs1.AddNew();
        rs1["Profile"] = badge;
        rs1.Update();
    } catch (const vb::Error& erreur) {
        ado::CancelPendingEdit(rs1);
        if (erreur.Number() == vb::ErrDatabaseRefused)
            registre.ErreurFenQuota = 1;
        return;
    }
    vb::ResumeNext span;
    span([&] { registre.NumQuota = vb::CLng(rs1["NoQuota"].Value()); });
    AfficherQuotas();
}
