#include "harnix/distribution/FrmConfigMachine.h"

#include "harnix/commun/ChoixArticle.h"
#include "harnix/commun/Etats.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/MachinesDistribution.h"
#include "platform/ado/CurrentRow.h"
#include "platform/ado/Transaction.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/win/FileSearch.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace Machines = MachinesDistribution;

namespace {

// The content grid is wide enough for a designation such as LUNETTES DE PROTECTION INCOLORES and
// for "Colonne 11"; the fill bars stand right of it, the picture and the buttons right of them.
constexpr int LargeurGrille = 7410;
constexpr int GaucheBarres = LargeurGrille + 105;
constexpr int GaucheBoutons = GaucheBarres + 2340;

ado::Recordset Ouvrir(const std::string& texte, ado::Connection& cn, long verrou)
{
    ado::Recordset rs;
    rs.SetClientCursor(verrou);
    rs.Open(texte, cn);
    return rs;
}

// The line query, its rows in ascending line number.
ado::Recordset OuvrirLignes(const std::string& no, ado::Connection& cn)
{
    ado::Recordset rs = Ouvrir(RequeteLignesMachine(no), cn, ado::adLockOptimistic);
    rs.SetSort("Etage");
    if (rs.RecordCount() > 0)
        rs.MoveFirst();
    return rs;
}

} // namespace

std::string RequeteLignesMachine(const std::string& no)
{
    // Read from the machine's lines through the keys, not by scanning the articles.
    return "SELECT ConfigMachines.NoMachine, ConfigMachines.Etage, "
           "ConfigMachines.ReferenceArticle, ArticleEnStock.CodeArticle, "
           "ArticleEnStock.Designation"
           " FROM ConfigMachines LEFT OUTER JOIN ArticleEnStock"
           " ON ArticleEnStock.Reference = ConfigMachines.ReferenceArticle"
           " WHERE (ConfigMachines.NoMachine = " +
           no + ") ORDER BY ConfigMachines.Etage";
}

