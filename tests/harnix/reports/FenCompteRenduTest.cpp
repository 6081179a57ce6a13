#include "harnix/reports/FenCompteRendu.h"
#include "harnix/commun/Calendrier.h"
#include "harnix/magasin/Periode.h"
#include "harnix/reports/FenVeltrixRep.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/report/Report.h"
#include "platform/vb/DateTime.h"
#include "platform/win/Clock.h"
#include "platform/win/Screen.h"
#include "platform/win/Twips.h"
#include "tests/harnix/reports/Visionneuse.h"
#include "tests/harnix/staff/StaffFixture.h"
#include "tests/platform/report/PdfTools.h"

#include <QDir>
#include <QFile>
#include <QScreen>

#include <chrono>
#include <functional>
#include <map>

namespace {

using forms::testing::Focus;
using forms::testing::Key;
using forms::testing::Script;
using report::testing::PdfText;

vb::Date Jour(const char* texte)
{
    return *Periode::LireDate(texte);
}

class Rapports : public staff::testing::StaffTest
{
protected:
    void SetUp() override
    {
        StaffTest::SetUp();
        Global::CheminRapports = HARNIX_RAPPORTS;
        Execute("DELETE FROM DetailVente");
        Execute("DELETE FROM Ventes");
        Execute("DELETE FROM InfoSociete");
        Execute("INSERT INTO InfoSociete (Nom, Ville) VALUES ('ACME PROTECTION', 'LYON')");
    }

    // A movement of one line, with the names its line copies.
    struct Ligne
    {
        std::string quand, badge, nom, famille, societe, profil, site, service;
        int reference;
        std::string designation;
        int quantite;
        double prix;
    };
    void Mouvement(const Ligne& l)
    {
        Execute("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total) "
                "VALUES ('" +
                l.quand + "', '" + l.badge + "', '" + l.nom + "', 'Jean', 3, " +
                std::to_string(l.prix) + ")");
        Execute("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, "
                "PrixAchatUnit, NomFamille, NomSite, NomService, Profile, Societe) VALUES ("
                "(SELECT MAX(NumVente) FROM Ventes), " +
                std::to_string(l.reference) + ", '" + l.designation + "', " +
                std::to_string(l.quantite) + ", " + std::to_string(l.prix) + ", '" + l.famille +
                "', '" + l.site + "', '" + l.service + "', '" + l.profil + "', '" + l.societe +
                "')");
    }
    void Mouvement(const std::string& quand, const std::string& nom, const std::string& site,
                   int quantite, double prix)
    {
        Mouvement({quand, "1000", nom, "GANTS", "PROTEC", "PRODUCTION", site, "ATELIER", 1000,
                   "GANTS CUIR", quantite, prix});
    }

    FenCompteRendu& Fenetre(const char* debut, const char* fin)
    {
        FenCompteRendu& f = forms::form<FenCompteRendu>();
        f.TextDebut->setText(debut);
        f.TextFin->setText(fin);
        return f;
    }

    struct Imprime
    {
        QString texte;   // the PDF's text, empty when no viewer was shown
        QString fichier; // the report file the viewer opened
        int pages = 0;   // the pages the viewer shows
    };

