#include "harnix/staff/FenSites.h"

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

namespace {

constexpr int StyleErreur = forms::vbCancelTryContinue + forms::vbExclamation; // 54

QLineEdit* Boite(QWidget* parent, const QString& nom, const QString& libelle, int top, int largeur)
{
    auto* label = new forms::Label("Label" + nom, libelle, parent);
    forms::MoveTwips(*label, 120, top + 45, 1300, 285);
    auto* boite = new QLineEdit(parent);
    boite->setObjectName(nom);
    forms::MoveTwips(*boite, 1440, top, largeur, 345);
    return boite;
}

// The save button shows add mode by its caption "Enregistrer", underlined.
void ModeAjout(forms::CommandButton* bouton, bool ajout)
{
    bouton->setText(ajout ? "Enregistrer" : "Modifier");
    QFont police = bouton->font();
    police.setUnderline(ajout);
    bouton->setFont(police);
}

// Whether a recordset on the command text holds a row whose field matches the name as a whole.
bool NomExiste(const ado::Connection& cn, const std::string& texte, const std::string& champ,
               const std::string& nom)
{
    try {
        ado::Command cmd;
        cmd.SetActiveConnection(cn);
        cmd.SetCommandText(texte);
        ado::Recordset rs;
        rs.SetClientCursor(ado::adLockOptimistic);
        rs.Open(cmd);
        bool trouve = false;
        if (rs.RecordCount() > 0) {
            rs.MoveFirst();
            // A quote in the name is doubled so that "L'ATELIER" is searched as it stands.
            rs.Find(champ + " like '" + ado::DoubledQuotes(nom) + "'");
            trouve = !rs.Eof();
        }
        rs.Close();
        cmd.ReleaseConnection();
        return trouve;
    } catch (const vb::Error&) {
        return false;
    }
}

} // namespace

