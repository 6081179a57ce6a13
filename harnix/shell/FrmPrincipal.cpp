#include "harnix/shell/FrmPrincipal.h"

#include "harnix/database/Databases.h"

#include "harnix/catalogue/FenFamille.h"
#include "harnix/catalogue/FenFournisseur.h"
#include "harnix/catalogue/FenTailles.h"
#include "harnix/catalogue/FrmStock.h"
#include "harnix/catalogue/frmMouvtStock.h"
#include "harnix/commun/FenetrePrincipale.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/distribution/FenComptoir.h"
#include "harnix/distribution/FrmConfigMachine.h"
#include "harnix/distribution/FrmVente.h"
#include "harnix/reports/FenCompteRendu.h"
#include "harnix/shell/Fenetres.h"
#include "harnix/shell/FrmAbout.h"
#include "harnix/staff/FenBadgeMaintenance.h"
#include "harnix/staff/FenDotation.h"
#include "harnix/staff/FenQuota.h"
#include "harnix/staff/FenSites.h"
#include "harnix/staff/FrmUtilisateur.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/vb/Convert.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"
#include "platform/win/End.h"
#include "platform/win/FileSearch.h"
#include "platform/win/Screen.h"

#include <QIcon>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

const char* const FrmPrincipal::ProcedureEtatCA =
    "CREATE PROCEDURE EtatCA @DateDebut AS char(20), @DateFin AS char(20) AS BEGIN DELETE  FROM "
    "CA END BEGIN INSERT INTO CA   SELECT     DATENAME(month, dbo.Ventes.LaDate) AS NomMois, "
    "dbo.Ventes.TypeMouvement, dbo.Ventes.LaDate, dbo.Ventes.Utilisateur, dbo.Ventes.Nom,   "
    "dbo.Ventes.Prenom, dbo.DetailVente.Reference, dbo.DetailVente.Designation, "
    "dbo.DetailVente.Quantite, dbo.DetailVente.NomFamille,   dbo.DetailVente.NomSite, "
    "dbo.DetailVente.NomService, dbo.ProfileQuota.Profile, dbo.DetailVente.CodeFournisseur, "
    "dbo.DetailVente.Societe,   dbo.DetailVente.PrixAchatUnit , dbo.DetailVente.Taille, "
    "dbo.DetailVente.RefFournisseur   FROM         dbo.Ventes INNER JOIN   dbo.DetailVente ON "
    "dbo.Ventes.NumVente = dbo.DetailVente.NumVente LEFT OUTER JOIN   dbo.ProfileQuota ON "
    "dbo.DetailVente.Profile = dbo.ProfileQuota.NoQuota   GROUP BY dbo.Ventes.TypeMouvement, "
    "dbo.Ventes.LaDate, dbo.Ventes.Utilisateur, dbo.Ventes.Nom, dbo.Ventes.Prenom, "
    "dbo.DetailVente.Reference,   dbo.DetailVente.Designation, dbo.DetailVente.Quantite, "
    "dbo.DetailVente.NomFamille, dbo.DetailVente.NomSite, dbo.DetailVente.NomService,   "
    "dbo.ProfileQuota.Profile, dbo.DetailVente.CodeFournisseur, dbo.DetailVente.Societe, "
    "dbo.DetailVente.PrixAchatUnit, dbo.DetailVente.Taille,   dbo.DetailVente.RefFournisseur   "
    "HAVING      ( Ventes.LaDate > CONVERT(DATETIME, @DateDebut, 103)) AND ( Ventes.LaDate < "
    "CONVERT(DATETIME, @DateFin, 103)) END";

namespace {

// Places a label and its text box on a line of the company panel.
forms::BoundText* Ligne(QWidget* panneau, const QString& libelle, const QString& nom, int top,
                        int largeur)
{
    auto* label = new forms::Label("Label" + nom, libelle, panneau);
    forms::MoveTwips(*label, 240, top + 45, 1500, 285);
    auto* texte = new forms::BoundText(nom, panneau);
    forms::MoveTwips(*texte, 1800, top, largeur, 345);
    return texte;
}

} // namespace