    // Clicks a report button; the viewer it shows modally is written to a PDF and closed.
    Imprime ImprimerAvecFichier(QPushButton* bouton)
    {
        Imprime resultat;
        const QString pdf = QString::fromStdString(zad.Folder().Path().string()) + "/vu.pdf";
        if (reports::testing::ImprimerVue([&] { bouton->click(); }, pdf,
                                          [&](FenVeltrixRep& v) {
                                              resultat.fichier = v.Rapport()->FileName();
                                              resultat.pages = v.VXViewer1->PageCount();
                                          }))
            resultat.texte = PdfText(pdf).simplified();
        return resultat;
    }
    QString Imprimer(QPushButton* bouton) { return ImprimerAvecFichier(bouton).texte; }
};

// A money amount as the reports write it (below a thousand).
QString Montant(double valeur)
{
    return QString::number(valeur, 'f', 2).replace('.', ',');
}

TEST_F(Rapports, OuvertureDuPremierJanvier2005AAujourdhui)
{
    forms::testing::FrozenClock horloge;
    const auto cible = std::chrono::system_clock::time_point(std::chrono::seconds(1142424000));
    win::Clock::Advance(std::chrono::duration_cast<std::chrono::milliseconds>(
        cible - win::Clock::Now())); // 15/03/2006 12:00 UTC
    FenCompteRendu& f = forms::form<FenCompteRendu>();
    EXPECT_EQ(f.TextDebut->text(), "01/01/2005");
    EXPECT_EQ(f.TextFin->text(), "15/03/2006");
    EXPECT_TRUE(f.PeriodeChoisie);
    EXPECT_TRUE(f.SSOption2->Value());
    f.cmdMoisDernier->click();
    EXPECT_EQ(f.TextDebut->text(), "01/02/2006");
    EXPECT_EQ(f.TextFin->text(), "28/02/2006");
}

TEST_F(Rapports, CAGardeLesBornesEtLesDoublons)
{
    struct Ligne
    {
        const char* quand;
        bool copiee;
    };
    const Ligne lignes[] = {
        {"2006-02-28 23:59:59", false}, {"2006-03-01 00:00:00", true},
        {"2006-03-01 00:00:01", true},  {"2006-03-15 10:00:00", true},
        {"2006-03-15 10:00:00", true}, // the same issue twice: two lines
        {"2006-03-31 23:59:59", true},  {"2006-04-01 00:00:00", false},
    };
    int attendues = 0;
    for (const Ligne& l : lignes) {
        Mouvement(l.quand, "MARTIN", "LYON", 1, 4.5);
        attendues += l.copiee;
    }
    FenCompteRendu& f = Fenetre("01/03/2006", "31/03/2006");
    EXPECT_EQ(f.CreerEtatCA(), FenCompteRendu::ResultatCA::Lignes);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM CA"), std::to_string(attendues));
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM CA WHERE NomMois = 'mars'"), std::to_string(attendues));
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM CA WHERE Taille IS NULL AND RefFournisseur IS NULL"),
              std::to_string(attendues));
    EXPECT_EQ(f.RecordsetEtat.State(), ado::adStateOpen);

    // A failure while refilling keeps the previous rows and is told once.
    Execute("CREATE TRIGGER Refus BEFORE INSERT ON CA WHEN NEW.LaDate > '2006-03-31' "
            "BEGIN SELECT RAISE(ABORT, 'refus'); END");
    f.TextFin->setText("01/04/2006");
    Script().ExpectMsgBox(forms::vbOK, "CreerEtatCA");
    EXPECT_EQ(f.CreerEtatCA(), FenCompteRendu::ResultatCA::Echec);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM CA"), std::to_string(attendues));
    // A report button tells it once, without the message of a period without movements.
    Script().ExpectMsgBox(forms::vbOK, "CreerEtatCA");
    f.CmdCAparFamille->click();
    EXPECT_EQ(Script().Boxes().size(), 2u);
    EXPECT_FALSE(forms::IsLoaded<FenVeltrixRep>());
    // A period without movements, and one that is not a date.
    f.TextDebut->setText("01/01/2007");
    f.TextFin->setText("31/01/2007");
    EXPECT_EQ(f.CreerEtatCA(), FenCompteRendu::ResultatCA::Aucune);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM CA"), "0");
    f.TextDebut->setText("01/01/2007 OR 1=1");
    Script().ExpectMsgBox(forms::vbOK, "La date de départ n'est pas valide");
    EXPECT_EQ(f.CreerEtatCA(), FenCompteRendu::ResultatCA::Echec);
    Script().VerifyAllAnswered();
}

