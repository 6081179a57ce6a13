#include "harnix/reports/FenCompteRendu.h"

#include "harnix/commun/Calendrier.h"
#include "harnix/commun/FenetrePrincipale.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/Periode.h"
#include "harnix/reports/FenVeltrixRep.h"
#include "platform/ado/Catalogue.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"
#include "platform/win/Twips.h"

#include <QFocusEvent>

#include <array>

namespace {

constexpr int StyleMessage = forms::vbOKOnly + forms::vbExclamation;
constexpr const char* PasDOperations = "Il n'y a pas eu d'opérations sur cette période";

// Every movement line of the period, identical lines kept apart, from the first day's start to
// the last day's end.
constexpr const char* SelectionCA =
    "SELECT  Format([Ventes.LaDate],\"mmmm\") AS NomMois,  Ventes.TypeMouvement,  Ventes.LaDate,"
    "  Ventes.Utilisateur,  Ventes.Nom,   Ventes.Prenom,  DetailVente.Reference,"
    "  DetailVente.Designation,  DetailVente.Quantite,  DetailVente.NomFamille,"
    "   DetailVente.NomSite,  DetailVente.NomService,  DetailVente.Profile,"
    "  DetailVente.CodeFournisseur,  DetailVente.Societe,   DetailVente.PrixAchatUnit"
    " FROM          Ventes INNER JOIN"
    "    DetailVente ON  Ventes.NumVente =  DetailVente.NumVente"
    " WHERE Ventes.LaDate >= [DateDébut] AND Ventes.LaDate < DateAdd('d', 1, [DateFin])";

struct Salarie
{
    const char* libelle;
    const char* nom;
};
constexpr std::array<Salarie, 9> Salaries{{
    {"Salariés par Nom", "SalarieNom"},
    {"Salariés par Badge", "Salariebadge"},
    {"Salariés par Site", "Salariesite"},
    {"Salariés par Service", "SalarieService"},
    {"Salariés par Profil", "SalarieProfile"},
    {"Salariés par Taille chaussure", "SalarieTailleCh"},
    {"Salariés par Taille main", "SalarieTailleMa"},
    {"Salariés par No Matricule", "SalarieMatricule"},
    {"Salariés par No Machine", "SalarieParMachine"},
}};

} // namespace