FrmPrincipal::FrmPrincipal()
{
    setObjectName("FrmPrincipal");
    SetCaption("Gestion de");
    FenetrePrincipale::Definir([]() -> forms::Form* {
        return forms::IsLoaded<FrmPrincipal>() ? &forms::form<FrmPrincipal>() : nullptr;
    });
    Fenetres::Enregistrer();

    SSpanel1 = new forms::Panel("SSpanel1", {}, this);
    forms::MoveTwips(*SSpanel1, 0, 0, 8040, 5160);
    auto bouton = [this](const QString& nom, const QString& legende, int colonne, int ligne) {
        auto* b = new forms::CommandButton(nom, legende, SSpanel1);
        forms::MoveTwips(*b, 240 + colonne * 3900, 240 + ligne * 540, 3660, 480);
        b->setIconSize(QSize(24, 24));
        b->setStyleSheet("text-align: left; padding-left: 8px;");
        return b;
    };
    CmdStock = bouton("CmdStock", " Articles en Stock", 0, 0);
    CmdMouvementStock = bouton("CmdMouvementStock", " Mouvements de Stock", 0, 1);
    CmdFournissueur = bouton("CmdFournissueur", " Fournisseurs", 0, 2);
    CmdFamilles = bouton("CmdFamilles", " Familles", 0, 3);
    CmdTailles = bouton("CmdTailles", " Tailles", 0, 4);
    CmdEmplacement = bouton("CmdEmplacement", " Salariés", 0, 5);
    CmdProfile = bouton("CmdProfile", " Profiles", 0, 6);
    CmdSites = bouton("CmdSites", " Sites et Services", 0, 7);
    CmdBadgeMainten = bouton("CmdBadgeMainten", " Badges Maintenances", 0, 8);
    CmdDotation = bouton("CmdDotation", "Calcul des besoins       ", 1, 0);
    CmdComptoir = bouton("CmdComptoir", " Comptoir", 1, 1);
    CmdVente = bouton("CmdVente", " Journal des consomations", 1, 2);
    CmdMachines = bouton("CmdMachines", " Machines", 1, 3);
    CmdReport = bouton("CmdReport", " Report", 1, 4);
    CmdInfoCom = bouton("CmdInfoCom", " Informations Société", 1, 6);
    CmdApropos = bouton("CmdApropos", " Info Version", 1, 7);
    CmdClose = bouton("CmdClose", " Quitter", 1, 8);

    SSPanelInfoCom = new forms::Panel("SSPanelInfoCom", {}, this);
    // The panel covers the buttons: its own background hides them.
    SSPanelInfoCom->setAutoFillBackground(true);
    forms::MoveTwips(*SSPanelInfoCom, 0, 0, 6600, 3960);
    auto* titre = new forms::Label("LabelTitre", "Informations société", SSPanelInfoCom);
    QFont gras = titre->font();
    gras.setBold(true);
    titre->setFont(gras);
    forms::MoveTwips(*titre, 240, 180, 6000, 330);
    TextNom = Ligne(SSPanelInfoCom, "Société:", "TextNom", 660, 4500);
    TextAdd = Ligne(SSPanelInfoCom, "Adresse:", "TextAdd", 1080, 4500);
    TextVille = Ligne(SSPanelInfoCom, "Ville:", "TextVille", 1500, 4500);
    TextCP = Ligne(SSPanelInfoCom, "Code Postal:", "TextCP", 1920, 1500);
    TextTel = Ligne(SSPanelInfoCom, "Téléphone:", "TextTel", 2340, 2400);
    TextFax = Ligne(SSPanelInfoCom, "Fax:", "TextFax", 2760, 2400);
    cmdOK = new forms::CommandButton("cmdOK", "OK", SSPanelInfoCom);
    forms::MoveTwips(*cmdOK, 5100, 3300, 1200, 420);
    SSPanelInfoCom->hide();

    data1 = new forms::DataControl("data1", this);
    data1->hide();
    const std::vector<std::pair<forms::BoundText*, QString>> liens{
        {TextNom, "Nom"},     {TextAdd, "Adresse"}, {TextCP, "CodePostal"},
        {TextVille, "Ville"}, {TextTel, "Tel"},     {TextFax, "Fax"}};
    for (const auto& [texte, champ] : liens)
        texte->Bind(data1, champ);

    forms::AcceptOnly(TextTel, "0123456789 ");
    forms::AcceptOnly(TextFax, "0123456789 ");
    forms::UpperCase(TextNom);

    connect(CmdStock, &QPushButton::clicked, this, [this] { CmdStock_Click(); });
    connect(CmdMouvementStock, &QPushButton::clicked, this, [this] { CmdMouvementStock_Click(); });
    connect(CmdProfile, &QPushButton::clicked, this, [this] { CmdProfile_Click(); });
    connect(CmdFournissueur, &QPushButton::clicked, this, [this] { CmdFournissueur_Click(); });
    connect(CmdFamilles, &QPushButton::clicked, this, [this] { CmdFamilles_Click(); });
    connect(CmdTailles, &QPushButton::clicked, this, [this] { CmdTailles_Click(); });
    connect(CmdEmplacement, &QPushButton::clicked, this, [this] { CmdEmplacement_Click(); });
    connect(CmdReport, &QPushButton::clicked, this, [this] { CmdReport_Click(); });
    connect(CmdSites, &QPushButton::clicked, this, [this] { CmdSites_Click(); });
    connect(CmdBadgeMainten, &QPushButton::clicked, this, [this] { CmdBadgeMainten_Click(); });
    connect(CmdComptoir, &QPushButton::clicked, this, [this] { CmdComptoir_Click(); });
    connect(CmdDotation, &QPushButton::clicked, this, [this] { CmdDotation_Click(); });
    connect(CmdVente, &QPushButton::clicked, this, [this] { CmdVente_Click(); });
    connect(CmdMachines, &QPushButton::clicked, this, [this] { CmdMachines_Click(); });
    connect(CmdApropos, &QPushButton::clicked, this, [this] { CmdApropos_Click(); });
    connect(CmdInfoCom, &QPushButton::clicked, this, [this] { CmdInfoCom_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });

    Move(0, 0, win::ScreenWidthTwips(), win::ScreenHeightTwips());
}