TEST_F(Rapports, ChaqueCasDeLiaisonImprime)
{
    Mouvement("2006-03-02 09:00:00", "MARTIN", "LYON", 2, 3.5);
    Mouvement("2006-03-03 09:00:00", "MARTIN", "LYON", 1, 3.5);
    Mouvement("2006-03-04 09:00:00", "DURAND", "NANTES", 4, 10);
    Execute("UPDATE ArticleEnStock SET QteEnStock = 0, StockAlert = 5 WHERE Reference = 1000");
    FenCompteRendu& f = Fenetre("01/03/2006", "31/03/2006");
    const QString periode = "Période du 01/03/2006 au 31/03/2006";

    // Case D: one group per site with its totals, the grand total computed here.
    const Imprime imprime = ImprimerAvecFichier(f.CmdConsoParSite);
    EXPECT_GE(imprime.pages, 1); // the viewer shows the report's pages
    const QString sites = imprime.texte;
    for (const QString& part :
         {QString("ACME PROTECTION"), QString("Consommations par Sites"), periode,
          QString("Site : LYON"), QString("Total LYON 3 10,50"), QString("Total NANTES 4 40,00"),
          QString("Total général (3) 7 50,50")})
        EXPECT_TRUE(sites.contains(part)) << part.toStdString() << "\n" << sites.toStdString();
    // Case A: the article under its alert threshold, with its family and supplier looked up.
    const QString rupture = Imprimer(f.CmdArticleRupture);
    EXPECT_TRUE(rupture.contains("Article à commander")) << rupture.toStdString();
    EXPECT_TRUE(rupture.contains("GANTS")) << rupture.toStdString();
    EXPECT_TRUE(rupture.contains(periode));
    // Case B: the stock through StockGlobal; case C: the employees, without heading.
    const QString stock = Imprimer(f.cmdPaieModeJournalier);
    EXPECT_TRUE(stock.contains("Articles en stock") && stock.contains(periode))
        << stock.toStdString();
    const QString salaries = Imprimer(&f.CmdSalarie(0));
    EXPECT_TRUE(salaries.contains("MARTIN") && salaries.contains("DURAND"));
    EXPECT_TRUE(salaries.contains("Nombre de salariés (3)")) << salaries.toStdString();
    EXPECT_FALSE(salaries.contains("Période du"));
    // InfoEtat holds the heading of the last report printed.
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM InfoEtat"), "1");
    EXPECT_EQ(Stored("SELECT Titre FROM InfoEtat"), "Salariés");

    // No movements: the message and no viewer; "par Articles" shows nothing at all.
    f.TextDebut->setText("01/01/2007");
    f.TextFin->setText("31/01/2007");
    Script().ExpectMsgBox(forms::vbOK, "Il n'y a pas eu d'opérations sur cette période");
    EXPECT_TRUE(Imprimer(f.CmdCAparFamille).isEmpty());
    EXPECT_TRUE(Imprimer(f.CmdConsoGlobal).isEmpty());
    Script().VerifyAllAnswered();
}

// The table argument chooses the tables: "CA" anywhere in it is the work table, except for the
// employee's consumption report, which opens its own statement; "Ca" is not the work table.
TEST_F(Rapports, CasChoisiParLaTable)
{
    Mouvement("2006-03-02 09:00:00", "MARTIN", "LYON", 2, 3.5);
    Execute("INSERT INTO CA (Nom, Prenom, LaDate, Designation, Quantite, PrixAchatUnit, NomSite) "
            "VALUES ('MARTIN', 'Jean', '2006-03-02 09:00:00', 'GANTS CUIR', 2, 3.5, 'LYON')");
    forms::testing::ProgramFolder rapports;
    QFile::copy(QString(HARNIX_RAPPORTS) + "ConsParSite.RPT",
                rapports.FilePath("ConsUnSalarie.rpt"));
    QFile::copy(QString(HARNIX_RAPPORTS) + "ConsParSite.RPT", rapports.FilePath("ConsParSite.RPT"));
    Global::CheminRapports = rapports.Path().toStdString() + "/";
    Fenetre("01/03/2006", "31/03/2006");
    const std::string requete = "select * from CA order by CA.Reference";
    // RecordsetEtat is not open: the work table's case cannot print.
    Script().ExpectMsgBox(forms::vbOK, "3704");
    EXPECT_FALSE(forms::form<FenVeltrixRep>().ImprimerEtat2("ConsParSite.RPT", "", "T", requete));
    EXPECT_FALSE(forms::IsLoaded<FenVeltrixRep>());
    FenVeltrixRep& v = forms::form<FenVeltrixRep>();
    EXPECT_TRUE(v.ImprimerEtat2("ConsUnSalarie.rpt", "", "Consommation de MARTIN", requete));
    EXPECT_EQ(v.VXViewer1->PageCount(), 1);
    EXPECT_EQ(v.Caption(), "Consommation de MARTIN");
    v.Unload();
    // "Ca" opens as a table of its own: the work table's rows, through the one-table case.
    EXPECT_TRUE(forms::form<FenVeltrixRep>().ImprimerEtat2("ConsParSite.RPT", "", "T", "Ca"));
    forms::form<FenVeltrixRep>().Unload();
    Script().VerifyAllAnswered();
}

