// The allocation planner window over a real zad.MDB: the criteria kept in DotationEnCours, the
// period, the machine panel, the computation into the grid, the commit's guards and the export.

#include "harnix/staff/FenDotation.h"

#include "tests/harnix/staff/StaffFixture.h"
#include "tests/platform/workbook/Lecteur.h"

#include "harnix/commun/Calendrier.h"
#include "platform/forms/Colors.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/win/Twips.h"

#include <array>
#include <cmath>
#include <filesystem>

namespace {

using forms::testing::Click;
using forms::testing::OnNextModal;
using forms::testing::Script;

class Planificateur : public staff::testing::StaffTest
{
protected:
    void SetUp() override
    {
        StaffTest::SetUp();
        FenDotation::OuvrirClasseur = [this](const std::string& chemin) {
            ouverts.push_back(chemin);
            return true;
        };
    }
    void TearDown() override
    {
        FenDotation::OuvrirClasseur = nullptr;
        StaffTest::TearDown();
    }

    FenDotation& Ouvrir()
    {
        FenDotation& f = forms::form<FenDotation>();
        f.Show();
        return f;
    }

    // The criteria as the table holds them: "site/service/profile" in name order.
    std::string Criteres()
    {
        return Stored("SELECT GROUP_CONCAT(NomSite || '/' || NomService || '/' || Profile || ':' "
                      "|| NoService || ':' || NoQuota, ' ') FROM (SELECT * FROM DotationEnCours "
                      "ORDER BY NomSite, NomService, Profile)");
    }

    // Chooses the period through the period picker, as the user would.
    void Periode(FenDotation& f, const vb::Date& debut, const vb::Date& fin)
    {
        OnNextModal([&](forms::Form& modale) {
            auto& calendrier = dynamic_cast<Calendrier&>(modale);
            calendrier.Text2->setText("choisie");
            Global::PeriodeDebut = debut;
            Global::PeriodeFin = fin;
            calendrier.Unload();
        });
        Click(f, "CmdDate");
    }

    QStringList Ligne(FenDotation& f, int rang)
    {
        QStringList cellules;
        for (int c = 0; c < f.MSFlexGrid1->Cols(); ++c)
            cellules << f.MSFlexGrid1->TextMatrix(rang, c);
        return cellules;
    }