FenCompteRendu::FenCompteRendu()
{
    setObjectName("FenCompteRendu");
    SetCaption("Report");

    Frame1 = new forms::Frame("Frame1", "Choix de la période d'édition", this);
    forms::MoveTwips(*Frame1, 120, 120, 11040, 1560);
    // A period box with its caption on its left.
    auto boite = [&](forms::Label*& label, const char* nomLabel, const char* libelle,
                     QLineEdit*& texte, const char* nom, int top) {
        label = new forms::Label(nomLabel, libelle, Frame1);
        forms::MoveTwips(*label, 240, top + 60, 900, 285);
        texte = new QLineEdit(Frame1);
        texte->setObjectName(nom);
        forms::MoveTwips(*texte, 1140, top, 1400, 345);
    };
    boite(Label1, "Label1", "Depuis", TextDebut, "TextDebut", 360);
    boite(Label2, "Label2", "Jusqu'à", TextFin, "TextFin", 840);
    SSCommandDate = new forms::CommandButton("SSCommandDate", "...", Frame1);
    SSCommandDate->setToolTip("Calendrier");
    forms::MoveTwips(*SSCommandDate, 2700, 620, 600, 400);
    auto raccourci = [&](const char* nom, const char* libelle, int left, int top) {
        auto* b = new forms::CommandButton(nom, libelle, Frame1);
        forms::MoveTwips(*b, left, top, 3660, 420);
        return b;
    };
    cmdDebutAnnee = raccourci("cmdDebutAnnee", "Depuis le début de l'année", 3480, 360);
    cmdDebutMois = raccourci("cmdDebutMois", "Depuis le début du mois", 7260, 360);
    cmdMoisDernier = raccourci("cmdMoisDernier", "Le mois dernier", 3480, 900);
    cmdSemaineDerniere = raccourci("cmdSemaineDerniere", "La semaine dernière", 7260, 900);

    Frame2 = new forms::Frame("Frame2", "Tri", this);
    forms::MoveTwips(*Frame2, 120, 1800, 11040, 720);
    SSOption2 = new forms::OptionButton("SSOption2", "Par référence", Frame2);
    forms::MoveTwips(*SSOption2, 240, 330, 2400, 300);
    SSOption1 = new forms::OptionButton("SSOption1", "Par désignation", Frame2);
    forms::MoveTwips(*SSOption1, 3480, 330, 2400, 300);
    SSOption2->SetValue(true);

    int rang = 0;
    auto bouton = [&](const char* nom, const char* libelle) {
        auto* b = new forms::CommandButton(nom, libelle, this);
        forms::MoveTwips(*b, 120 + (rang % 3) * 3720, 2640 + (rang / 3) * 480, 3600, 420);
        ++rang;
        return b;
    };
    CmdCAparFamille = bouton("CmdCAparFamille", "Consommations par Familles");
    CmdConsoGlobal = bouton("CmdConsoGlobal", "Consommations par Articles");
    CmdConsoParFournisseur = bouton("CmdConsoParFournisseur", "Consommations par Fournisseurs");
    CmdConsoParProfile = bouton("CmdConsoParProfile", "Consommations par Profil");
    CmdConsoParSalarie = bouton("CmdConsoParSalarie", "Consommations par Salariés");
    CmdConsoParService = bouton("CmdConsoParService", "Consommations par Services");
    CmdConsoParSite = bouton("CmdConsoParSite", "Consommations par Sites");
    cmdConsoMensuel = bouton("cmdConsoMensuel", "Consommations Mensuelles");
    CmdConsoMensuelGraph = bouton("CmdConsoMensuelGraph", "Graphique mensuel");
    Command1 = bouton("Command1", "Consommations par Profil par salariés");
    Command2 = bouton("Command2", "Consommations Services par salariés");
    CmdArticleRupture = bouton("CmdArticleRupture", "Article à commander");
    cmdPaieModeJournalier = bouton("cmdPaieModeJournalier", "Article en stock");
    CmdValeurStock = bouton("CmdValeurStock", "Valeur du Stock");
    CmdValeurStockParFournisseur =
        bouton("CmdValeurStockParFournisseur", "Valeur du Stock par Fournisseur");
    rang = ((rang + 2) / 3) * 3;
    for (int i = 0; i < static_cast<int>(Salaries.size()); ++i) {
        auto& b = CmdSalarie.Add(i, bouton("", Salaries[static_cast<size_t>(i)].libelle));
        connect(&b, &QPushButton::clicked, this, [this, i] { CmdSalarie_Click(i); });
    }
    cmdClose = new forms::CommandButton("cmdClose", "&Fermer", this);
    forms::MoveTwips(*cmdClose, 7560, 2640 + ((rang + 2) / 3) * 480 + 120, 3600, 420);
    Picture1 = new forms::PictureBox("Picture1", this);
    Picture1->hide();
    resize(win::TwipsToPixels(11280), win::TwipsToPixels(2640 + ((rang + 2) / 3) * 480 + 720));

    connect(cmdDebutAnnee, &QPushButton::clicked, this, [this] { cmdDebutAnnee_Click(); });
    connect(cmdDebutMois, &QPushButton::clicked, this, [this] { cmdDebutMois_Click(); });
    connect(cmdMoisDernier, &QPushButton::clicked, this, [this] { cmdMoisDernier_Click(); });
    connect(cmdSemaineDerniere, &QPushButton::clicked, this,
            [this] { cmdSemaineDerniere_Click(); });
    connect(SSCommandDate, &QPushButton::clicked, this, [this] { SSCommandDate_Click(); });
    TextDebut->installEventFilter(this);
    TextFin->installEventFilter(this);
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });

    auto conso = [&](forms::CommandButton* b, std::string fichier, std::string titre) {
        connect(b, &QPushButton::clicked, this,
                [this, fichier, titre] { Consommation(fichier, titre); });
    };
    conso(CmdCAparFamille, "ConsParFamille.RPT", "Consommations par Familles");
    conso(CmdConsoMensuelGraph, "ConsParMoisGrap.RPT", "Consommations Mensuel");
    conso(CmdConsoParFournisseur, "ConsParFournisseur.RPT", "Consommations par Fournisseurs");
    conso(CmdConsoParProfile, "ConsParProfile.RPT", "Consommations par Profil");
    conso(CmdConsoParSalarie, "ConsParSalarie.RPT", "Consommations par Salariés");
    conso(CmdConsoParService, "ConsParService.RPT", "Consommations par Services");
    conso(CmdConsoParSite, "ConsParSite.RPT", "Consommations par Sites");
    conso(cmdConsoMensuel, "ConsParMois.RPT", "Consommations Mensuel");
    conso(Command1, "ConsParProfileParSalarie.RPT", "Consommations par Profil par salarié");
    conso(Command2, "ConsParServiceParSalarie.RPT", "Consommations par Services par salarié");
    connect(CmdConsoGlobal, &QPushButton::clicked, this, [this] {
        Consommation(SSOption2->Value() ? "ConsParRefGlobal.RPT" : "consParDesiGlobal.RPT",
                     "Consommations par Articles", true);
    });
    connect(CmdArticleRupture, &QPushButton::clicked, this,
            [this] { Imprimer("ArticleRupture.RPT", "Article à commander", ""); });
    connect(cmdPaieModeJournalier, &QPushButton::clicked, this, [this] {
        Imprimer(SSOption2->Value() ? "StockParRef.RPT" : "StockParDesi.RPT", "Articles en stock",
                 "StockGlobal");
    });
    connect(CmdValeurStock, &QPushButton::clicked, this,
            [this] { Imprimer("ValeurStock.RPT", "Valeur du stock", "StockGlobal"); });
    connect(CmdValeurStockParFournisseur, &QPushButton::clicked, this,
            [this] { Imprimer("ValeurStockpardesi.RPT", "Valeur du stock", "StockGlobal"); });
}