void FrmPrincipal::Form_Load()
{
    try {
        if (win::ScreenWidthPixels() < 1024)
            forms::MsgBox("La résolution de l'écran doit être au moin de 1024 x 768.\r"
                          "Veuillez configurer votre écran pour pouvoir continuer !",
                          forms::vbOKOnly + forms::vbExclamation, "Attention");
        ChargerIcones();
        CmdDotation->setVisible(
            FnTundrel::LireIniString(Global::CheminIni, "APPLICATION", "Dotation", "OUI") == "OUI");
        Global::CheminRapports = Global::ProgramFolder() + "/RPT SQL/";

        cn.Open(Global::ChaineConnexion);
        cmd.SetActiveConnection(cn);
        cmd.SetCommandText("InfoSociete");
        rs.SetClientCursor(ado::adLockOptimistic);
        rs.Open(cmd);
        data1->SetRecordset(rs);

        const std::string vd = vb::Left(FonctionUtilitaires::ConvertNullStr(rs["VD"].Value()), 3);
        const int16_t niveau = vb::IsNumeric(vd) ? vb::CInt(vd) : 0;
        MettreAJourBase(niveau);
        database::AddMissingIndexes(cn);

        FonctionUtilitaires::CentrerPanneau(*SSpanel1);
        // The article window is loaded hidden now, so that it is ready when its button shows it.
        forms::form<FrmStock>();
    } catch (const vb::Error& erreur) {
        if (erreur.Number() == ado::ErrCannotWriteBeside) {
            forms::MsgBox(QString::fromStdString(erreur.Description()) +
                              "\rL'application va se terminer.",
                          forms::vbOKOnly + forms::vbCritical);
            win::End();
        }
        if (erreur.Number() == vb::ErrUnspecified) {
            forms::MsgBox("Pas de base de donnée, l'application va se terminer.", forms::vbOKOnly);
            win::End();
        }
        FnTundrel::AfficherErreur("Form load frm principale", erreur);
    }
}

void FrmPrincipal::ChargerIcones()
{
    const std::string dossier = Global::ProgramFolder() + "/icon";
    const std::vector<std::pair<forms::CommandButton*, const char*>> icones{
        {CmdFamilles, "fonts.gif"},        {CmdVente, "book01.gif"},
        {CmdMachines, "wrench.ico"},       {CmdMouvementStock, "note14.ico"},
        {CmdFournissueur, "crdfle04.ico"}, {CmdBadgeMainten, "secur06.ico"},
        {CmdClose, "door02.gif"},          {CmdSites, "orgchrt2.gif"},
        {CmdProfile, "misc08.ico"},        {CmdReport, "graph01.gif"},
        {CmdComptoir, "desktop.gif"},      {CmdApropos, "6pt3a.gif"},
        {CmdInfoCom, "6pt5a.gif"},         {CmdEmplacement, "net14.ico"}};
    for (const auto& [bouton, fichier] : icones) {
        if (!FnTundrel::FichierExiste(dossier, fichier))
            continue;
        if (const auto chemin = win::FindFileIgnoringCase(dossier, fichier))
            bouton->setIcon(QIcon(QString::fromStdString(*chemin)));
    }
}

void FrmPrincipal::MettreAJourBase(int16_t niveau)
{
    if (niveau != 0)
        return;
    FonctionUtilitaires::EffacerStoredProcedure("EtatCA");
    FonctionUtilitaires::VerifierStoredProcedure("EtatCA", ProcedureEtatCA);
    rs["VD"] = "001" + vb::Mid(FonctionUtilitaires::ConvertNullStr(rs["VD"].Value()), 4);
    rs.Update();
}

