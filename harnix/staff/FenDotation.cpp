#include "harnix/staff/FenDotation.h"

#include "harnix/commun/Calendrier.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/EnregistrementDotation.h"
#include "platform/ado/CurrentRow.h"
#include "platform/forms/Colors.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/win/Process.h"
#include "platform/workbook/Workbook.h"

#include <tuple>

using FonctionUtilitaires::ConvertNullStr;

namespace {

constexpr int NbMachines = 14;
// The fill of the TOTAL lines, &H8DD1FE.
constexpr long CouleurTotal = forms::Rgb(254, 209, 141);

QString Q(const std::string& texte)
{
    return QString::fromStdString(texte);
}

long IndexChamp(const ado::Recordset& rs, const std::string& nom)
{
    const ado::Fields champs = rs.Fields();
    for (long i = 0; i < champs.Count(); ++i)
        if (champs.Item(i).Name() == nom)
            return i;
    vb::Raise(3265);
}

} // namespace

FenDotation::FenDotation()
{
    setObjectName("FenDotation");
    SetCaption("Dotations");

    auto grille = [this](const QString& nom, const QString& titre, forms::DataControl*& donnees,
                         const QString& nomDonnees) {
        donnees = new forms::DataControl(nomDonnees, this);
        donnees->hide();
        auto* g = new forms::DataGrid(nom, this);
        g->SetCaption(titre);
        g->SetAllowUpdate(false);
        g->SetDataSource(donnees);
        return g;
    };
    auto bouton = [this](const QString& nom, const QString& texte, QWidget* parent = nullptr) {
        return new forms::CommandButton(nom, texte, parent ? parent : this);
    };
    auto etiquette = [this](forms::ControlArray<forms::Label>& tableau, int index) {
        return &tableau.Add(index, new forms::Label({}, {}, this));
    };

    DataGrid1 = grille("DataGrid1", "Sites", data1, "data1");
    DataGrid1->AddColumn("Site", "NomSite", 1800);
    DataGrid1->AddColumn("Adresse", "Adresse", 2000);
    DataGrid2 = grille("DataGrid2", "Services", data2, "data2");
    DataGrid2->AddColumn("Service", "NomService", 2600);
    DataGrid4 = grille("DataGrid4", "Profiles", data4, "data4");
    DataGrid4->AddColumn("Profiles", "Profile", 2600);
    DataGrid3 = grille("DataGrid3", "Critères du calcul", data3, "data3");
    // The site gets the room that the short "TOUS" of the other columns leaves.
    DataGrid3->AddColumn("Site", "NomSite", 1700);
    DataGrid3->AddColumn("Service", "NomService", 1350);
    DataGrid3->AddColumn("Profile", "Profile", 1250);
    CmdSelecSites = bouton("CmdSelecSites", "Sélectionner");
    CmdSelecService = bouton("CmdSelecService", "Sélectionner");
    CmdSelectProfile = bouton("CmdSelectProfile", "Sélectionner");
    CmdDelCritere = bouton("CmdDelCritere", "Supprimer");
    for (int index : {1, 2, 4})
        etiquette(Label1, index);
    etiquette(Label2, 0);
    CmdDate = bouton("CmdDate", "Période");
    Command2 = bouton("Command2", "Machine(s)");
    CmdGenerer = bouton("CmdGenerer", "Générer le calcul");
    Progression = new QProgressBar(this);
    Progression->setObjectName("Progression");
    Progression->setRange(0, 100);
    Progression->hide();
    MSFlexGrid1 = new forms::MSFlexGrid("MSFlexGrid1", this);
    Command1 = bouton("Command1", "Imprimer");
    CmdFixerDotation = bouton("CmdFixerDotation", "Effectuer la distribution");
    CmdClose = bouton("CmdClose", "Fermer");

    // The machine panel lies over the result grid while it is open.
    SSPanel2 = new forms::Panel("SSPanel2", {}, this);
    SSPanel2->setAutoFillBackground(true);
    for (int k = 0; k < NbMachines; ++k) {
        auto& option = CheckBox1.Add(k, new forms::OptionButton({}, "Machine N°", SSPanel2));
        forms::MoveTwips(option, 120 + (k / 7) * 3420, 120 + (k % 7) * 330, 3300, 285);
    }
    CmdMachAutoriseSelec = bouton("CmdMachAutoriseSelec", "Toute les machines", SSPanel2);
    CmdMachAuriseOK = bouton("CmdMachAuriseOK", "OK", SSPanel2);
    forms::MoveTwips(*CmdMachAutoriseSelec, 120, 2520, 2200, 375);
    forms::MoveTwips(*CmdMachAuriseOK, 2460, 2520, 1000, 375);
    SSPanel2->hide();
    PreparerGrille();

    // The three lists and the criteria side by side, the period, machine and computation in one
    // row, the result grid below them, wide enough for its nine columns.
    forms::MoveTwips(*DataGrid1, 120, 120, 4200, 2500);
    forms::MoveTwips(*CmdSelecSites, 120, 2700, 1400, 375);
    forms::MoveTwips(Label1(1), 1620, 2745, 2700, 285);
    forms::MoveTwips(*DataGrid2, 4440, 120, 3000, 2500);
    forms::MoveTwips(*CmdSelecService, 4440, 2700, 1400, 375);
    forms::MoveTwips(Label1(2), 5940, 2745, 1500, 285);
    forms::MoveTwips(*DataGrid4, 7560, 120, 3000, 2500);
    forms::MoveTwips(*CmdSelectProfile, 7560, 2700, 1400, 375);
    forms::MoveTwips(Label1(4), 9060, 2745, 1500, 285);
    forms::MoveTwips(*DataGrid3, 10680, 120, 4680, 2500);
    forms::MoveTwips(*CmdDelCritere, 10680, 2700, 1400, 375);
    forms::MoveTwips(*CmdDate, 120, 3240, 1400, 375);
    forms::MoveTwips(Label2(0), 1620, 3285, 1200, 285);
    forms::MoveTwips(*Command2, 2940, 3240, 1400, 375);
    forms::MoveTwips(*CmdGenerer, 4440, 3240, 2200, 375);
    forms::MoveTwips(*Progression, 6760, 3270, 4000, 315);
    forms::MoveTwips(*MSFlexGrid1, 120, 3780, 15240, 5600);
    forms::MoveTwips(*SSPanel2, 2940, 3660, 6960, 3000);
    forms::MoveTwips(*Command1, 120, 9500, 1400, 375);
    forms::MoveTwips(*CmdFixerDotation, 1640, 9500, 2600, 375);
    forms::MoveTwips(*CmdClose, 13960, 9500, 1400, 375);
    CreerBoutonMouvements();
    Move(0, 0, 15600, 10500);

    connect(data1, &forms::DataControl::MoveComplete, this, [this] { data1_MoveComplete(); });
    connect(data1, &forms::DataControl::RecordsetChanged, this, [this] { data1_MoveComplete(); });
    for (forms::DataGrid* g : {DataGrid1, DataGrid2, DataGrid4})
        connect(g, &forms::DataGrid::RowColChange, this,
                [this, g](const vb::Variant& lastRow, int) { DataGrid_RowColChange(g, lastRow); });
    const std::pair<forms::CommandButton*, void (FenDotation::*)()> clics[] = {
        {CmdClose, &FenDotation::CmdClose_Click},
        {CmdSelecSites, &FenDotation::CmdSelecSites_Click},
        {CmdSelecService, &FenDotation::CmdSelecService_Click},
        {CmdSelectProfile, &FenDotation::CmdSelectProfile_Click},
        {CmdDelCritere, &FenDotation::CmdDelCritere_Click},
        {CmdDate, &FenDotation::CmdDate_Click},
        {Command2, &FenDotation::Command2_Click},
        {CmdMachAuriseOK, &FenDotation::CmdMachAuriseOK_Click},
        {CmdMachAutoriseSelec, &FenDotation::CmdMachAutoriseSelec_Click},
        {CmdGenerer, &FenDotation::CmdGenerer_Click},
        {CmdFixerDotation, &FenDotation::CmdFixerDotation_Click},
        {Command1, &FenDotation::Command1_Click}};
    for (const auto& [b, action] : clics)
        connect(b, &QPushButton::clicked, this, [this, action = action] { (this->*action)(); });
}