bool FenCompteRendu::eventFilter(QObject* watched, QEvent* event)
{
    // Every leaving of a period box, changed or not; not the focus going to another window or
    // to the box's own menu.
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason raison = static_cast<QFocusEvent*>(event)->reason();
        if (raison != Qt::ActiveWindowFocusReason && raison != Qt::PopupFocusReason) {
            if (watched == TextDebut)
                TextDebut_LostFocus();
            else if (watched == TextFin)
                TextFin_LostFocus();
        }
    }
    return forms::Form::eventFilter(watched, event);
}

void FenCompteRendu::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    cn.Open(Global::ChaineConnexion);
    cmdMoisDernier_Click();
    EcrirePeriode(*Periode::LireDate("01/01/2005"), vb::Today());
}

void FenCompteRendu::Form_Unload(int& cancel)
{
    (void)cancel;
    if (RecordsetEtat.State() == ado::adStateOpen)
        RecordsetEtat.Close();
    CommandeEtat.ReleaseConnection();
    if (cn.State() == ado::adStateOpen)
        cn.Close();
    if (forms::Form* principale = FenetrePrincipale::Chargee())
        principale->setEnabled(true);
}

void FenCompteRendu::EcrirePeriode(vb::Date debut, vb::Date fin)
{
    TextDebut->setText(QString::fromStdString(Periode::TexteDate(debut)));
    TextFin->setText(QString::fromStdString(Periode::TexteDate(fin)));
}

void FenCompteRendu::cmdDebutAnnee_Click()
{
    const auto p = Periode::DebutAnnee(vb::Today());
    EcrirePeriode(p.debut, p.fin);
}

void FenCompteRendu::cmdDebutMois_Click()
{
    const auto p = Periode::DebutMois(vb::Today());
    EcrirePeriode(p.debut, p.fin);
    PeriodeChoisie = true;
}

void FenCompteRendu::cmdMoisDernier_Click()
{
    const auto p = Periode::MoisDernier(vb::Today());
    EcrirePeriode(p.debut, p.fin);
    PeriodeChoisie = true;
}

void FenCompteRendu::cmdSemaineDerniere_Click()
{
    const auto p = Periode::SemaineDerniere(vb::Today());
    EcrirePeriode(p.debut, p.fin);
    PeriodeChoisie = true;
}