TEST_F(Rapports, MoisGroupesParAnneeEtMois)
{
    Mouvement("2005-01-10 09:00:00", "MARTIN", "LYON", 1, 2);
    Mouvement("2006-01-10 09:00:00", "MARTIN", "LYON", 2, 2);
    Mouvement("2005-12-10 09:00:00", "MARTIN", "LYON", 3, 2);
    FenCompteRendu& f = Fenetre("01/01/2005", "31/01/2006");
    const QString texte = Imprimer(f.CmdConsoMensuelGraph);
    const qsizetype j05 = texte.indexOf("Total janvier 2005 1"),
                    d05 = texte.indexOf("Total décembre 2005 3"),
                    j06 = texte.indexOf("Total janvier 2006 2");
    EXPECT_TRUE(j05 >= 0 && d05 > j05 && j06 > d05) << texte.toStdString();
}

TEST_F(Rapports, RapportIntrouvableOuTablesNonConformes)
{
    FenCompteRendu& f = Fenetre("01/03/2006", "31/03/2006");
    Script().ExpectMsgBox(forms::vbOK, "31001");
    f.ImprimerEtat("Absent.RPT", "", "Titre", "StockGlobal");
    // A stock report given another table: its columns are not there.
    Script().ExpectMsgBox(forms::vbOK, "31003");
    f.ImprimerEtat("StockParRef.RPT", "", "Titre", "Familles");
    EXPECT_FALSE(forms::IsLoaded<FenVeltrixRep>());
    Script().VerifyAllAnswered();
}

TEST_F(Rapports, EnvoiParEmail)
{
    forms::testing::ProgramFolder bin;
    const QString log = bin.FilePath("mail.log");
    const QString script =
        bin.Write("xdg-email",
                  ("#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" + log + "'; done\n").toUtf8());
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.Path().toUtf8() + ":" + path);
    FenCompteRendu& f = Fenetre("01/03/2006", "31/03/2006");
    forms::testing::OnNextModal([&](forms::Form& modale) {
        auto& v = dynamic_cast<FenVeltrixRep&>(modale);
        v.Text1->setText("achats-sans-arobase");
        v.CmdEmail->click(); // nothing happens
        v.Text1->setText("achats@exemple.fr");
        v.CmdEmail->click();
        v.Unload();
    });
    f.cmdPaieModeJournalier->click();
    qputenv("PATH", path);
    QFile f2(log);
    ASSERT_TRUE(f2.open(QIODevice::ReadOnly));
    const QString pdf = QString::fromStdString(Global::ProgramFolder() + "/test.pdf");
    EXPECT_EQ(QString::fromUtf8(f2.readAll()).split('\n', Qt::SkipEmptyParts),
              QStringList({"--subject", "Rapport du distributeur automatique d'E.P.I. : ",
                           "--attach", pdf, "achats@exemple.fr"}));
    EXPECT_TRUE(PdfText(pdf).contains("Articles en stock"));
    EXPECT_EQ(Global::AdresseEmail, "achats@exemple.fr");
    // The next viewer of the run offers the same address.
    QString adresse;
    forms::testing::OnNextModal([&](forms::Form& modale) {
        auto& v = dynamic_cast<FenVeltrixRep&>(modale);
        adresse = v.Text1->text();
        v.Unload();
    });
    f.CmdValeurStock->click();
    EXPECT_EQ(adresse, "achats@exemple.fr");
}

