#include "harnix/reports/FenCompteRendu.h"
#include "harnix/reports/FenVeltrixRep.h"
#include "harnix/reports/Periode.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/report/Report.h"
#include "platform/vb/DateTime.h"
#include "platform/win/Clock.h"
#include "tests/harnix/staff/StaffFixture.h"
#include "tests/platform/report/PdfTools.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <chrono>

namespace {

using forms::testing::Script;
using report::testing::PdfText;

vb::Date Jour(const char* texte)
{
    return *Periode::LireDate(texte);
}

std::string Texte(vb::Date d)
{
    return Periode::TexteDate(d);
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

    // A movement of one line: quantity and unit price, on a site, at a time.
    void Mouvement(const std::string& quand, const std::string& nom, const std::string& site,
                   int quantite, double prix)
    {
        Execute("INSERT INTO Ventes (LaDate, Utilisateur, Nom, Prenom, TypeMouvement, Total) "
                "VALUES ('" +
                quand + "', '1000', '" + nom + "', 'Jean', 3, " + std::to_string(prix) + ")");
        Execute("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, "
                "PrixAchatUnit, NomFamille, NomSite, NomService, Profile, Societe) VALUES ("
                "(SELECT MAX(NumVente) FROM Ventes), 1000, 'GANTS CUIR', " +
                std::to_string(quantite) + ", " + std::to_string(prix) + ", 'GANTS', '" + site +
                "', 'ATELIER', 'PRODUCTION', 'PROTEC')");
    }

    FenCompteRendu& Fenetre(const char* debut, const char* fin)
    {
        FenCompteRendu& f = forms::form<FenCompteRendu>();
        f.TextDebut->setText(debut);
        f.TextFin->setText(fin);
        return f;
    }

    // Clicks a report button; the viewer it shows modally is written to a PDF and closed.
    // Returns the PDF's text, empty when no viewer was shown.
    QString Imprimer(QPushButton* bouton)
    {
        QString texte;
        QObject garde; // a viewer never shown leaves no pending call behind
        QTimer::singleShot(0, &garde, [&] {
            if (!forms::IsLoaded<FenVeltrixRep>())
                return;
            FenVeltrixRep& v = forms::form<FenVeltrixRep>();
            const QString pdf = QString::fromStdString(zad.Folder().Path().string()) + "/vu.pdf";
            v.Rapport()->WritePdf(pdf);
            texte = PdfText(pdf).simplified();
            v.Unload();
        });
        bouton->click();
        return texte;
    }
};

TEST(Periodes, Raccourcis)
{
    struct Cas
    {
        const char* aujourdhui;
        Periode::Intervalle (*raccourci)(vb::Date);
        const char* debut;
        const char* fin;
    };
    const Cas cas[] = {
        {"01/03/2004", Periode::MoisDernier, "01/02/2004", "29/02/2004"},
        {"10/01/2006", Periode::MoisDernier, "01/12/2005", "31/12/2005"},
        {"12/03/2006", Periode::SemaineDerniere, "27/02/2006", "05/03/2006"},
        {"15/03/2006", Periode::SemaineDerniere, "06/03/2006", "12/03/2006"},
        {"13/03/2006", Periode::SemaineDerniere, "06/03/2006", "12/03/2006"},
        {"01/03/2006", Periode::DebutMois, "01/03/2006", "01/03/2006"},
        {"15/03/2006", Periode::DebutMois, "01/03/2006", "15/03/2006"},
        {"01/01/2006", Periode::DebutAnnee, "01/01/2006", "01/01/2006"},
        {"15/03/2006", Periode::DebutAnnee, "01/01/2006", "15/03/2006"},
    };
    for (const Cas& c : cas) {
        const Periode::Intervalle p = c.raccourci(Jour(c.aujourdhui));
        EXPECT_EQ(Texte(p.debut), c.debut) << c.aujourdhui;
        EXPECT_EQ(Texte(p.fin), c.fin) << c.aujourdhui;
    }
    for (const char* faux : {"", "32/01/2006", "31/04/2006", "1/13/2006", "01/03", "2006-03-01",
                             "01/03/2006 10:00", "1e3"})
        EXPECT_FALSE(Periode::LireDate(faux)) << faux;
    EXPECT_EQ(Texte(Jour("1/3/06")), "01/03/2006");
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
    const QString sites = Imprimer(f.CmdConsoParSite);
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
    QObject garde;
    QTimer::singleShot(0, &garde, [&] {
        FenVeltrixRep& v = forms::form<FenVeltrixRep>();
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
}

TEST(Visionneuse, MargeDeLaBarreDesTaches)
{
    EXPECT_EQ(FenVeltrixRep::MargeBarreTaches(30), 800);
    EXPECT_EQ(FenVeltrixRep::MargeBarreTaches(0), 800);
    EXPECT_EQ(FenVeltrixRep::MargeBarreTaches(40), 880);
    EXPECT_EQ(FenVeltrixRep::MargeBarreTaches(5000), 32767);
}

} // namespace