    std::vector<std::string> ouverts;
};

TEST_F(Planificateur, CriteriaAreRefusedTwiceAndKeptFromOneUseToTheNext)
{
    FenDotation& f = Ouvrir();
    EXPECT_EQ(f.Caption(), "Dotations");
    EXPECT_TRUE(f.DataGrid4->isEnabled()) << "an empty list enables everything";
    EXPECT_TRUE(f.DataGrid2->isEnabled());
    EXPECT_EQ(f.Label1(4).Caption(), "TOUS");
    EXPECT_EQ(f.data2->Recordset().RecordCount(), 2) << "the services of LYON";

    Click(f, "CmdSelecSites");
    EXPECT_EQ(Criteres(), "LYON/TOUS/TOUS:0:0");
    Script().ExpectMsgBox(forms::vbOK, "Le site LYON est déjà sélectionné!");
    Click(f, "CmdSelecSites");
    Script().ExpectMsgBox(forms::vbOK, "Tous les services de LYON sont déjà sélectionnés!");
    Click(f, "CmdSelecService");
    ASSERT_EQ(Script().Boxes().size(), 2u);
    EXPECT_EQ(Script().Boxes()[0].style, forms::vbOKCancel);
    EXPECT_EQ(Script().Boxes()[0].title, "Erreur");

    f.data1->MoveNext(); // NANTES and its one service
    EXPECT_EQ(f.data2->Recordset().RecordCount(), 1);
    Click(f, "CmdSelecService");
    EXPECT_EQ(Criteres(), "LYON/TOUS/TOUS:0:0 NANTES/ATELIER/TOUS:3:0");
    EXPECT_FALSE(f.CmdSelectProfile->isEnabled());
    Script().ExpectMsgBox(forms::vbOK, "Le service ATELIER est déjà sélectionné!");
    Click(f, "CmdSelecService");

    // Reopened, the list is there; its profile is taken from the first row.
    f.Unload();
    FenDotation& g = Ouvrir();
    EXPECT_EQ(g.data3->Recordset().RecordCount(), 2);
    EXPECT_FALSE(g.DataGrid4->isEnabled());
    EXPECT_TRUE(g.CmdSelecService->isEnabled());

    // Deleting the last row leaves the controls; a press on the empty list restores them.
    Click(g, "CmdDelCritere");
    Click(g, "CmdDelCritere");
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM DotationEnCours"), "0");
    EXPECT_FALSE(g.CmdSelectProfile->isEnabled());
    Click(g, "CmdDelCritere");
    EXPECT_TRUE(g.CmdSelectProfile->isEnabled());
}

TEST_F(Planificateur, AProfileRewritesEveryRowAndAddsTheCurrentSite)
{
    FenDotation& f = Ouvrir();
    f.data1->MoveNext();
    Click(f, "CmdSelecSites"); // NANTES
    f.data1->MoveFirst();
    Click(f, "CmdSelecSites"); // LYON
    f.data4->MoveLast();       // PRODUCTION (profiles in name order)
    Click(f, "CmdSelectProfile");
    EXPECT_EQ(Criteres(), "LYON/TOUS/PRODUCTION:0:1 LYON/TOUS/PRODUCTION:0:1 "
                          "NANTES/TOUS/PRODUCTION:0:1");
    EXPECT_EQ(f.Label1(4).Caption(), "PRODUCTION");
    EXPECT_FALSE(f.DataGrid2->isEnabled());
    EXPECT_FALSE(f.CmdSelecService->isEnabled());
    EXPECT_FALSE(f.CmdSelectProfile->isEnabled());
    // A site added afterwards carries the profile.
    Execute("DELETE FROM DotationEnCours WHERE NomSite = 'NANTES'");
    f.data3->Refresh();
    f.data1->MoveNext();
    Click(f, "CmdSelecSites");
    EXPECT_EQ(Stored("SELECT Profile FROM DotationEnCours WHERE NomSite = 'NANTES'"), "PRODUCTION");
}

TEST_F(Planificateur, PeriodLabelAndTheYearTakenForADay)
{
    FenDotation& f = Ouvrir();
    Periode(f, vb::DateSerial(2024, 3, 1), vb::DateSerial(2024, 3, 31));
    EXPECT_EQ(f.NbJours, 30);
    EXPECT_EQ(f.Label2(0).Caption(), "31 Jours");
    Periode(f, vb::DateSerial(2024, 3, 5), vb::DateSerial(2024, 3, 5));
    EXPECT_EQ(f.NbJours, 0);
    EXPECT_EQ(f.Label2(0).Caption(), "");

    Click(f, "CmdSelecSites");
    Click(f, "CmdGenerer");
    EXPECT_EQ(f.NbJours, 365);
    EXPECT_EQ(f.Label2(0).Caption(), "365 Jours");
    // 12 gloves every 30 days over 365 days: 146 for MARTIN.
    EXPECT_EQ(Ligne(f, 1),
              QStringList({"", "", "", "1000", "GANTS T8", "8", "146", "LYON", "ATELIER"}));
}

TEST_F(Planificateur, MachinePanelChoosesOneMachineByItsPosition)
{
    FenDotation& f = Ouvrir();
    EXPECT_TRUE(f.SSPanel2->isHidden());
    Click(f, "Command2");
    EXPECT_TRUE(f.SSPanel2->isVisible());
    EXPECT_EQ(f.CheckBox1(0).text(), "Machine N° 1: Atelier");
    EXPECT_EQ(f.CheckBox1(1).text(), "Machine N° 2: Magasin");
    EXPECT_TRUE(f.CheckBox1(2).isHidden());
    Click(f.CheckBox1(1));
    Click(f, "CmdMachAuriseOK");
    EXPECT_EQ(f.MachineFiltre, "2");
    EXPECT_TRUE(f.SSPanel2->isHidden());

    Click(f, "Command2");
    EXPECT_EQ(f.MachineFiltre, "");
    Click(f, "CmdMachAuriseOK");
    EXPECT_EQ(f.MachineFiltre, "2") << "the earlier choice stays on";
    Click(f, "Command2");
    Click(f, "CmdMachAutoriseSelec");
    EXPECT_EQ(f.MachineFiltre, "");
    EXPECT_FALSE(f.CheckBox1(1).Value());

    // Past fourteen machines the first fourteen are offered, and the user is told.
    for (int n = 3; n <= 16; ++n)
        Execute("INSERT INTO Machines (NoMachine, Location) VALUES (" + std::to_string(n) + ", 'M" +
                std::to_string(n) + "')");
    Script().ExpectMsgBox(forms::vbOK, "14 premières machines");
    Click(f, "Command2");
    EXPECT_TRUE(f.SSPanel2->isVisible());
    EXPECT_EQ(f.CheckBox1(13).text(), "Machine N° 14: M14");
}

TEST_F(Planificateur, ComputationFillsTheGridAndTheCommitWritesWhatItShowed)
{
    FenDotation& f = Ouvrir();
    Script().ExpectMsgBox(forms::vbOK, "Les critères, la période ou la machine ont changé");
    Click(f, "CmdFixerDotation");

    Click(f, "CmdSelecSites"); // LYON: MARTIN in ATELIER, DURAND in MAINTENANCE
    Periode(f, vb::DateSerial(2024, 3, 1), vb::DateSerial(2024, 3, 31));
    Click(f, "CmdGenerer");
    const QStringList vide{"", "", "", "", "", "", "", "", ""};
    EXPECT_EQ(f.MSFlexGrid1->Rows(), 7);
    EXPECT_EQ(f.NbLignesResultat, 6);
    EXPECT_EQ(Ligne(f, 0), QStringList({"", "", "", "Ref. Article", "Désignation", "Taille", "Qté",
                                        "Site", "Service"}));
    EXPECT_EQ(Ligne(f, 1),
              QStringList({"", "", "", "1000", "GANTS T8", "8", "12", "LYON", "ATELIER"}));
    EXPECT_EQ(Ligne(f, 2),
              QStringList({"", "", "", "1000", "GANTS T8", "8", "12", "LYON", "MAINTENANCE"}));
    EXPECT_EQ(Ligne(f, 3), QStringList({"", "", "TOTAL", "", "", "", "24", "", ""}));
    EXPECT_EQ(Ligne(f, 6), QStringList({"", "", "TOTAL", "", "", "", "0", "", ""}));
    for (int c = 0; c <= 8; ++c) {
        f.MSFlexGrid1->SetRow(3);
        f.MSFlexGrid1->SetCol(c);
        EXPECT_TRUE(f.MSFlexGrid1->CellFontBold()) << c;
        EXPECT_EQ(f.MSFlexGrid1->CellBackColor(), forms::Rgb(254, 209, 141)) << c;
        f.MSFlexGrid1->SetRow(2);
        EXPECT_FALSE(f.MSFlexGrid1->CellFontBold()) << c;
    }
    EXPECT_TRUE(f.StockInsuffisant) << "24 gloves against 10";
    Script().ExpectMsgBox(forms::vbOK, "Stock insuffisant, opération annulée !");
    Click(f, "CmdFixerDotation");
    EXPECT_EQ(Script().Boxes().back().style, 49);
    EXPECT_EQ(Script().Boxes().back().title, "Erreur !");

    Execute("UPDATE ArticleEnStock SET QteEnStock = 100");
    Click(f, "CmdGenerer");
    EXPECT_FALSE(f.StockInsuffisant);

    // A machine chosen since: the grid no longer shows what would be written.
    Click(f, "Command2");
    Click(f.CheckBox1(1));
    Click(f, "CmdMachAuriseOK");
    Script().ExpectMsgBox(forms::vbOK, "veuillez générer le calcul");
    Click(f, "CmdFixerDotation");
    Click(f, "CmdGenerer"); // nobody may use machine 2
    EXPECT_EQ(f.NbLignesResultat, 0);
    Script().ExpectMsgBox(forms::vbOK, "aucune ligne");
    Click(f, "CmdFixerDotation");

    Click(f, "Command2");
    Click(f, "CmdMachAutoriseSelec");
    Click(f, "CmdGenerer");
    const std::string avant = Stored("SELECT COUNT(*) FROM Ventes");
    Script().ExpectMsgBox(forms::vbNo, "Attention cette opération est définitive");
    Click(f, "CmdFixerDotation");
    EXPECT_EQ(Script().Boxes().back().text,
              "Attention cette opération est définitive, vous ne pourrez plus l'annuler !\r\n" +
                  QString(35, ' ') + "Etes vous sûr ?");
    EXPECT_EQ(Script().Boxes().back().style, 52);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Ventes"), avant);
    Script()
        .ExpectMsgBox(forms::vbYes, "Attention cette opération est définitive")
        .ExpectMsgBox(forms::vbOK, "Dotation enregistrée !");
    Click(f, "CmdFixerDotation");
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Ventes WHERE TypeMouvement = 1 AND Total = 41.5 AND "
                     "Utilisateur IN ('1000', '1001')"),
              "3")
        << "a header for each of the two employees, beside the fixture's own";
    EXPECT_EQ(Stored("SELECT SUM(Quantite) FROM DetailVente WHERE NumVente > 3"), "26")
        << "12 + 12 gloves, and a pair of shoes each for less than one";
    EXPECT_FALSE(f.Progression->isVisible());
}