// Every consumption button prints one group per value of its axis with the group's quantity and
// value, and the grand total, all computed here from the movements.
TEST_F(Rapports, ChaqueBoutonDeConsommation)
{
    const std::vector<Ligne> lignes = {
        {"2006-03-02 09:00:00", "1000", "MARTIN", "GANTS", "PROTEC", "PRODUCTION", "LYON",
         "ATELIER", 1000, "GANTS CUIR", 2, 3.5},
        {"2006-03-09 10:00:00", "1000", "MARTIN", "CHAUSSURES", "SECURIX", "PRODUCTION", "LYON",
         "ATELIER", 1001, "CHAUSSURES S3", 1, 40},
        {"2006-04-03 11:00:00", "1001", "DURAND", "GANTS", "PROTEC", "BUREAU", "NANTES",
         "MAINTENANCE", 1000, "GANTS CUIR", 4, 3.5},
    };
    for (const Ligne& l : lignes)
        Mouvement(l);
    FenCompteRendu& f = Fenetre("01/03/2006", "30/04/2006");
    struct Cas
    {
        QPushButton* bouton;
        const char* titre;
        const char* libelle;
        std::function<std::string(const Ligne&)> axe;
    };
    const std::vector<Cas> cas = {
        {f.CmdCAparFamille, "Consommations par Familles",
         "Famille : ", [](const Ligne& l) { return l.famille; }},
        {f.CmdConsoParFournisseur, "Consommations par Fournisseurs",
         "Fournisseur : ", [](const Ligne& l) { return l.societe; }},
        {f.CmdConsoParProfile, "Consommations par Profil",
         "Profil : ", [](const Ligne& l) { return l.profil; }},
        {f.CmdConsoParSalarie, "Consommations par Salariés",
         "Badge : ", [](const Ligne& l) { return l.badge; }},
        {f.CmdConsoParService, "Consommations par Services",
         "Service : ", [](const Ligne& l) { return l.service; }},
        {f.CmdConsoParSite, "Consommations par Sites",
         "Site : ", [](const Ligne& l) { return l.site; }},
        {f.cmdConsoMensuel, "Consommations Mensuel", "Mois : ",
         [](const Ligne& l) { return l.quand.substr(5, 2) == "03" ? "mars 2006" : "avril 2006"; }},
        {f.CmdConsoMensuelGraph, "Consommations Mensuel", "Mois : ",
         [](const Ligne& l) { return l.quand.substr(5, 2) == "03" ? "mars 2006" : "avril 2006"; }},
        {f.Command1, "Consommations par Profil par salarié",
         "Profil : ", [](const Ligne& l) { return l.profil; }},
        {f.Command2, "Consommations par Services par salarié",
         "Service : ", [](const Ligne& l) { return l.service; }},
        {f.CmdConsoGlobal, "Consommations par Articles",
         "Référence : ", [](const Ligne& l) { return std::to_string(l.reference); }},
    };
    int quantite = 0;
    double valeur = 0;
    for (const Ligne& l : lignes) {
        quantite += l.quantite;
        valeur += l.quantite * l.prix;
    }
    for (const Cas& c : cas) {
        const QString texte = Imprimer(c.bouton);
        EXPECT_TRUE(texte.contains(c.titre)) << c.titre;
        EXPECT_TRUE(texte.contains("Période du 01/03/2006 au 30/04/2006")) << c.titre;
        EXPECT_TRUE(
            texte.contains(QString("Total général (3) %1 %2").arg(quantite).arg(Montant(valeur))))
            << c.titre << "\n"
            << texte.toStdString();
        std::map<std::string, std::pair<int, double>> groupes;
        for (const Ligne& l : lignes) {
            groupes[c.axe(l)].first += l.quantite;
            groupes[c.axe(l)].second += l.quantite * l.prix;
        }
        for (const auto& [nom, somme] : groupes) {
            const QString groupe = QString::fromStdString(nom);
            EXPECT_TRUE(texte.contains(c.libelle + groupe)) << c.titre << " " << nom;
            EXPECT_TRUE(texte.contains(
                QString("Total %1 %2 %3").arg(groupe).arg(somme.first).arg(Montant(somme.second))))
                << c.titre << " " << nom << "\n"
                << texte.toStdString();
        }
    }
    // "Par désignation" chooses the other file of the articles' consumption.
    f.SSOption1->click();
    const Imprime parDesignation = ImprimerAvecFichier(f.CmdConsoGlobal);
    EXPECT_EQ(parDesignation.fichier, "consParDesiGlobal.RPT");
    EXPECT_TRUE(parDesignation.texte.contains("Article : CHAUSSURES S3"));
}