FenSites::FenSites()
{
    setObjectName("FenSites");
    SetCaption("Sites et Services");

    SSFrame1 = new forms::Frame("SSFrame1", "Sites", this);
    data1 = new forms::DataControl("data1", SSFrame1);
    data1->hide();
    DataGrid2 = new forms::DataGrid("DataGrid2", SSFrame1);
    DataGrid2->SetCaption("Sites");
    DataGrid2->AddColumn("Nom ", "NomSite", 2400);
    DataGrid2->AddColumn("Adresse", "Adresse", 3400);
    DataGrid2->AddColumn("Informations", "Info", 2600);
    DataGrid2->SetAllowUpdate(false);
    DataGrid2->SetDataSource(data1);
    Text3 = Boite(SSFrame1, "Text3", "Nom Site:", 3120, 4000);
    Text5 = Boite(SSFrame1, "Text5", "adresse:", 3540, 6000);
    Text4 = Boite(SSFrame1, "Text4", "Informations:", 3960, 6000);
    CommandAddSite = new forms::CommandButton("CommandAddSite", "Ajouter", SSFrame1);
    CommandModifSite = new forms::CommandButton("CommandModifSite", "Modifer", SSFrame1);
    CommandSuppSite = new forms::CommandButton("CommandSuppSite", "Supprimer", SSFrame1);

    Services = new forms::Frame("Services", "Services", this);
    data2 = new forms::DataControl("data2", Services);
    data2->hide();
    DBGrid1 = new forms::DataGrid("DBGrid1", Services);
    DBGrid1->SetCaption("Services");
    DBGrid1->AddColumn("Nom", "NomService", 3000);
    DBGrid1->AddColumn("Informations", "Info", 5000);
    DBGrid1->SetAllowUpdate(false);
    DBGrid1->SetDataSource(data2);
    Text1 = Boite(Services, "Text1", "Nom service:", 3120, 4000);
    Text2 = Boite(Services, "Text2", "Informations:", 3540, 6000);
    CmdAdd = new forms::CommandButton("CmdAdd", "Ajouter", Services);
    CmdModifier = new forms::CommandButton("CmdModifier", "Modifer", Services);
    CmdDel = new forms::CommandButton("CmdDel", "Supprimer", Services);
    CmdClose = new forms::CommandButton("CmdClose", "Fermer", this);

    forms::MoveTwips(*SSFrame1, 120, 120, 9360, 4920);
    forms::MoveTwips(*DataGrid2, 120, 300, 9120, 2700);
    forms::MoveTwips(*CommandAddSite, 1440, 4440, 1500, 375);
    forms::MoveTwips(*CommandModifSite, 3060, 4440, 1500, 375);
    forms::MoveTwips(*CommandSuppSite, 4680, 4440, 1500, 375);
    forms::MoveTwips(*Services, 120, 5160, 9360, 4500);
    forms::MoveTwips(*DBGrid1, 120, 300, 9120, 2700);
    forms::MoveTwips(*CmdAdd, 1440, 4020, 1500, 375);
    forms::MoveTwips(*CmdModifier, 3060, 4020, 1500, 375);
    forms::MoveTwips(*CmdDel, 4680, 4020, 1500, 375);
    forms::MoveTwips(*CmdClose, 7980, 9780, 1500, 375);
    Move(0, 0, 9600, 10700);
    // The window opens in the middle of the screen.
    FonctionUtilitaires::CentrerFenetre(*this);

    connect(data1, &forms::DataControl::MoveComplete, this, [this] { data1_MoveComplete(); });
    // A recordset handed to a data control stands on its first row: the same as a move.
    connect(data1, &forms::DataControl::RecordsetChanged, this, [this] { data1_MoveComplete(); });
    connect(data2, &forms::DataControl::MoveComplete, this, [this] { data2_MoveComplete(); });
    connect(data2, &forms::DataControl::RecordsetChanged, this, [this] { data2_MoveComplete(); });
    connect(CommandAddSite, &QPushButton::clicked, this, [this] { CommandAddSite_Click(); });
    connect(CommandModifSite, &QPushButton::clicked, this, [this] { CommandModifSite_Click(); });
    connect(CommandSuppSite, &QPushButton::clicked, this, [this] { CommandSuppSite_Click(); });
    connect(CmdAdd, &QPushButton::clicked, this, [this] { CmdAdd_Click(); });
    connect(CmdModifier, &QPushButton::clicked, this, [this] { CmdModifier_Click(); });
    connect(CmdDel, &QPushButton::clicked, this, [this] { CmdDel_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
    forms::OnKeyPress(Text1, [this](int& keyAscii) { Text1_KeyPress(keyAscii); });
}

void FenSites::Form_Load()
{
    cn.Open(Global::ChaineConnexion);
    cmdSites.SetActiveConnection(cn);
    cmdServices.SetActiveConnection(cn);
    cmdSites.SetCommandText("Sites");
    rsSites.SetClientCursor(ado::adLockOptimistic);
    rsSites.Open(cmdSites);
    data1->SetRecordset(rsSites);
    // The boxes' texts are saved into these columns: none takes more than its column holds.
    forms::LimitToField(*Text3, rsSites.Fields("NomSite"));
    forms::LimitToField(*Text4, rsSites.Fields("Info"));
    forms::LimitToField(*Text5, rsSites.Fields("Adresse"));
}

void FenSites::Form_Activate()
{
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FenSites::Form_Unload(int& cancel)
{
    (void)cancel;
    cmdSites.ReleaseConnection();
    cn.Close();
}

void FenSites::CmdClose_Click()
{
    Unload();
}

// Another site: shows its fields in the boxes.
void FenSites::data1_MoveComplete()
{
    vb::ResumeNext span;
    auto montrer = [&](QLineEdit* boite, const char* champ) {
        span([&] {
            boite->setText(QString::fromStdString(
                FonctionUtilitaires::ConvertNullStr(rsSites.Fields(champ).Value())));
        });
    };
    bool lignes = false;
    span([&] { lignes = rsSites.RecordCount() > 0; });
    if (lignes) {
        montrer(Text3, "NomSite");
        montrer(Text4, "Info");
        montrer(Text5, "Adresse");
    } else {
        Text3->clear();
        Text4->clear();
        Text5->clear();
    }
    AfficherServices();
}

// Another service: shows its name in the box.
void FenSites::data2_MoveComplete()
{
    vb::ResumeNext span;
    bool lignes = false;
    span([&] { lignes = rsServices.RecordCount() > 0; });
    if (lignes) {
        span([&] {
            Text1->setText(QString::fromStdString(
                FonctionUtilitaires::ConvertNullStr(rsServices.Fields("NomService").Value())));
        });
        span([&] {
            Text2->setText(QString::fromStdString(
                FonctionUtilitaires::ConvertNullStr(rsServices.Fields("Info").Value())));
        });
    } else {
        Text1->clear();
        Text2->clear();
    }
}

std::string FenSites::ConditionSite() const
{
    if (rsSites.RecordCount() == 0 || rsSites.Eof() || rsSites.Bof() ||
        (rsSites.Status() & ado::adRecDeleted) != 0)
        return {};
    const vb::Variant no = rsSites.Fields("NoSite").Value();
    return no.IsNull() ? " IS NULL" : "=" + vb::CStr(no);
}

void FenSites::AfficherServices()
{
    try {
        const std::string condition = ConditionSite();
        if (condition.empty() || condition == "=")
            return;
        cmdServices.SetCommandText("Services where Site" + condition + " order by NomService");
        if (rsServices.State() == ado::adStateOpen) {
            rsServices.Requery();
        } else {
            rsServices.SetClientCursor(ado::adLockOptimistic);
            rsServices.Open(cmdServices);
            data2->SetRecordset(rsServices);
            forms::LimitToField(*Text1, rsServices.Fields("NomService"));
            forms::LimitToField(*Text2, rsServices.Fields("Info"));
        }
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur(e.Description(), e);
    }
}

void FenSites::CommandAddSite_Click()
{
    Text3->clear();
    Text4->clear();
    Text5->clear();
    Text3->setFocus();
    ModeAjout(CommandModifSite, true);
}

void FenSites::CmdAdd_Click()
{
    Text2->clear();
    Text1->clear();
    Text1->setFocus();
    ModeAjout(CmdModifier, true);
}

void FenSites::CommandModifSite_Click()
{
    EnregistrerSite();
}

void FenSites::CmdModifier_Click()
{
    EnregistrerService();
}

void FenSites::EnregistrerSite()
{
    const bool ajout = CommandModifSite->text() == "Enregistrer";
    if (ajout)
        ModeAjout(CommandModifSite, false);
    // The boxes are read first: the new row's move shows its empty fields in them.
    const std::string nom = Text3->text().toStdString();
    const std::string info = Text4->text().toStdString();
    const std::string adresse = Text5->text().toStdString();
    if (nom.empty())
        return;
    vb::ResumeNext span;
    if (ajout) {
        if (SiteExiste(nom)) {
            forms::MsgBox(QString::fromStdString("Le Site " + nom + " existe déjà !"), StyleErreur,
                          "Erreur");
            Text3->clear();
            return;
        }
        span([&] { rsSites.AddNew(); });
    }
    span([&] { rsSites.Fields("NomSite") = vb::Variant(nom); });
    span([&] { rsSites.Fields("Info") = vb::Variant(info); });
    span([&] { rsSites.Fields("Adresse") = vb::Variant(adresse); });
    if (!span([&] { rsSites.Update(); }))
        ado::CancelPendingEdit(rsSites);
    if (ajout) {
        // The new row's move showed it empty: the boxes and the services show the saved site.
        data1_MoveComplete();
    } else {
        ado::Bookmark position;
        span([&] { position = rsSites.GetBookmark(); });
        span([&] { rsSites.Requery(); });
        span([&] { rsSites.SetBookmark(position); });
    }
}

void FenSites::EnregistrerService()
{
    const bool ajout = CmdModifier->text() == "Enregistrer";
    if (ajout)
        ModeAjout(CmdModifier, false);
    const std::string nom = Text1->text().toStdString();
    const std::string info = Text2->text().toStdString();
    if (nom.empty())
        return;
    vb::ResumeNext span;
    if (ajout) {
        if (ServiceExiste(nom)) {
            forms::MsgBox(QString::fromStdString("Le Service " + nom + " existe déjà !"),
                          StyleErreur, "Erreur");
            Text1->clear();
            return;
        }
        span([&] { rsServices.AddNew(); });
    }
    span([&] { rsServices.Fields("NomService") = vb::Variant(nom); });
    span([&] { rsServices.Fields("Info") = vb::Variant(info); });
    span([&] { rsServices.Fields("Site") = rsSites.Fields("NoSite").Value(); });
    if (!span([&] { rsServices.Update(); }))
        ado::CancelPendingEdit(rsServices);
    if (ajout) {
        // The new row's move showed it empty: the boxes show the saved service.
        data2_MoveComplete();
    } else {
        ado::Bookmark position;
        span([&] { position = rsServices.GetBookmark(); });
        span([&] { rsServices.Requery(); });
        span([&] { rsServices.SetBookmark(position); });
    }
}

bool FenSites::SiteExiste(const std::string& nom)
{
    return NomExiste(cn, "Sites", "NomSite", nom);
}

bool FenSites::ServiceExiste(const std::string& nom)
{
    std::string condition;
    try {
        condition = ConditionSite();
    } catch (const vb::Error&) {
    }
    if (condition.empty())
        return false;
    return NomExiste(cn, "Services where Site" + condition, "NomService", nom);
}

void FenSites::CommandSuppSite_Click()
{
    try {
        rsSites.Delete();
    } catch (const vb::Error&) {
        forms::MsgBox("Suppression non autorisé !", StyleErreur, "Erreur");
    }
    try {
        rsSites.Requery();
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur("CommandSuppSite_Click", e);
    }
}

void FenSites::CmdDel_Click()
{
    try {
        rsServices.Delete();
    } catch (const vb::Error&) {
        forms::MsgBox("Suppression non autorisé !", StyleErreur, "Erreur");
    }
    try {
        rsServices.Requery();
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur("CmdDel_Click", e);
    }
}

// The service name takes letters and digits only.
void FenSites::Text1_KeyPress(int& keyAscii)
{
    keyAscii = forms::LetterOrDigitKey(keyAscii);
}