TEST_F(Planificateur, ExportFillsACopyOfTheTemplateAndOpensIt)
{
    const std::string dossier = zad.Folder().Path().string();
    FenDotation& f = Ouvrir();
    Click(f, "CmdSelecSites");
    Periode(f, vb::DateSerial(2024, 3, 1), vb::DateSerial(2024, 3, 31));
    Click(f, "CmdGenerer");

    // Without its template the export says so and writes nothing.
    Script().ExpectMsgBox(forms::vbOK, "1004 ");
    Click(f, "Command1");
    EXPECT_FALSE(std::filesystem::exists(dossier + "/Dotation.xlsx"));
    EXPECT_TRUE(ouverts.empty());

    std::filesystem::copy_file(HARNIX_ASSETS_DIR "/DotationMO.xlsx", dossier + "/DotationMO.xlsx");
    Click(f, "Command1");
    ASSERT_EQ(ouverts, std::vector<std::string>{dossier + "/Dotation.xlsx"});
    EXPECT_EQ(workbook::testing::LireCellules(ouverts[0], "Feuil1",
                                              {"A5", "D5", "E5", "G5", "H5", "I6", "C7", "G7", "K7",
                                               "B7", "J8", "D8", "D10", "A11"}),
              "A5||8|0|-\n"
              "D5|1000|8|0|-\n"
              "E5|GANTS T8|8|0|-\n"
              "G5|12|8|0|-\n"
              "H5|LYON|8|0|-\n"
              "I6|MAINTENANCE|8|0|-\n"
              "C7|TOTAL|8|1|FED18D\n"
              "G7|24|8|1|FED18D\n"
              "K7||10|1|FED18D\n"
              "B7||8|0|-\n"
              "J8||10|0|-\n"
              "D8|1001|8|0|-\n"
              "D10||8|1|FED18D\n"
              "A11||10|0|-\n");
}