TEST_F(Rapports, StockEtSalaries)
{
    FenCompteRendu& f = Fenetre("01/03/2006", "31/03/2006");
    // Stock 10 of 1000 at 1,50 and 3 of 1001 at 40,00; two slots of 1000 and one of 1001.
    const Imprime parReference = ImprimerAvecFichier(f.cmdPaieModeJournalier);
    EXPECT_EQ(parReference.fichier, "StockParRef.RPT");
    EXPECT_TRUE(parReference.texte.contains("Total (3) 13 3 16"))
        << parReference.texte.toStdString();
    EXPECT_LT(parReference.texte.indexOf("GANTS T8"), parReference.texte.indexOf("CHAUSSURES P42"));
    f.SSOption1->click();
    const Imprime parDesignation = ImprimerAvecFichier(f.cmdPaieModeJournalier);
    EXPECT_EQ(parDesignation.fichier, "StockParDesi.RPT");
    EXPECT_GT(parDesignation.texte.indexOf("GANTS T8"),
              parDesignation.texte.indexOf("CHAUSSURES P42"));
    const QString valeur = Imprimer(f.CmdValeurStock);
    EXPECT_TRUE(valeur.contains("Valeur du stock") && valeur.contains("Période du 01/03/2006"));
    EXPECT_TRUE(valeur.contains("Valeur totale du stock (3) " + Montant(10 * 1.5 + 3 * 40)))
        << valeur.toStdString();
    const QString parFournisseur = Imprimer(f.CmdValeurStockParFournisseur);
    EXPECT_TRUE(parFournisseur.contains("Total GANTERIE DE L'EST " + Montant(15)));
    EXPECT_TRUE(parFournisseur.contains("Total CHAUSSEUR DU SUD " + Montant(120)))
        << parFournisseur.toStdString();

    // The employee lists: every employee, grouped as the name says, under a title of their own
    // and no period. Hand sizes 8, 7 and 10 come in the sizes' order, not as texts.
    Execute("INSERT INTO Tailles (NoTaille, Taille, Ordre, NoFamille) SELECT 90, '7', 2, "
            "NoFamille FROM Tailles WHERE Taille = '8'");
    Execute("INSERT INTO Tailles (NoTaille, Taille, Ordre, NoFamille) SELECT 91, '10', 3, "
            "NoFamille FROM Tailles WHERE Taille = '8'");
    Execute("UPDATE Utilisateurs SET TailleMain = 91 WHERE NoBadge = '1001'");
    Execute("UPDATE Utilisateurs SET TailleMain = 90 WHERE NoBadge = '1002'");
    struct Liste
    {
        int index;
        const char* fichier;
        std::vector<const char*> attendus; // in the order they print
    };
    const std::vector<Liste> listes = {
        {0, "SalarieNom.RPT", {"Salariés par Nom", "DUPONT", "DURAND", "MARTIN"}},
        {1, "Salariebadge.RPT", {"Salariés par Badge", "1000", "1001", "1002"}},
        {2, "Salariesite.RPT", {"Salariés par Site", "Site : LYON", "Total LYON (2)"}},
        {3,
         "SalarieService.RPT",
         {"Salariés par Service", "Service : ATELIER", "Total MAINTENANCE (1)"}},
        {4,
         "SalarieProfile.RPT",
         {"Salariés par Profil", "Profil : PRODUCTION", "Total PRODUCTION (2)"}},
        {5,
         "SalarieTailleCh.RPT",
         {"Salariés par Taille chaussure", "Taille chaussure : 42", "Total 42 (1)"}},
        {6,
         "SalarieTailleMa.RPT",
         {"Salariés par Taille main", "Taille main : 8", "Total 8 (1)", "Taille main : 7",
          "Taille main : 10"}},
        {7, "SalarieMatricule.RPT", {"Salariés par No Matricule", "MARTIN"}},
        {8, "SalarieParMachine.RPT", {"Salariés par No Machine", "Machines : 1", "Total 1 (1)"}},
    };
    for (const Liste& l : listes) {
        const Imprime liste = ImprimerAvecFichier(&f.CmdSalarie(l.index));
        EXPECT_EQ(liste.fichier, l.fichier);
        EXPECT_TRUE(liste.texte.contains("Nombre de salariés (3)")) << l.fichier;
        EXPECT_FALSE(liste.texte.contains("Période du")) << l.fichier;
        qsizetype avant = -1;
        for (const char* attendu : l.attendus) {
            const qsizetype ici = liste.texte.indexOf(QString::fromUtf8(attendu));
            EXPECT_GT(ici, avant) << l.fichier << " " << attendu << "\n"
                                  << liste.texte.toStdString();
            avant = ici;
        }
    }
}