void FenCompteRendu::SSCommandDate_Click()
{
    PeriodeChoisie = true;
    Calendrier& calendrier = forms::form<Calendrier>();
    // Only a range picked in the calendar changes the boxes.
    bool choisi = false;
    const QMetaObject::Connection lien =
        connect(calendrier.calendar1, &forms::MonthView::Click, this, [&choisi] { choisi = true; });
    calendrier.Show(forms::Modal);
    disconnect(lien);
    if (choisi)
        EcrirePeriode(Global::PeriodeDebut, Global::PeriodeFin);
}

void FenCompteRendu::TextDebut_LostFocus()
{
    PeriodeChoisie = true;
    if (!Periode::LireDate(TextDebut->text().toStdString()))
        forms::MsgBox("La date de départ n'est pas valide", StyleMessage);
}

void FenCompteRendu::TextFin_LostFocus()
{
    PeriodeChoisie = true;
    if (!Periode::LireDate(TextFin->text().toStdString()))
        forms::MsgBox("La date de fin n'est pas valide", StyleMessage);
}

bool FenCompteRendu::LirePeriode(vb::Date& debut, vb::Date& fin)
{
    const auto d = Periode::LireDate(TextDebut->text().toStdString());
    if (!d) {
        forms::MsgBox("La date de départ n'est pas valide", StyleMessage);
        return false;
    }
    const auto f = Periode::LireDate(TextFin->text().toStdString());
    if (!f) {
        forms::MsgBox("La date de fin n'est pas valide", StyleMessage);
        return false;
    }
    debut = *d;
    fin = *f;
    return true;
}

FenCompteRendu::ResultatCA FenCompteRendu::CreerEtatCA()
{
    if (!PeriodeChoisie)
        return ResultatCA::Aucune;
    vb::Date debut, fin;
    if (!LirePeriode(debut, fin))
        return ResultatCA::Echec;
    if (RecordsetEtat.State() == ado::adStateOpen)
        RecordsetEtat.Close();
    forms::SetMousePointer(forms::MousePointer::Hourglass);
    ado::Command cmdLocal;
    ado::Recordset rsLocal;
    bool transaction = false;
    try {
        cmdLocal.SetActiveConnection(cn);
        cmdLocal.SetCommandText(SelectionCA);
        cmdLocal.Parameters() = {{"[DateDébut]", "DateTime", vb::Variant(debut)},
                                 {"[DateFin]", "DateTime", vb::Variant(fin)}};
        rsLocal.SetClientCursor(ado::adLockPessimistic);
        rsLocal.Open(cmdLocal);
        // The old rows go only when the new ones are all written.
        cn.BeginTrans();
        transaction = true;
        CommandeEtat.SetActiveConnection(cn);
        CommandeEtat.SetCommandText("DELETE  FROM CA");
        RecordsetEtat.SetClientCursor(ado::adLockPessimistic);
        CommandeEtat.Execute();
        const long lignes = rsLocal.RecordCount();
        if (lignes > 0) {
            CommandeEtat.SetCommandText("CA");
            RecordsetEtat.Open(CommandeEtat);
            const ado::Fields champs = rsLocal.Fields();
            std::vector<std::string> noms;
            for (long i = 0; i < champs.Count(); ++i)
                noms.push_back(champs.Item(i).Name());
            std::vector<vb::Variant> valeurs(noms.size());
            for (long r = 1; r <= lignes; ++r) {
                for (size_t i = 0; i < noms.size(); ++i)
                    valeurs[i] = rsLocal.ValueAt(r, static_cast<long>(i));
                RecordsetEtat.AddNew(noms, valeurs);
            }
        }
        cn.CommitTrans();
        transaction = false;
        rsLocal.Close();
        cmdLocal.ReleaseConnection();
        forms::SetMousePointer(forms::MousePointer::Default);
        return lignes > 0 ? ResultatCA::Lignes : ResultatCA::Aucune;
    } catch (const vb::Error& e) {
        if (RecordsetEtat.State() == ado::adStateOpen)
            RecordsetEtat.Close();
        if (transaction) {
            try {
                cn.RollbackTrans();
            } catch (const vb::Error&) {
            }
        }
        forms::SetMousePointer(forms::MousePointer::Default);
        FnTundrel::AfficherErreur("CreerEtatCA", e);
        return ResultatCA::Echec;
    }
}