TEST_F(Planificateur, QuotaLinesWithoutAPeriodAreReportedAndLeftOut)
{
    Execute("UPDATE Quota SET Periodicite = 0 WHERE RefArticle = 1001");
    FenDotation& f = Ouvrir();
    Click(f, "CmdSelecSites");
    Periode(f, vb::DateSerial(2024, 3, 1), vb::DateSerial(2024, 3, 31));
    Script().ExpectMsgBox(forms::vbOK, "PRODUCTION, 1001");
    Click(f, "CmdGenerer");
    EXPECT_TRUE(Script().Boxes().back().text.startsWith("GenererDotation\r\nN°: 11 "));
    EXPECT_EQ(f.NbLignesResultat, 3) << "the gloves' two groups and their TOTAL only";
}

// Names of a usual length read whole in the result grid, and a site's in the criteria list.
TEST_F(Planificateur, NamesReadWholeInTheGrids)
{
    Execute("UPDATE Sites SET NomSite = 'USINE DE NANTES'");
    Execute("UPDATE Services SET NomService = 'ADMINISTRATION'");
    Execute("UPDATE ArticleEnStock SET Designation = 'LUNETTES DE PROTECTION INCOLORES'");
    FenDotation& f = Ouvrir();
    Click(f, "CmdSelecSites");
    Periode(f, vb::DateSerial(2024, 3, 1), vb::DateSerial(2024, 3, 31));
    Click(f, "CmdGenerer");
    ASSERT_GT(f.NbLignesResultat, 0);
    auto tient = [](const QWidget& grille, const QString& texte, int twips) {
        return grille.fontMetrics().horizontalAdvance(texte) + 8 <= win::TwipsToPixels(twips);
    };
    for (int c : {4, 7, 8})
        EXPECT_TRUE(
            tient(*f.MSFlexGrid1, f.MSFlexGrid1->TextMatrix(1, c), f.MSFlexGrid1->ColWidth(c)))
            << f.MSFlexGrid1->TextMatrix(1, c).toStdString();
    EXPECT_TRUE(tient(*f.DataGrid3, "USINE DE NANTES", f.DataGrid3->Columns(0).Width()));
}