// A family name of a usual length reads whole in both stock lists.
TEST_F(Rapports, NomsDeFamilleEntiers)
{
    Execute("UPDATE Familles SET NomFamille = 'PROTECTION AUDITIVE'");
    FenCompteRendu& f = Fenetre("01/03/2006", "31/03/2006");
    EXPECT_TRUE(Imprimer(f.cmdPaieModeJournalier).contains("PROTECTION AUDITIVE"));
    f.SSOption1->click();
    EXPECT_TRUE(Imprimer(f.cmdPaieModeJournalier).contains("PROTECTION AUDITIVE"));
}

TEST_F(Rapports, BoitesDePeriodeEtCalendrier)
{
    FenCompteRendu& f = Fenetre("31/02/2006", "01/03/2006");
    f.Show();
    // Enter in a box warns of nothing; leaving it does, each time, changed or not.
    Focus(*f.TextDebut);
    Key(*f.TextDebut, Qt::Key_Return);
    EXPECT_TRUE(Script().Boxes().empty());
    Script().ExpectMsgBox(forms::vbOK, "La date de départ n'est pas valide");
    Key(*f.TextDebut, Qt::Key_Tab);
    Script().VerifyAllAnswered();
    Script().ExpectMsgBox(forms::vbOK, "La date de départ n'est pas valide");
    Focus(*f.TextDebut);
    Focus(*f.TextFin);
    Script().VerifyAllAnswered();
    EXPECT_EQ(f.TextDebut->text(), "31/02/2006"); // the text stays
    f.TextFin->setText("demain");
    Script().ExpectMsgBox(forms::vbOK, "La date de fin n'est pas valide");
    Focus(*f.TextDebut);
    Script().VerifyAllAnswered();
    // A date written with "-" is one.
    f.TextDebut->setText("01-03-2006");
    f.TextFin->setText("31-03-2006");
    Focus(*f.TextFin);
    Focus(*f.TextDebut);
    EXPECT_EQ(Script().Boxes().size(), 3u);
    f.TextDebut->setText("31/02/2006");
    // A report of the whole tables prints nothing on a period that is not one.
    Script().ExpectMsgBox(forms::vbOK, "La date de départ n'est pas valide");
    EXPECT_TRUE(Imprimer(f.CmdValeurStock).isEmpty());
    Script().VerifyAllAnswered();

    // The picker closed without a range leaves the boxes; a range picked is written.
    f.TextDebut->setText("01/03/2006");
    f.TextFin->setText("31/03/2006");
    forms::testing::OnNextModal(
        [](forms::Form& c) { dynamic_cast<Calendrier&>(c).Command1_Click(); });
    f.SSCommandDate->click();
    EXPECT_EQ(f.TextDebut->text(), "01/03/2006");
    EXPECT_EQ(f.TextFin->text(), "31/03/2006");
    forms::testing::OnNextModal([](forms::Form& modale) {
        auto& c = dynamic_cast<Calendrier&>(modale);
        c.calendar1->SetValue(QDate(2006, 5, 2));
        emit c.calendar1->Click();
        c.Command1_Click();
    });
    f.SSCommandDate->click();
    EXPECT_EQ(f.TextDebut->text(), "02/05/2006");
    EXPECT_EQ(f.TextFin->text(), "02/05/2006");
}