FrmConfigMachine::FrmConfigMachine()
{
    setObjectName("FrmConfigMachine");
    SetCaption("Configuration machine");
    // The article window hands a picked article to this window.
    ChoixArticleMachine::DefinirFenetre(
        []() -> ChoixArticleMachine& { return forms::form<FrmConfigMachine>(); });

    Label3 = new forms::Label("Label3", "Contenue machine ", this);
    forms::MoveTwips(*Label3, 120, 40, 6900, 285);
    Label3->hide();

    Adodc1 = new forms::DataControl("Adodc1", this);
    Adodc1->hide();
    DataGrid1 = new forms::DataGrid("DataGrid1", this);
    forms::MoveTwips(*DataGrid1, 105, 345, 9195, 10300);
    DataGrid1->SetDataSource(Adodc1);
    DataGrid1->AddColumn("Numéro", "NoMachine", 1000);
    DataGrid1->AddColumn("Type", "Type", 800);
    DataGrid1->AddColumn("Nbre casier", "NbEmplacement", 1200);
    DataGrid1->AddColumn("Location", "Location", 3000);
    DataGrid1->AddColumn("Service", "Service", 2600);
    DataGrid1->SetAllowUpdate(false);

    MSFlexGrid1 = new forms::MSFlexGrid("MSFlexGrid1", this);
    forms::MoveTwips(*MSFlexGrid1, 105, 345, LargeurGrille, 10300);
    MSFlexGrid1->SetCols(6);
    MSFlexGrid1->hide();
    SSPanel3 = new forms::Panel("SSPanel3", "Remplissage", this);
    forms::MoveTwips(*SSPanel3, GaucheBarres, 360, 2160, 540);
    SSPanel3->hide();
    for (int i = 1; i <= NbLignesMax; ++i) {
        forms::FloodPanel& barre = SSPanel2.Add(i, new forms::FloodPanel({}, this));
        forms::MoveTwips(barre, GaucheBarres, 635 + 270 * i, 2160, 270);
        barre.hide();
    }

    Picture1 = new forms::Image("Picture1", this);
    Picture1->SetStretch(true);
    forms::MoveTwips(*Picture1, GaucheBoutons, 120, 2640, 3300);

    auto bouton = [this](const char* nom, const char* legende, int haut) {
        auto* b = new forms::CommandButton(nom, QString::fromUtf8(legende), this);
        forms::MoveTwips(*b, GaucheBoutons, haut, 2640, 600);
        return b;
    };
    CmdModeConfig = bouton("CmdModeConfig", "Activer mode configuration", 3540);
    CmdEnregiConfig = bouton("CmdEnregiConfig", "Enregistrer configuration", 4200);
    CmdRmplir = bouton("CmdRmplir", "Fiche de réapprovisionnement", 5040);
    Command1 = bouton("Command1", "Fiche de présentation des articles", 5700);
    Command2 = bouton("Command2", "Planche d'étiquette des articles", 6360);
    Command3 = bouton("Command3", "Fiche global de réapprovisionnement", 7200);
    Command4 = bouton("Command4", "Total des Articles à réapprovisionner", 7860);
    CmdClose = bouton("CmdClose", "Fermer", 10080);
    for (QWidget* b : {CmdModeConfig, CmdEnregiConfig, CmdRmplir, Command1, Command2})
        b->hide();

    connect(Adodc1, &forms::DataControl::MoveComplete, this, [this] { Adodc1_MoveComplete(); });
    connect(Adodc1, &forms::DataControl::RecordsetChanged, this, [this] { Adodc1_MoveComplete(); });
    connect(DataGrid1, &forms::DataGrid::Click, this, [this] { DataGrid1_Click(); });
    connect(MSFlexGrid1, &forms::FlexGrid::Click, this, [this] { MSFlexGrid1_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
    connect(CmdModeConfig, &QPushButton::clicked, this, [this] { CmdModeConfig_Click(); });
    connect(CmdEnregiConfig, &QPushButton::clicked, this, [this] { CmdEnregiConfig_Click(); });
    connect(CmdRmplir, &QPushButton::clicked, this, [this] { CmdRmplir_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
}

void FrmConfigMachine::Form_Load()
{
    DataGrid1->show();
    SetHeight(11592);
    SetWidth(GaucheBoutons + 2640 + 150);
    FonctionUtilitaires::CentrerFenetre(*this);
    Global::ConfigMachineOuverte = true;
    try {
        cn.Open(Global::ChaineConnexion);
        rsMachines = Ouvrir("select * from Machines order by NoMachine", cn, ado::adLockOptimistic);
        Adodc1->SetRecordset(rsMachines);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("Form_Load", erreur);
    }
}

void FrmConfigMachine::Form_Activate()
{
    DataGrid1->setVisible(CmdClose->text() == "Fermer");
    DataGrid1->raise();
    Global::ConfigMachineOuverte = true;
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FrmConfigMachine::Form_Unload(int& cancel)
{
    (void)cancel;
    Global::ConfigMachineOuverte = false;
    vb::ResumeNext span;
    span.Run([&] { rsMachines.Close(); }, [&] { cn.Close(); });
}

// Another machine: shows its model's picture.
void FrmConfigMachine::Adodc1_MoveComplete()
{
    if (!ado::OpenOnRow(rsMachines))
        return;
    vb::ResumeNext span;
    span([&] {
        const std::string nom =
            "mod-" + FonctionUtilitaires::ConvertNullStr(rsMachines["Type"].Value()) + ".jpg";
        QImage modele;
        if (auto fichier = win::FindFileIgnoringCase(Global::ProgramFolder(), nom))
            modele.load(QString::fromStdString(*fichier));
        Picture1->SetPicture(modele);
    });
}

// Opens the chosen machine's configuration.
void FrmConfigMachine::DataGrid1_Click()
{
    if (!ado::OpenOnRow(rsMachines))
        return;
    try {
        NoMachineCourant = vb::CLng(rsMachines["NoMachine"].Value());
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("DataGrid1_Click", erreur);
        return;
    }
    for (QWidget* b : {CmdModeConfig, CmdRmplir, Command1, Command2})
        b->show();
    CmdClose->setText("Autre Machine");
    if (Machines::ParEtage(rsMachines["Chargement"].Value())) {
        TypeAffichage = 1;
        LireConfigMachineEtage();
    } else {
        TypeAffichage = 2;
        LireConfigMachineColonne();
    }
    CmdModeConfig->setEnabled(VerifierMachineVide());
}

bool FrmConfigMachine::EstImpair(double n)
{
    return std::fmod(n, 2.0) != 0;
}

void FrmConfigMachine::LireConfigMachineEtage()
{
    LireConfigMachine(true);
}

void FrmConfigMachine::LireConfigMachineColonne()
{
    LireConfigMachine(false);
}

void FrmConfigMachine::LireConfigMachine(bool parEtage)
{
    if (NoMachineCourant == 0)
        return;
    DataGrid1->hide();
    const std::string no = std::to_string(NoMachineCourant);
    const std::string colonne = Machines::ColonneComptes(parEtage);
    ado::Recordset lignes;
    ado::Recordset comptes;
    try {
        lignes = OuvrirLignes(no, cn);
        comptes = Ouvrir(Machines::RequeteComptes(colonne, no), cn, ado::adLockReadOnly);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(parEtage ? "LireConfigMachineEtage" : "LireConfigMachineColonne",
                                  erreur);
        return;
    }

    // From here a failing statement is skipped: a Null leaves its cell empty and its field 0.
    vb::ResumeNext span;
    const long nbLignes = lignes.RecordCount();
    forms::MSFlexGrid& grille = *MSFlexGrid1;
    span([&] { grille.SetRows(nbLignes + 1); });
    const int largeurs[] = {975, 3435, 900, 667, 667, 690};
    const char* titres[] = {
        "", "Désignation", "Référence", "Code Article", "Nbre d'unité", "Nbre à remplir"};
    for (int c = 0; c < 6; ++c) {
        grille.SetColWidth(c, largeurs[c]);
        grille.SetColAlignment(c, forms::flexAlignLeftCenter);
        if (c > 0)
            grille.SetTextMatrix(0, c, QString::fromUtf8(titres[c]));
    }
    grille.SetRowHeight(0, 540);
    for (int i = 1; i <= NbLignesMax; ++i) {
        SSPanel2(i).hide();
        std::fill(LignesMachine[i].begin() + 1, LignesMachine[i].end(), 0);
    }
    grille.show();
    grille.raise();
    SSPanel3->show();
    Label3->show();
    span([&] {
        Label3->SetCaption(QString::fromStdString(
            "Contenue machine " +
            FonctionUtilitaires::ConvertNullStr(rsMachines["Location"].Value())));
    });

    vb::Variant type, emplacements, portes;
    span.Run([&] { type = rsMachines["Type"].Value(); },
             [&] { emplacements = rsMachines["NbEmplacement"].Value(); },
             [&] { portes = rsMachines["NbPorte"].Value(); });
    pasColonne_ = parEtage ? 1 : Machines::PasColonne(type);
    const std::optional<double> capacite = Machines::Capacite(parEtage, emplacements, portes);

    for (int i = 1; i <= nbLignes; ++i) {
        const int ligne = Machines::NumeroLigne(i, pasColonne_);
        const bool avecBarre = i <= NbLignesMax;
        std::array<int32_t, 7> vide{};
        std::array<int32_t, 7>& champs = avecBarre ? LignesMachine[i] : vide;
        // None when the line has no slot rows or its count cannot be read.
        double compte = 0;
        bool avecUnites = false;
        span([&] {
            if (const std::optional<double> u = Machines::Unites(comptes, colonne, ligne)) {
                compte = *u;
                avecUnites = true;
            }
        });
        if (!EstImpair(i)) {
            for (int c = 1; c <= 5; ++c) {
                grille.SetRow(i);
                grille.SetCol(c);
                grille.SetCellBackColor(CouleurLignePaire);
            }
            if (avecBarre)
                SSPanel2(i).SetBackColor(CouleurLignePaire);
        }
        grille.SetRowHeight(i, 270);
        grille.SetTextMatrix(i, 0, QString::fromStdString(colonne + " " + std::to_string(ligne)));
        champs[ChampLigne] = ligne;
        auto cellule = [&](int c, const char* champ, Champ destination) {
            grille.SetTextMatrix(i, c, "");
            span([&] {
                const vb::Variant v = lignes[champ].Value();
                grille.SetTextMatrix(i, c, QString::fromStdString(vb::CStr(v)));
                if (destination != ChampLigne)
                    champs[destination] = vb::CLng(v);
            });
        };
        cellule(1, "Designation", ChampLigne);
        cellule(2, "ReferenceArticle", ChampReference);
        cellule(3, "CodeArticle", ChampCode);
        grille.SetTextMatrix(i, 4, "");
        grille.SetTextMatrix(i, 5, "");
        int niveau = 0;
        if (avecUnites) {
            grille.SetTextMatrix(i, 4, QString::fromStdString(vb::CStr(vb::Variant(compte))));
            span([&] { champs[ChampUnites] = vb::CLng(vb::Variant(compte)); });
            if (capacite) {
                const Machines::RemplissageAffiche r = Machines::Remplissage(*capacite, compte);
                grille.SetTextMatrix(i, 5,
                                     QString::fromStdString(vb::CStr(vb::Variant(r.aRemplir))));
                champs[ChampARemplir] = r.aRemplirEntier;
                niveau = r.niveau;
            }
        }
        champs[ChampMachine] = NoMachineCourant;
        if (avecBarre) {
            forms::FloodPanel& barre = SSPanel2(i);
            const int h = grille.RowHeight(i);
            forms::MoveTwips(barre, GaucheBarres, (i - 1) * h + h + 635, 2160, 270);
            barre.show();
            barre.raise();
            barre.SetFloodPercent(niveau);
        }
        span([&] { lignes.MoveNext(); });
    }
    span.Run([&] { lignes.Close(); }, [&] { comptes.Close(); });
}

void FrmConfigMachine::CmdClose_Click()
{
    if (!CmdModeConfig->isHidden()) {
        DataGrid1->show();
        DataGrid1->raise();
        for (QWidget* b : {CmdModeConfig, CmdRmplir, Command1, Command2, CmdEnregiConfig})
            b->hide();
        CmdClose->setText("Fermer");
        return;
    }
    Global::ConfigMachineOuverte = false;
    CmdEnregiConfig->hide();
    Hide();
    if (ChoixArticle* stock = ChoixArticle::Chargee())
        stock->DBGridStockVisible();
    CmdClose->setText("Fermer");
}

// Configuration mode.

bool FrmConfigMachine::VerifierMachineVide()
{
    // Flags of an earlier machine never stand for this one's lines.
    LigneOccupee.fill(false);
    try {
        const std::string colonne = Machines::ColonneComptes(TypeAffichage == 1);
        ado::Recordset rs =
            Ouvrir(Machines::RequeteComptes(colonne, std::to_string(NoMachineCourant)), cn,
                   ado::adLockReadOnly);
        std::map<long, bool> occupee;
        while (!rs.Eof()) {
            occupee[static_cast<long>(FonctionUtilitaires::ConvertNullNum(rs[colonne].Value()))] =
                FonctionUtilitaires::ConvertNullNum(rs["CompteDeReference"].Value()) > 0;
            rs.MoveNext();
        }
        rs.Close();
        // Each flag describes the grid line of its index, whatever its physical column.
        const int pas = TypeAffichage == 1 ? 1 : pasColonne_;
        for (int i = 1; i <= NbLignesMax; ++i) {
            auto trouvee = occupee.find(Machines::NumeroLigne(i, pas));
            LigneOccupee[static_cast<size_t>(i - 1)] = trouvee != occupee.end() && trouvee->second;
        }
        return true;
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("VerifierMachineVide", erreur);
        return false;
    }
}

void FrmConfigMachine::CmdModeConfig_Click()
{
    if (MSFlexGrid1->isHidden())
        return;
    if (VerifierMachineVide()) {
        ModeConfig = true;
        CmdEnregiConfig->show();
    } else {
        forms::MsgBox("Opération impossible, la machine n'est pas vide !",
                      forms::vbCritical + forms::vbOKOnly);
    }
}

// In configuration mode, picks the article of the clicked line.
void FrmConfigMachine::MSFlexGrid1_Click()
{
    if (!ModeConfig)
        return;
    const int r = MSFlexGrid1->Row();
    CodeArticleChoisi = 0;
    ReferenceChoisie = 0;
    DesignationChoisie.clear();
    // Only the lines that the flags describe can be given an article.
    if (r < 1 || r > NbLignesMax || LigneOccupee[static_cast<size_t>(r - 1)])
        return;
    ChoixArticle::Fenetre()->MontrerPourChoix(*this, ChoixArticle::Fiche::Montree);
    // Closing without a pick takes the article off the line.
    const bool choisi = ReferenceChoisie != 0;
    MSFlexGrid1->SetTextMatrix(r, 3, choisi ? QString::number(CodeArticleChoisi) : QString());
    MSFlexGrid1->SetTextMatrix(r, 2, choisi ? QString::number(ReferenceChoisie) : QString());
    MSFlexGrid1->SetTextMatrix(r, 1,
                               choisi ? QString::fromStdString(DesignationChoisie) : QString());
}

void FrmConfigMachine::CmdEnregiConfig_Click()
{
    auto cellule = [this](int r, int c, bool nombre) {
        const std::string texte = MSFlexGrid1->TextMatrix(r, c).toStdString();
        if (texte.empty())
            return vb::Variant();
        return nombre ? vb::Variant(vb::CLng(vb::Variant(texte))) : vb::Variant(texte);
    };
    try {
        // All lines of the machine or none.
        ado::RunInTransaction(cn, [&] {
            ado::Recordset rs = Ouvrir("select * from ConfigMachines where [NoMachine]=" +
                                           std::to_string(NoMachineCourant),
                                       cn, ado::adLockOptimistic);
            while (!rs.Eof()) {
                const int r = vb::CLng(rs["Etage"].Value());
                rs["Designation"] = cellule(r, 1, false);
                rs["ReferenceArticle"] = cellule(r, 2, true);
                rs["CodeArticle"] = cellule(r, 3, true);
                rs.Update();
                rs.MoveNext();
            }
            rs.Close();
        });
        CmdEnregiConfig->hide();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdEnregiConfig_Click", erreur);
    }
}

void FrmConfigMachine::CreerEmplacementsMachine(int32_t noMachine, int type)
{
    Machines::CreerEmplacements(cn, noMachine, type);
}

// Refill list and machine sheets.

bool FrmConfigMachine::RemplisageMachine()
{
    try {
        // The last list stays until the new one is whole.
        ado::RunInTransaction(cn, [&] {
            cn.Execute("DELETE  FROM TRemplissageMachine");
            ado::Recordset rs = Ouvrir("TRemplissageMachine", cn, ado::adLockOptimistic);
            for (int i = 1; i <= NbLignesMax && LignesMachine[i][ChampLigne] != 0; ++i) {
                const auto& l = LignesMachine[i];
                rs.AddNew({"Etage", "Reference", "CodeArticle", "NbUnite", "Aremplir", "NumMach"},
                          {vb::Variant(l[ChampLigne]), vb::Variant(l[ChampReference]),
                           vb::Variant(l[ChampCode]), vb::Variant(l[ChampUnites]),
                           vb::Variant(l[ChampARemplir]), vb::Variant(l[ChampMachine])});
            }
            rs.Close();
        });
        return true;
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("RemplisageMachine", erreur);
        return false;
    }
}

bool FrmConfigMachine::RemplissageMachineGlobal()
{
    try {
        // The last list stays until the new one is whole.
        ado::RunInTransaction(cn, [&] {
            cn.Execute("DELETE  FROM TRemplissageMachine");
            ado::Recordset table =
                Ouvrir("TRemplissageMachine order by Etage", cn, ado::adLockOptimistic);
            const long nbMachines = rsMachines.RecordCount();
            if (nbMachines > 0)
                rsMachines.MoveFirst();
            for (long m = 1; m <= nbMachines; ++m) {
                const std::string no = std::to_string(vb::CLng(rsMachines["NoMachine"].Value()));
                const bool parEtage = Machines::ParEtage(rsMachines["Chargement"].Value());
                const std::string colonne = Machines::ColonneComptes(parEtage);
                const int pas = parEtage ? 1 : Machines::PasColonne(rsMachines["Type"].Value());
                const std::optional<double> capacite = Machines::Capacite(
                    parEtage, rsMachines["NbEmplacement"].Value(), rsMachines["NbPorte"].Value());
                ado::Recordset lignes = OuvrirLignes(no, cn);
                ado::Recordset comptes =
                    Ouvrir(Machines::RequeteComptes(colonne, no), cn, ado::adLockReadOnly);
                const long nbLignes = lignes.RecordCount();
                for (int i = 1; i <= nbLignes; ++i) {
                    const Machines::RemplissageGlobal r = Machines::RemplissageLigneGlobale(
                        capacite,
                        Machines::Unites(comptes, colonne, Machines::NumeroLigne(i, pas)));
                    table.AddNew(
                        {"Etage", "Reference", "CodeArticle", "NbUnite", "Aremplir", "NumMach"},
                        {vb::Variant(i), lignes["ReferenceArticle"].Value(),
                         lignes["CodeArticle"].Value(), vb::Variant(r.nbUnite), r.aRemplir,
                         vb::Variant(no)});
                    lignes.MoveNext();
                }
                if (m < nbMachines)
                    rsMachines.MoveNext();
                lignes.Close();
                comptes.Close();
            }
            table.Close();
        });
        return true;
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("RemplissageMachineGlobal", erreur);
        return false;
    }
}

void FrmConfigMachine::ImprimerFiche(Reconstruction reconstruction, const std::string& requete,
                                     const std::string& titre, const std::string& fichier)
{
    if (reconstruction == Reconstruction::Machine && !RemplisageMachine())
        return;
    if (reconstruction == Reconstruction::Globale && !RemplissageMachineGlobal())
        return;
    Etats& compteRendu = *Etats::Fenetre();
    // The shown machine for its own sheets; for the global ones the list's machine, its last
    // after the build's walk.
    int64_t numero = NoMachineCourant;
    int64_t second = 1;
    if (reconstruction == Reconstruction::Globale) {
        numero = 0;
        if (ado::OpenOnRow(rsMachines)) {
            vb::ResumeNext span;
            span([&] { numero = vb::CLng(rsMachines["NoMachine"].Value()); });
        }
        second = rsMachines.RecordCount();
    }
    constexpr int64_t plafond = std::numeric_limits<int16_t>::max();
    if (numero > plafond || numero < 0) {
        forms::MsgBox("Le numéro de machine " + QString::number(numero) +
                          " dépasse 32767 : la fiche ne peut pas être imprimée.",
                      forms::vbExclamation + forms::vbOKOnly);
        return;
    }
    if (second > plafond) {
        forms::MsgBox("Plus de 32767 machines : la fiche ne peut pas être imprimée.",
                      forms::vbExclamation + forms::vbOKOnly);
        return;
    }
    compteRendu.CreerEtatRemplissageMach(static_cast<int16_t>(numero), static_cast<int16_t>(second),
                                         requete);
    compteRendu.ImprimerEtat(fichier, "", titre, "ARemplissageMachine");
}

void FrmConfigMachine::CmdRmplir_Click()
{
    ImprimerFiche(Reconstruction::Machine, "RemplissageMachine", "Fiche de réapprovisionnement",
                  "RemplissageMachine.RPT");
}

// Prints the list of the articles available.
void FrmConfigMachine::Command1_Click()
{
    ImprimerFiche(Reconstruction::Aucune, "PresentationArticle", "Liste des articles disponibles",
                  "FicheSelectProduit.RPT");
}

// Prints the machine's product labels.
void FrmConfigMachine::Command2_Click()
{
    ImprimerFiche(Reconstruction::Machine, "RemplissageMachine",
                  "Etiquette - Avery L7161 - 63,5 x 46,6 cm", "FicheImageProduit.RPT");
}

// Prints the global refilling sheet.
void FrmConfigMachine::Command3_Click()
{
    ImprimerFiche(Reconstruction::Globale, "RemplissageMachine",
                  "Fiche global de réapprovisionnement", "RemplissageMachineGlobal.RPT");
}

// Prints the total of the articles to refill.
void FrmConfigMachine::Command4_Click()
{
    ImprimerFiche(Reconstruction::Globale, "RemplissageMachine",
                  "Total des Articles a réapprovisionner", "RemplissageMachineGlobalTotalArt.RPT");
}