std::string FenCompteRendu::CreerFormuleSelection(const std::string& champ, vb::Date debut,
                                                  vb::Date fin)
{
    if (champ.empty())
        return {};
    auto d = [](vb::Date date) {
        return "Date(" + std::to_string(vb::Year(date)) + "," + std::to_string(vb::Month(date)) +
               "," + std::to_string(vb::Day(date)) + ")";
    };
    return "{" + champ + "}>=" + d(debut) + " and {" + champ + "}<=" + d(fin);
}

bool FenCompteRendu::ExecuterAjout(const char* ajout, const char* etat)
{
    try {
        vb::Date debut, fin;
        if (!LirePeriode(debut, fin))
            return false;
        ado::Command commande = ado::ProcedureCommand(cn, ajout);
        for (ado::QueryParameter& p : commande.Parameters()) {
            if (p.name == "[DateDébut]")
                p.value = vb::Variant(debut);
            else if (p.name == "[DateFin]")
                p.value = vb::Variant(fin);
        }
        commande.Execute();
        ado::Command cmdLocal;
        cmdLocal.SetActiveConnection(cn);
        cmdLocal.SetCommandText(etat);
        ado::Recordset rs;
        rs.SetClientCursor(ado::adLockPessimistic);
        rs.Open(cmdLocal);
        const bool resultat = rs.RecordCount() > 0;
        rs.Close();
        cmdLocal.ReleaseConnection();
        return resultat;
    } catch (const vb::Error& e) {
        FnTundrel::AfficherErreur(e.Description(), e);
        return false;
    }
}

bool FenCompteRendu::CreerEtatSuiviParHeure()
{
    return ExecuterAjout("AjoutSuiviParHeure", "EtatSuiviParHeure");
}

bool FenCompteRendu::CreerEtatCAparArticle()
{
    return ExecuterAjout("AjoutCAparArticle", "CAparArticle");
}

void FenCompteRendu::Consommation(const std::string& fichier, const std::string& titre,
                                  bool silencieux)
{
    switch (CreerEtatCA()) {
    case ResultatCA::Lignes:
        Imprimer(fichier, titre, "CA");
        break;
    case ResultatCA::Aucune:
        if (!silencieux)
            forms::MsgBox(PasDOperations, StyleMessage);
        break;
    case ResultatCA::Echec:
        break; // already told
    }
}

void FenCompteRendu::Imprimer(const std::string& fichier, const std::string& titre,
                              const std::string& table)
{
    vb::Date debut, fin;
    if (!LirePeriode(debut, fin))
        return;
    ImprimerEtat(fichier, CreerFormuleSelection("", debut, fin), titre, table);
}

void FenCompteRendu::CmdSalarie_Click(int index)
{
    Imprimer(std::string(Salaries.at(static_cast<size_t>(index)).nom) + ".RPT", "Salariés",
             "GrUtilisateur");
}

void FenCompteRendu::ImprimerEtat(const std::string& UnNom, const std::string& ASelectionFormula,
                                  const std::string& TitreRep, const std::string& Table)
{
    try {
        forms::SetMousePointer(forms::MousePointer::Hourglass);
        MontrerEtat(*this, UnNom, ASelectionFormula, TitreRep, Table);
    } catch (const vb::Error& e) {
        forms::SetMousePointer(forms::MousePointer::Default);
        FnTundrel::AfficherErreur(e.Description(), e);
    }
}

void FenCompteRendu::MontrerEtat(forms::Form& proprietaire, const std::string& UnNom,
                                 const std::string& ASelectionFormula, const std::string& TitreRep,
                                 const std::string& Table)
{
    // A fresh viewer for every report.
    if (forms::IsLoaded<FenVeltrixRep>())
        forms::form<FenVeltrixRep>().Unload();
    FenVeltrixRep& viewer = forms::form<FenVeltrixRep>();
    if (viewer.ImprimerEtat2(UnNom, ASelectionFormula, TitreRep, Table))
        viewer.Show(forms::Modal, &proprietaire);
}

void FenCompteRendu::DefinirPeriode(const std::string& debut, const std::string& fin)
{
    TextDebut->setText(QString::fromStdString(debut));
    TextFin->setText(QString::fromStdString(fin));
}

void FenCompteRendu::cmdClose_Click()
{
    Unload();
}