TEST_F(Rapports, RequetesEnregistreesAvecLaPeriode)
{
    Mouvement("2006-03-01 00:00:00", "MARTIN", "LYON", 2, 3.5);
    Mouvement("2006-03-31 23:59:59", "MARTIN", "LYON", 3, 3.5);
    Mouvement("2006-04-01 09:00:00", "MARTIN", "LYON", 5, 3.5);
    FenCompteRendu& f = Fenetre("01/03/2006", "31/03/2006");
    EXPECT_TRUE(f.CreerEtatCAparArticle());
    EXPECT_EQ(Stored("SELECT Quantite FROM TCAparArticle WHERE Reference = 1000"), "5");
    EXPECT_TRUE(f.CreerEtatSuiviParHeure());
    EXPECT_EQ(Stored("SELECT SUM(Quantite) FROM SuiviParHeure"), "5");
    f.TextDebut->setText("01/01/2007");
    f.TextFin->setText("31/01/2007");
    EXPECT_FALSE(f.CreerEtatCAparArticle());
    EXPECT_EQ(f.CreerFormuleSelection("", Jour("01/01/2005"), Jour("31/12/2005")), "");
    EXPECT_EQ(f.CreerFormuleSelection("LaDate", Jour("01/01/2005"), Jour("07/03/2006")),
              "{LaDate}>=Date(2005,1,1) and {LaDate}<=Date(2006,3,7)");
}

TEST_F(Rapports, FermetureLibereLaTableDeTravail)
{
    Mouvement("2006-03-02 09:00:00", "MARTIN", "LYON", 2, 3.5);
    FenCompteRendu& f = Fenetre("01/03/2006", "31/03/2006");
    ASSERT_EQ(f.CreerEtatCA(), FenCompteRendu::ResultatCA::Lignes);
    ado::Recordset etat = f.RecordsetEtat;
    f.cmdClose->click();
    EXPECT_EQ(etat.State(), ado::adStateClosed);
    EXPECT_FALSE(forms::IsLoaded<FenCompteRendu>());
    // Reading the period again creates the window anew, hidden.
    EXPECT_FALSE(forms::form<FenCompteRendu>().TextDebut->text().isEmpty());
    EXPECT_FALSE(forms::form<FenCompteRendu>().isVisible());
}

// The viewer window lies inside the screen's available area, frame included, and its viewer
// inside the window; where the main window leaves room, the viewer keeps the main window's size
// less the margin.
TEST(Visionneuse, TientDansLaZoneDeLEcran)
{
    struct Cas
    {
        int largeur, hauteur; // of the main window, in pixels
        bool tailleDuRapport; // the viewer has its size from the main window
    };
    for (const Cas& c : {Cas{1280, 1100, false}, Cas{1280, 1024, true}, Cas{1000, 700, true}}) {
        SCOPED_TRACE(c.hauteur);
        win::SetScreenSizeOverride(c.largeur, c.hauteur);
        FenVeltrixRep& v = forms::form<FenVeltrixRep>();
        v.Show();
        const QRect zone = v.screen()->availableGeometry();
        EXPECT_TRUE(zone.contains(v.frameGeometry()))
            << v.frameGeometry().bottom() << " > " << zone.bottom();
        EXPECT_TRUE(v.rect().contains(v.VXViewer1->geometry()));
        EXPECT_EQ(v.VXViewer1->y(), win::TwipsToPixels(480));
        if (c.tailleDuRapport) {
            EXPECT_EQ(v.VXViewer1->width(),
                      win::TwipsToPixels(win::PixelsToTwips(c.largeur) - 100));
            EXPECT_EQ(v.VXViewer1->height(),
                      win::TwipsToPixels(win::PixelsToTwips(c.hauteur) - 800));
        }
        v.Unload();
        win::ClearScreenSizeOverride();
    }
}

TEST(Visionneuse, MargeDeLaBarreDesTaches)
{
    EXPECT_EQ(FenVeltrixRep::MargeBarreTaches(30), 800);
    EXPECT_EQ(FenVeltrixRep::MargeBarreTaches(0), 800);
    EXPECT_EQ(FenVeltrixRep::MargeBarreTaches(40), 880);
    EXPECT_EQ(FenVeltrixRep::MargeBarreTaches(5000), 32767);
}

} // namespace