ado::Recordset FenDotation::Ouvrir(ado::Connection& connexion, ado::Command& commande,
                                   const std::string& texte)
{
    commande.SetActiveConnection(connexion);
    commande.SetCommandText(texte);
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockOptimistic);
    rs.Open(commande);
    return rs;
}

void FenDotation::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    DataGrid4->setEnabled(false);
    CmdSelectProfile->setEnabled(false);
    try {
        // Both connections first: the sites' first row loads its services at once.
        cn.Open(Global::ChaineConnexion);
        cn2.Open(Global::ChaineConnexion);
        cmdServices.SetActiveConnection(cn2);
        rsSites = Ouvrir(cn, cmdSites, "Sites");
        data1->SetRecordset(rsSites);
        rsCriteres = Ouvrir(cn, cmdCriteres, "DotationEnCours order by NomSite, NomService");
        data3->SetRecordset(rsCriteres);
        rsProfiles = Ouvrir(cn, cmdProfiles, "ProfileQuota order by Profile");
        data4->SetRecordset(rsProfiles);
        MajEtatCriteres();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("FenDotation Form_Load", erreur);
    }
}

void FenDotation::Form_Activate()
{
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FenDotation::Form_Unload(int& cancel)
{
    (void)cancel;
    vb::ResumeNext span;
    span.Run([&] { cn.Close(); }, [&] { cn2.Close(); });
}

void FenDotation::CmdClose_Click()
{
    Unload();
}

// Another site: loads its services.
void FenDotation::data1_MoveComplete()
{
    Label1(2).SetCaption({});
    ChargerServices();
    ChargementServices = false;
}

void FenDotation::ChargerServices()
{
    ChargementServices = true;
    try {
        if (cn2.State() != ado::adStateOpen || !ado::OpenOnRow(rsSites))
            return;
        const vb::Variant site = rsSites["NoSite"].Value();
        if (site.IsNull())
            return;
        cmdServices.SetCommandText("Services where site =" + vb::CStr(site));
        if (rsServices.State() != ado::adStateOpen) {
            rsServices.SetClientCursor(ado::adLockOptimistic);
            rsServices.Open(cmdServices);
            data2->SetRecordset(rsServices);
        } else {
            rsServices.Requery();
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}

void FenDotation::DataGrid_RowColChange(forms::DataGrid* grille, const vb::Variant& lastRow)
{
    if (lastRow.IsNull())
        return;
    if (grille == DataGrid2 && ChargementServices)
        return;
    const std::tuple<forms::DataGrid*, ado::Recordset*, int, const char*> suivis[] = {
        {DataGrid1, &rsSites, 1, "NomSite"},
        {DataGrid2, &rsServices, 2, "NomService"},
        {DataGrid4, &rsProfiles, 4, "Profile"}};
    for (const auto& [g, rs, index, champ] : suivis) {
        if (g != grille || rs->State() != ado::adStateOpen || rs->RecordCount() <= 1 ||
            !ado::OpenOnRow(*rs))
            continue;
        Label1(index).SetCaption(Q(ConvertNullStr((*rs)[champ].Value())));
    }
}

bool FenDotation::CritereExiste(const std::string& condition)
{
    ado::Command commande;
    ado::Recordset rs = Ouvrir(cn, commande, "DotationEnCours where " + condition);
    const bool existe = rs.RecordCount() > 0;
    rs.Close();
    commande.ReleaseConnection();
    return existe;
}

void FenDotation::CmdSelecSites_Click()
{
    try {
        if (!ado::OpenOnRow(rsSites))
            return;
        const vb::Variant site = rsSites["NoSite"].Value();
        const std::string nom = ConvertNullStr(rsSites["NomSite"].Value());
        if (CritereExiste("NoSite=" + vb::CStr(site))) {
            forms::MsgBox(Q("Le site " + nom + " est déjà sélectionné!"), forms::vbOKCancel,
                          "Erreur");
            return;
        }
        rsCriteres.AddNew(
            {"NoSite", "NomSite", "NoService", "NomService", "NoQuota", "Profile"},
            {site, rsSites["NomSite"].Value(), int32_t(0), "TOUS", NoQuotaChoisi, ProfileChoisi});
        rsCriteres.Requery();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdSelecSites_Click", erreur);
    }
}

void FenDotation::CmdSelecService_Click()
{
    try {
        if (!ado::OpenOnRow(rsSites) || !ado::OpenOnRow(rsServices))
            return;
        const std::string site = vb::CStr(rsSites["NoSite"].Value());
        if (CritereExiste("(NoSite=" + site + ") AND (NomService=N'TOUS')")) {
            forms::MsgBox(Q("Tous les services de " + ConvertNullStr(rsSites["NomSite"].Value()) +
                            " sont déjà sélectionnés!"),
                          forms::vbOKCancel, "Erreur");
            return;
        }
        const vb::Variant service = rsServices["NoService"].Value();
        if (CritereExiste("NoService=" + vb::CStr(service))) {
            forms::MsgBox(Q("Le service " + ConvertNullStr(rsServices["NomService"].Value()) +
                            " est déjà sélectionné!"),
                          forms::vbOKCancel, "Erreur");
            return;
        }
        DataGrid4->setEnabled(false);
        CmdSelectProfile->setEnabled(false);
        rsCriteres.AddNew({"NoSite", "NomSite", "NoService", "NomService", "NoQuota", "Profile"},
                          {rsSites["NoSite"].Value(), rsSites["NomSite"].Value(), service,
                           rsServices["NomService"].Value(), NoQuotaChoisi, ProfileChoisi});
        rsCriteres.Requery();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdSelecService_Click", erreur);
    }
}

void FenDotation::CmdSelectProfile_Click()
{
    try {
        if (!ado::OpenOnRow(rsProfiles) || !ado::OpenOnRow(rsSites))
            return;
        DataGrid2->setEnabled(false);
        CmdSelecService->setEnabled(false);
        NoQuotaChoisi = vb::CLng(rsProfiles["NoQuota"].Value());
        ProfileChoisi = ConvertNullStr(rsProfiles["Profile"].Value());
        Label1(4).SetCaption(Q(ProfileChoisi));
        rsCriteres.AddNew({"NoSite", "NomSite", "NoService", "NomService", "NoQuota", "Profile"},
                          {rsSites["NoSite"].Value(), rsSites["NomSite"].Value(), int32_t(0),
                           "TOUS", NoQuotaChoisi, ProfileChoisi});
        rsCriteres.MoveFirst();
        for (; !rsCriteres.Eof(); rsCriteres.MoveNext())
            rsCriteres.Update({"NoQuota", "Profile"}, {NoQuotaChoisi, ProfileChoisi});
        rsCriteres.Requery();
        DataGrid4->setEnabled(false);
        CmdSelectProfile->setEnabled(false);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdSelectProfile_Click", erreur);
    }
}

void FenDotation::CmdDelCritere_Click()
{
    try {
        if (rsCriteres.RecordCount() > 0) {
            if (ado::OpenOnRow(rsCriteres)) {
                rsCriteres.Delete();
                // The grid stands on the next row, or the last one, for a further press.
                rsCriteres.MoveNext();
                if (rsCriteres.Eof() && rsCriteres.RecordCount() > 0)
                    rsCriteres.MoveLast();
            }
        } else {
            MajEtatCriteres();
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdDelCritere_Click", erreur);
    }
}

void FenDotation::MajEtatCriteres()
{
    try {
        if (rsCriteres.RecordCount() <= 0) {
            NoQuotaChoisi = 0;
            ProfileChoisi = "TOUS";
            for (QWidget* controle : std::initializer_list<QWidget*>{DataGrid4, CmdSelectProfile,
                                                                     DataGrid2, CmdSelecService})
                controle->setEnabled(true);
        } else {
            NoQuotaChoisi = vb::CLng(rsCriteres["NoQuota"].Value());
            ProfileChoisi = vb::CStr(rsCriteres["Profile"].Value());
            DataGrid4->setEnabled(false);
            CmdSelectProfile->setEnabled(false);
        }
    } catch (const vb::Error&) {
        NoQuotaChoisi = 0;
        ProfileChoisi = "TOUS";
    }
    Label1(4).SetCaption(Q(ProfileChoisi));
}

void FenDotation::CmdDate_Click()
{
    forms::form<Calendrier>().Show(forms::Modal, this);
    try {
        NbJours = vb::CLng(vb::Variant(Global::PeriodeFin - Global::PeriodeDebut));
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdDate_Click", erreur);
        return;
    }
    if (NbJours < 1)
        Label2(0).SetCaption({});
    else
        Label2(0).SetCaption(QString::number(NbJours + 1) + " Jours");
}

// Lists the machines to choose from for the allocation's filter.
void FenDotation::Command2_Click()
{
    MachineFiltre.clear();
    ado::Command commande;
    try {
        // Machine numbers are positions in the machines' own order.
        ado::Recordset rs = Ouvrir(cn, commande, "select * from Machines order by NoMachine");
        for (int k = 0; k < NbMachines; ++k)
            CheckBox1(k).hide();
        const long nombre = rs.RecordCount();
        if (nombre > 0) {
            for (int k = 0; !rs.Eof() && k < NbMachines; ++k, rs.MoveNext()) {
                CheckBox1(k).setText(Q("Machine N° " + ConvertNullStr(rs["NoMachine"].Value()) +
                                       ": " + ConvertNullStr(rs["Location"].Value())));
                CheckBox1(k).show();
            }
            if (nombre > NbMachines)
                forms::MsgBox("Seules les 14 premières machines peuvent être choisies.",
                              forms::vbOKOnly + forms::vbExclamation, "Attention");
            SSPanel2->show();
            SSPanel2->raise();
        }
        rs.Close();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("Command2_Click", erreur);
    }
    commande.ReleaseConnection();
}

void FenDotation::CmdMachAuriseOK_Click()
{
    for (int k = 0; k < NbMachines; ++k)
        if (CheckBox1(k).Value())
            MachineFiltre = std::to_string(k + 1);
    SSPanel2->hide();
}

void FenDotation::CmdMachAutoriseSelec_Click()
{
    MachineFiltre.clear();
    for (int k = 0; k < NbMachines; ++k)
        CheckBox1(k).SetValue(false);
    SSPanel2->hide();
}

void FenDotation::CmdGenerer_Click()
{
    GenererDotation();
}

std::vector<CalculDotation::Critere> FenDotation::LireCriteres()
{
    std::vector<CalculDotation::Critere> criteres;
    const long site = IndexChamp(rsCriteres, "NoSite");
    const long service = IndexChamp(rsCriteres, "NoService");
    const long profil = IndexChamp(rsCriteres, "NoQuota");
    for (long position = 1; position <= rsCriteres.RecordCount(); ++position)
        criteres.push_back({rsCriteres.ValueAt(position, site),
                            rsCriteres.ValueAt(position, service),
                            rsCriteres.ValueAt(position, profil)});
    return criteres;
}

FenDotation::Calcul FenDotation::EtatActuel()
{
    Calcul etat{{}, NbJours, MachineFiltre, {}};
    const std::vector<CalculDotation::Critere> criteres = LireCriteres();
    for (const CalculDotation::Critere& c : criteres)
        etat.Criteres.emplace_back(ConvertNullStr(c.NoSite), ConvertNullStr(c.NoService),
                                   ConvertNullStr(c.NoQuota));
    etat.Filtre =
        CalculDotation::Filtre(CalculDotation::ConstruireConditions(criteres), MachineFiltre);
    return etat;
}

void FenDotation::AfficherProgression(int pourcentage)
{
    if (Progression->value() == pourcentage)
        return;
    Progression->setValue(pourcentage);
    Progression->repaint();
}

void FenDotation::PreparerGrille()
{
    // The rows of a computation go in one step, not one by one: each removal shifts the rows below.
    MSFlexGrid1->SetRows(1);
    MSFlexGrid1->Clear();
    MSFlexGrid1->SetCols(9);
    // Designations, sites and services use the grid's width, so that they read whole.
    const std::tuple<int, const char*, int> colonnes[] = {
        {0, "", forms::flexAlignGeneral},
        {0, "", forms::flexAlignGeneral},
        {700, "", forms::flexAlignRightCenter},
        {1200, "Ref. Article", forms::flexAlignLeftCenter},
        {4200, "Désignation", forms::flexAlignLeftCenter},
        {600, "Taille", forms::flexAlignLeftCenter},
        {700, "Qté", forms::flexAlignCenterCenter},
        {2600, "Site", forms::flexAlignGeneral},
        {2600, "Service", forms::flexAlignGeneral}};
    for (int colonne = 0; colonne < 9; ++colonne) {
        const auto& [largeur, titre, alignement] = colonnes[colonne];
        MSFlexGrid1->SetColWidth(colonne, largeur);
        MSFlexGrid1->SetTextMatrix(0, colonne, QString::fromUtf8(titre));
        MSFlexGrid1->SetColAlignment(colonne, alignement);
    }
}

void FenDotation::GenererDotation()
{
    Progression->setValue(0);
    Progression->show();
    CritereSites.clear();
    CritereServices.clear();
    CritereProfile.clear();
    StockInsuffisant = false;
    if (NbJours < 1) {
        NbJours = 365;
        Label2(0).SetCaption(QString::number(NbJours) + " Jours");
    }
    try {
        if (rsCriteres.RecordCount() <= 0) {
            Progression->hide();
            return;
        }
        const Calcul etat = EtatActuel();
        const CalculDotation::Conditions conditions =
            CalculDotation::ConstruireConditions(LireCriteres());
        CritereSites = conditions.CritereSites;
        CritereServices = conditions.CritereServices;
        CritereProfile = conditions.CritereProfile;

        const CalculDotation::Resultat resultat = CalculDotation::Calculer(
            cn, NbJours, etat.Filtre, [this](int p) { AfficherProgression(p); });
        PreparerGrille();
        for (const CalculDotation::Ligne& ligne : resultat.Lignes) {
            MSFlexGrid1->AddItem(Q(ligne.Texte));
            if (ligne.Total) {
                long rang = MSFlexGrid1->Rows() - 1;
                FormaterLigneTotal(rang, ligne.Solde);
            }
        }
        StockInsuffisant = resultat.StockInsuffisant;
        NbLignesResultat = MSFlexGrid1->Rows() - 1;
        dernierCalcul_ = etat;
        if (!resultat.LignesSansPeriode.empty())
            FnTundrel::AfficherErreur(
                "GenererDotation",
                vb::Error(vb::ErrDivisionByZero,
                          CalculDotation::DescriptionSansPeriode(resultat.LignesSansPeriode)));
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("GenererDotation", erreur);
    }
    Progression->hide();
}

void FenDotation::FormaterLigneTotal(long& ligne, double solde)
{
    (void)solde;
    MSFlexGrid1->SetRow(int(ligne));
    for (int colonne = 0; colonne <= 8; ++colonne) {
        MSFlexGrid1->SetCol(colonne);
        MSFlexGrid1->SetCellFontBold(true);
        MSFlexGrid1->SetCellBackColor(CouleurTotal);
    }
}

void FenDotation::CmdFixerDotation_Click()
{
    constexpr int StyleRefus = forms::vbOKCancel + forms::vbExclamation; // 49
    // The commit writes what the grid shows: a computation of the present choices, with lines.
    if (!dernierCalcul_ || !(EtatActuel() == *dernierCalcul_)) {
        forms::MsgBox("Les critères, la période ou la machine ont changé depuis le dernier calcul: "
                      "veuillez générer le calcul, opération annulée !",
                      StyleRefus, "Erreur !");
        return;
    }
    if (NbLignesResultat < 1) {
        forms::MsgBox("Le calcul n'a donné aucune ligne, opération annulée !", StyleRefus,
                      "Erreur !");
        return;
    }
    if (StockInsuffisant) {
        forms::MsgBox("Stock insuffisant, opération annulée !", StyleRefus, "Erreur !");
        return;
    }
    const QString question = "Attention cette opération est définitive, vous ne pourrez plus "
                             "l'annuler !\r\n" +
                             QString(35, ' ') + "Etes vous sûr ?";
    if (forms::MsgBox(question, forms::vbYesNo + forms::vbExclamation, "Attention !") ==
        forms::vbYes)
        EnregistrerDotation();
}

void FenDotation::EnregistrerDotation()
{
    Progression->setValue(0);
    Progression->show();
    try {
        EnregistrementDotation::Enregistrer(cn, dernierCalcul_->NbJours, dernierCalcul_->Filtre,
                                            [this](int p) { AfficherProgression(p); });
        Progression->hide();
        forms::MsgBox("Dotation enregistrée !", forms::vbOKOnly);
    } catch (const vb::Error& erreur) {
        // Nothing was written: the commit rolled back.
        Progression->hide();
        FnTundrel::AfficherErreur("EnregistrerDotation", erreur);
    }
}

// Exports the allocation to the workbook.
void FenDotation::Command1_Click()
{
    ExporterExcel();
}

void FenDotation::ExporterExcel()
{
    try {
        const std::string dossier = Global::ProgramFolder();
        const auto classeur = workbook::Workbook::Open(dossier + "/DotationMO.xlsx");
        workbook::Worksheet& feuille = classeur->Worksheets("Feuil1");
        for (int i = 1; i <= NbLignesResultat; ++i) {
            const std::string ligne = std::to_string(i + 4);
            for (int j = 0; j <= 8; ++j) {
                const std::string cellule = char('A' + j) + ligne;
                const std::string texte = MSFlexGrid1->TextMatrix(i, j).toStdString();
                feuille.SetValue(cellule, texte);
                feuille.SetFontSize(cellule, 8);
                if (texte.find("TOTAL") == std::string::npos)
                    continue;
                for (char colonne = 'C'; colonne <= 'K'; ++colonne) {
                    feuille.SetFontBold(colonne + ligne, true);
                    feuille.SetInteriorColor(colonne + ligne, CouleurTotal);
                }
            }
        }
        const std::string resultat = dossier + "/Dotation.xlsx";
        classeur->SaveAs(resultat);
        // The workbook is left open for the user, in the desktop's program for it.
        if (OuvrirClasseur)
            OuvrirClasseur(resultat);
        else
            win::ShellOpen(resultat);
    } catch (const vb::Error& erreur) {
        forms::MsgBox(Q(std::to_string(erreur.Number()) + " " + erreur.Description()),
                      forms::vbOKOnly);
    }
}