// A generated company of 120 employees on 30 articles in three profiles: the grid, computed
// twice, holds per article, site and service the statement's quantities rounded half to even and
// summed, with a TOTAL under each article of several groups; the workbook holds every cell of the
// grid, the TOTAL lines bold on their fill.
TEST_F(Planificateur, AGeneratedCompanyIsComputedAndExportedAsTheStatementGives)
{
    zad.Connection().BeginTrans();
    for (int a = 0; a < 30; ++a)
        Execute("INSERT INTO ArticleEnStock (Reference, Designation, Famille, Taille, "
                "NoFournisseur, QteEnStock) VALUES (" +
                std::to_string(3000 + a) + ", 'ARTICLE " + std::to_string(a) + "', " +
                (a % 2 ? "1" : "3") + ", " + std::to_string(1 + a % 4) + ", 1, " +
                std::to_string(a * 40) + ")");
    for (int p = 0; p < 3; ++p) {
        Execute("INSERT INTO ProfileQuota (NoQuota, Profile) VALUES (" + std::to_string(20 + p) +
                ", 'GENERE " + std::to_string(p) + "')");
        for (int a = p; a < 30; a += 2)
            Execute("INSERT INTO Quota (NoQota, RefArticle, QtePermise, Periodicite) VALUES (" +
                    std::to_string(20 + p) + ", " + std::to_string(3000 + a) + ", " +
                    std::to_string(1 + (a * 7 + p) % 5) + ", " +
                    std::to_string(std::array{7, 30, 45, 90}[size_t(a + p) % 4]) + ")");
    }
    for (int e = 0; e < 120; ++e)
        Execute("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom, Site, Service, Quota) VALUES ('" +
                std::to_string(5000 + e) + "', 'NOM " + std::to_string(e) + "', 'P', " +
                std::to_string(1 + e % 2) + ", " + std::to_string(1 + e % 3) + ", " +
                std::to_string(20 + e % 3) + ")");
    zad.Connection().CommitTrans();

    FenDotation& f = Ouvrir();
    Click(f, "CmdSelecSites");
    f.data1->Recordset().MoveNext();
    Click(f, "CmdSelecSites");
    Periode(f, vb::DateSerial(2024, 3, 1), vb::DateSerial(2024, 4, 14));
    ASSERT_EQ(f.NbJours, 44);

    // The lines the grid must show, from the statement's rows.
    ado::Recordset rs;
    const std::string filtre = CalculDotation::Filtre(
        CalculDotation::ConstruireConditions({{1, 0, 0}, {2, 0, 0}}), std::string());
    rs.Open(CalculDotation::RequeteCalcul(f.NbJours, filtre), zad.Connection());
    std::vector<QStringList> attendu;
    QStringList groupe;
    long quantite = 0, total = 0;
    int groupes = 0;
    auto fermerGroupe = [&] {
        groupe[6] = QString::number(quantite);
        attendu.push_back(groupe);
        total += quantite;
        quantite = 0;
        ++groupes;
    };
    auto fermerArticle = [&] {
        fermerGroupe();
        if (groupes > 1)
            attendu.push_back({"", "", "TOTAL", "", "", "", QString::number(total), "", ""});
        total = 0;
        groupes = 0;
    };
    for (; !rs.Eof(); rs.MoveNext()) {
        auto texte = [&](const char* champ) {
            const vb::Variant valeur = rs[champ].Value();
            return valeur.IsNull() ? QString() : QString::fromStdString(vb::CStr(valeur));
        };
        const QStringList ligne{"",
                                "",
                                "",
                                texte("RefArticle"),
                                texte("Designation"),
                                texte("NomTaille"),
                                "",
                                texte("NomSite"),
                                texte("NomService")};
        if (!groupe.isEmpty() && ligne[3] != groupe[3])
            fermerArticle();
        else if (!groupe.isEmpty() && (ligne[7] != groupe[7] || ligne[8] != groupe[8]))
            fermerGroupe();
        groupe = ligne;
        quantite += std::lrint(vb::CDbl(rs["Qte"].Value()));
    }
    fermerArticle();
    ASSERT_GT(attendu.size(), 60u);

    for (int essai = 0; essai < 2; ++essai) {
        SCOPED_TRACE(essai);
        Click(f, "CmdGenerer");
        ASSERT_EQ(f.NbLignesResultat, int(attendu.size()));
        ASSERT_EQ(f.MSFlexGrid1->Rows(), int(attendu.size()) + 1);
        for (size_t i = 0; i < attendu.size(); ++i)
            ASSERT_EQ(Ligne(f, int(i) + 1), attendu[i]) << i + 1;
    }

    const std::string dossier = zad.Folder().Path().string();
    std::filesystem::copy_file(HARNIX_ASSETS_DIR "/DotationMO.xlsx", dossier + "/DotationMO.xlsx");
    Click(f, "Command1");
    ASSERT_EQ(ouverts.size(), 1u);
    std::vector<std::string> cellules;
    std::string lu;
    for (size_t i = 0; i < attendu.size(); ++i)
        for (int j = 0; j <= 8; ++j) {
            const std::string cellule = char('A' + j) + std::to_string(i + 5);
            cellules.push_back(cellule);
            const bool totale = attendu[i][2] == "TOTAL";
            lu += cellule + "|" + attendu[i][j].toStdString() + "|8|" +
                  (totale && j >= 2 ? "1|FED18D" : "0|-") + "\n";
        }
    EXPECT_EQ(workbook::testing::LireCellules(ouverts[0], "Feuil1", cellules), lu);
}

// A year of sample movements, offered after a question (the generation itself:
// MouvementsMensuelsTest).
TEST_F(Planificateur, OffersTheSampleMovementsAfterItsQuestion)
{
    Execute("DELETE FROM DetailVente");
    Execute("DELETE FROM Ventes");
    Execute("DELETE FROM Utilisateurs WHERE NoBadge = '1002'");
    FenDotation& f = forms::form<FenDotation>();
    f.Show();
    Script().ExpectMsgBox(forms::vbNo, "2005");
    Click(*f.CmdMouvementsMensuels);
    EXPECT_EQ(Script().Boxes().back().title, "Confirmation");
    EXPECT_EQ(Script().Boxes().back().style, forms::vbYesNo + forms::vbExclamation);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Ventes"), "0");
    Script().ExpectMsgBox(forms::vbYes, "2005");
    Click(*f.CmdMouvementsMensuels);
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM Ventes WHERE TypeMouvement = 2"), "72");
    EXPECT_EQ(Script().Boxes().size(), 2u);
}

} // namespace