void FrmPrincipal::Form_Activate()
{
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FrmPrincipal::Form_Unload(int& cancel)
{
    (void)cancel;
    // A save that fails does not keep the program from ending; a file that could not be closed
    // properly is reported before the end.
    std::optional<vb::Error> fermeture;
    const auto fermer = [&](const std::function<void()>& etape) {
        try {
            etape();
        } catch (const vb::Error& erreur) {
            if (!fermeture)
                fermeture = erreur;
        }
    };
    vb::ResumeNext span;
    span.Run([&] { rs["AdEmail"] = Global::AdresseEmail; }, [&] { data1->UpdateRecord(); },
             [&] { fermer([&] { cn.Close(); }); });
    // Ending runs no window's closing steps: the article card's pending edit is saved here.
    if (forms::IsLoaded<FrmStock>())
        forms::form<FrmStock>().EnregistrerFiche();
    fermer(ado::CloseAllConnections);
    if (fermeture)
        forms::MsgBox(QString::fromStdString(fermeture->Description()),
                      forms::vbOKOnly + forms::vbCritical);
    win::End();
}

void FrmPrincipal::CmdStock_Click()
{
    Ouvrir<FrmStock>(Pointeur::Sablier, Panneau::Cache, forms::Modeless, [](FrmStock&) {});
}

void FrmPrincipal::CmdMouvementStock_Click()
{
    Ouvrir<frmMouvtStock>(Pointeur::Normal, Panneau::Cache, forms::Modal, [](frmMouvtStock&) {});
}

void FrmPrincipal::CmdProfile_Click()
{
    Ouvrir<FenQuota>(Pointeur::Sablier, Panneau::Cache, forms::Modal,
                     [](FenQuota& fenetre) { fenetre.DepuisFenUtilisateur = false; });
}

void FrmPrincipal::CmdFournissueur_Click()
{
    Ouvrir<FenFournisseur>(Pointeur::Normal, Panneau::Cache, forms::Modal, [](FenFournisseur&) {});
}

void FrmPrincipal::CmdFamilles_Click()
{
    Ouvrir<FenFamille>(Pointeur::Sablier, Panneau::Cache, forms::Modal, [](FenFamille&) {});
}

void FrmPrincipal::CmdTailles_Click()
{
    Ouvrir<FenTailles>(Pointeur::Sablier, Panneau::Cache, forms::Modal, [](FenTailles&) {});
}

void FrmPrincipal::CmdReport_Click()
{
    Ouvrir<FenCompteRendu>(Pointeur::Normal, Panneau::Cache, forms::Modal, [](FenCompteRendu&) {});
}

void FrmPrincipal::CmdEmplacement_Click()
{
    Ouvrir<FrmUtilisateur>(Pointeur::Sablier, Panneau::Garde, forms::Modeless,
                           [](FrmUtilisateur&) {});
}

void FrmPrincipal::CmdSites_Click()
{
    Ouvrir<FenSites>(Pointeur::Sablier, Panneau::Cache, forms::Modal, [](FenSites&) {});
}

void FrmPrincipal::CmdBadgeMainten_Click()
{
    Ouvrir<FenBadgeMaintenance>(Pointeur::Sablier, Panneau::Cache, forms::Modal,
                                [](FenBadgeMaintenance&) {});
}

void FrmPrincipal::CmdComptoir_Click()
{
    Ouvrir<FenComptoir>(Pointeur::Sablier, Panneau::Cache, forms::Modal, [](FenComptoir&) {});
}

void FrmPrincipal::CmdDotation_Click()
{
    Ouvrir<FenDotation>(Pointeur::Normal, Panneau::Cache, forms::Modal, [](FenDotation&) {});
}

void FrmPrincipal::CmdVente_Click()
{
    Ouvrir<FrmVente>(Pointeur::Sablier, Panneau::Cache, forms::Modal, [](FrmVente&) {});
}

void FrmPrincipal::CmdMachines_Click()
{
    Ouvrir<FrmConfigMachine>(Pointeur::Sablier, Panneau::Cache, forms::Modal,
                             [](FrmConfigMachine& f) { f.ModeConfig = false; });
}

void FrmPrincipal::CmdApropos_Click()
{
    Ouvrir<frmAbout>(Pointeur::Normal, Panneau::Garde, forms::Modal, [](frmAbout&) {});
}

void FrmPrincipal::CmdInfoCom_Click()
{
    FonctionUtilitaires::CentrerPanneau(*SSPanelInfoCom);
    SSPanelInfoCom->show();
    SSPanelInfoCom->raise();
}

void FrmPrincipal::cmdOK_Click()
{
    try {
        data1->UpdateRecord();
        SSPanelInfoCom->hide();
    } catch (const vb::Error& erreur) {
        // The panel stays open, so that the edit is not lost.
        FnTundrel::AfficherErreur("cmdOK_Click", erreur);
    }
}

void FrmPrincipal::CmdClose_Click()
{
    Unload();
}

bool FrmPrincipal::ConnecterLecteurReseau(const std::string& dossier, const std::string& motPasse,
                                          const std::string& nomDistant)
{
    (void)motPasse;
    (void)nomDistant;
    return FnTundrel::RepertoireAccessible(dossier);
}
