// The machine configuration window over a real zad.MDB: the content display by shelf and by
// column, configuration mode with the article picker, the save of the lines, the refill list
// and the five machine sheets printed to PDF.

#include "harnix/distribution/FrmConfigMachine.h"

#include "harnix/catalogue/FrmStock.h"
#include "harnix/shell/Fenetres.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"
#include "platform/win/Locale.h"
#include "tests/harnix/distribution/ComptoirFixture.h"
#include "tests/harnix/reports/Visionneuse.h"

#include <QDir>
#include <QFile>
#include <QScrollBar>

#include <vector>

namespace {

using forms::testing::OnNextModal;
using forms::testing::Script;

struct Machine
{
    int numero, type, emplacements, portes;
    const char* chargement; // nullptr: Null
};

class ConfigMachine : public distribution::testing::DistributionTest
{
protected:
    void SetUp() override
    {
        DistributionTest::SetUp();
        Fenetres::Enregistrer();
        for (const char* table : {"Machines", "EmplacementsMachine1", "ConfigMachines"})
            Execute(std::string("DELETE FROM ") + table);
    }

    void AjouterMachine(const Machine& m)
    {
        Execute("INSERT INTO Machines (NoMachine, Type, NbEmplacement, NbPorte, Location, "
                "Chargement) VALUES (" +
                std::to_string(m.numero) + ", " + std::to_string(m.type) + ", " +
                std::to_string(m.emplacements) + ", " + std::to_string(m.portes) + ", 'Lieu " +
                std::to_string(m.numero) + "', " +
                (m.chargement ? "'" + std::string(m.chargement) + "'" : "NULL") + ")");
    }
    // Lines 1 to n of the machine, with the articles given for the first ones.
    void Lignes(int machine, int n, const std::vector<int>& articles = {})
    {
        for (int i = 1; i <= n; ++i)
            Execute(
                "INSERT INTO ConfigMachines (NoMachine, Etage, ReferenceArticle) VALUES (" +
                std::to_string(machine) + ", " + std::to_string(i) + ", " +
                (size_t(i) <= articles.size() ? std::to_string(articles[size_t(i - 1)]) : "NULL") +
                ")");
    }
    // Slots of one shelf (or column) of a machine: `pleins` holding article 1000, `vides` empty.
    void Emplacements(int machine, const char* colonne, int numero, int pleins, int vides)
    {
        for (int k = 0; k < pleins + vides; ++k)
            Execute("INSERT INTO EmplacementsMachine1 (NoMachine, " + std::string(colonne) +
                    ", Reference) VALUES (" + std::to_string(machine) + ", " +
                    std::to_string(numero) + ", " + (k < pleins ? "1000" : "NULL") + ")");
    }

    FrmConfigMachine& Ouvrir()
    {
        FrmConfigMachine& f = forms::form<FrmConfigMachine>();
        f.Show();
        f.Form_Activate();
        return f;
    }
    static void Choisir(FrmConfigMachine& f, int machine)
    {
        f.Adodc1->Recordset().Find("NoMachine=" + std::to_string(machine), 0, ado::adSearchForward,
                                   ado::adBookmarkFirst);
        f.DataGrid1_Click();
    }
    static QString Cellule(FrmConfigMachine& f, int ligne, int colonne)
    {
        return f.MSFlexGrid1->TextMatrix(ligne, colonne);
    }

    // Rows of the refill list: Etage, Reference, NbUnite, Aremplir, NumMach.
    std::vector<std::string> Remplissage()
    {
        std::vector<std::string> lignes;
        ado::Recordset rs;
        rs.Open("SELECT Etage, Reference, NbUnite, Aremplir, NumMach FROM "
                "TRemplissageMachine ORDER BY NumMach, rowid",
                zad.Connection());
        for (; !rs.Eof(); rs.MoveNext()) {
            std::string l;
            for (long c = 0; c < rs.Fields().Count(); ++c)
                l += (c ? "/" : "") + database::testing::Text(rs.Fields(c).Value());
            lignes.push_back(l);
        }
        return lignes;
    }

    // Clicks a sheet button; the viewer it shows is written to a PDF and closed; its text.
    QString Fiche(QPushButton* bouton)
    {
        return reports::testing::TexteVu(
            *bouton, QString::fromStdString(zad.Folder().Path().string()) + "/fiche.pdf");
    }
};

TEST_F(ConfigMachine, ShelfDisplayShowsUnitsToFillAndLevels)
{
    AjouterMachine({1, 1, 40, 4, "ETAGE"});
    AjouterMachine({2, 1, 10, 4, "ETAGE"});
    Lignes(1, 3, {1000, 999999});
    Emplacements(1, "Etage", 1, 7, 3);
    Emplacements(1, "Etage", 2, 12, 0); // more than the shelf holds
    Lignes(2, 1, {1001});
    Emplacements(2, "Etage", 1, 1, 1);
    FrmConfigMachine& f = Ouvrir();
    EXPECT_EQ(f.Caption(), "Configuration machine");
    Choisir(f, 1);
    EXPECT_EQ(f.TypeAffichage, 1);
    EXPECT_TRUE(f.DataGrid1->isHidden());
    EXPECT_EQ(f.CmdClose->text(), "Autre Machine");
    EXPECT_EQ(f.Label3->text(), "Contenue machine Lieu 1");
    ASSERT_EQ(f.MSFlexGrid1->Rows(), 4);
    EXPECT_EQ(f.MSFlexGrid1->TextMatrix(0, 5), "Nbre à remplir");

    struct Cas
    {
        int ligne;
        QString titre, designation, reference, unites, reste;
        int champReste, niveau;
    };
    for (const Cas& c : {Cas{1, "Etage 1", "GANTS T8", "1000", "7", "3", 3, 70},
                         // An article that does not exist: the line stays, without designation.
                         Cas{2, "Etage 2", "", "999999", "12", "-2", -2, 100},
                         // No slot rows: no count, an empty bar.
                         Cas{3, "Etage 3", "", "", "", "", 0, 0}}) {
        SCOPED_TRACE(c.ligne);
        EXPECT_EQ(Cellule(f, c.ligne, 0), c.titre);
        EXPECT_EQ(Cellule(f, c.ligne, 1), c.designation);
        EXPECT_EQ(Cellule(f, c.ligne, 2), c.reference);
        EXPECT_EQ(Cellule(f, c.ligne, 4), c.unites);
        EXPECT_EQ(Cellule(f, c.ligne, 5), c.reste);
        EXPECT_EQ(f.LignesMachine[size_t(c.ligne)][FrmConfigMachine::ChampARemplir], c.champReste);
        EXPECT_EQ(f.LignesMachine[size_t(c.ligne)][FrmConfigMachine::ChampMachine], 1);
        EXPECT_TRUE(f.SSPanel2(c.ligne).isVisibleTo(&f));
        EXPECT_EQ(f.SSPanel2(c.ligne).FloodPercent(), c.niveau);
    }
    // Even lines coloured, in the grid and on their bars.
    f.MSFlexGrid1->SetRow(2);
    f.MSFlexGrid1->SetCol(3);
    EXPECT_EQ(f.MSFlexGrid1->CellBackColor(), FrmConfigMachine::CouleurLignePaire);
    EXPECT_EQ(f.SSPanel2(2).BackColor(), FrmConfigMachine::CouleurLignePaire);
    f.MSFlexGrid1->SetRow(1);
    EXPECT_NE(f.MSFlexGrid1->CellBackColor(), FrmConfigMachine::CouleurLignePaire);
    EXPECT_FALSE(f.SSPanel2(4).isVisibleTo(&f));

    // Capacity 2.5: 1,5 to fill, the field rounded to 2; a bar never keeps another machine's
    // level.
    f.CmdClose_Click();
    EXPECT_FALSE(f.DataGrid1->isHidden());
    Choisir(f, 2);
    EXPECT_EQ(Cellule(f, 1, 5), QString::fromStdString("1" + win::DecimalSeparator() + "5"));
    EXPECT_EQ(f.LignesMachine[1][FrmConfigMachine::ChampARemplir], 2);
    EXPECT_EQ(f.SSPanel2(1).FloodPercent(), 40);
    EXPECT_FALSE(f.SSPanel2(2).isVisibleTo(&f));
}

// A place left empty in the machines' grid is stored as Null; the title goes on without it
// instead of keeping the machine shown before.
TEST_F(ConfigMachine, AMachineWithoutPlaceIsTitledWithoutIt)
{
    AjouterMachine({1, 1, 40, 4, "ETAGE"});
    AjouterMachine({2, 1, 10, 4, "ETAGE"});
    Execute("UPDATE Machines SET Location = NULL WHERE NoMachine = 2");
    FrmConfigMachine& f = Ouvrir();
    Choisir(f, 1);
    EXPECT_EQ(f.Label3->text(), "Contenue machine Lieu 1");
    Choisir(f, 2);
    EXPECT_EQ(f.Label3->text(), "Contenue machine ");
    EXPECT_TRUE(Script().Boxes().empty());
}

TEST_F(ConfigMachine, ColumnDisplayStepsByModel)
{
    AjouterMachine({3, 1, 36, 4, "etage"}); // lower case: by column
    Lignes(3, 3);
    Emplacements(3, "Colonne", 1, 1, 3);
    Emplacements(3, "Colonne", 5, 4, 0);
    Emplacements(3, "Colonne", 2, 2, 2); // column 2 is no line of a model 1
    AjouterMachine({4, 3, 36, 4, nullptr});
    Lignes(4, 3);
    FrmConfigMachine& f = Ouvrir();
    Choisir(f, 3);
    EXPECT_EQ(f.TypeAffichage, 2);
    EXPECT_EQ(Cellule(f, 1, 0), "Colonne 1");
    EXPECT_EQ(Cellule(f, 2, 0), "Colonne 5");
    EXPECT_EQ(Cellule(f, 3, 0), "Colonne 9");
    EXPECT_EQ(Cellule(f, 1, 4), "1");
    EXPECT_EQ(Cellule(f, 1, 5), "3");
    EXPECT_EQ(Cellule(f, 2, 4), "4");
    EXPECT_EQ(f.SSPanel2(2).FloodPercent(), 100);
    EXPECT_EQ(Cellule(f, 3, 4), "");
    EXPECT_EQ(f.LignesMachine[2][FrmConfigMachine::ChampLigne], 5);

    f.CmdClose_Click();
    Choisir(f, 4);
    EXPECT_EQ(Cellule(f, 3, 0), "Colonne 3");
    EXPECT_TRUE(FrmConfigMachine::EstImpair(3));
    EXPECT_FALSE(FrmConfigMachine::EstImpair(36));
}

TEST_F(ConfigMachine, LinesBeyondThirtySixAreInTheGridOnly)
{
    AjouterMachine({5, 5, 252, 7, "ETAGE"});
    Lignes(5, 37);
    Emplacements(5, "Etage", 36, 1, 0);
    FrmConfigMachine& f = Ouvrir();
    Choisir(f, 5);
    ASSERT_EQ(f.MSFlexGrid1->Rows(), 38);
    EXPECT_EQ(Cellule(f, 37, 0), "Etage 37");
    EXPECT_EQ(f.LignesMachine[36][FrmConfigMachine::ChampUnites], 1);
    EXPECT_TRUE(f.SSPanel2(36).isVisibleTo(&f));
    EXPECT_EQ(f.SSPanel2(36).y(), f.SSPanel2(35).y() + f.SSPanel2(35).height());
}

// A long designation and a two-digit column read whole, the grid needs no scroll bar, and the
// fill bars stand clear of it, the picture and the buttons clear of the bars.
TEST_F(ConfigMachine, ContentGridReadsWhole)
{
    Execute("UPDATE ArticleEnStock SET Designation = 'LUNETTES DE PROTECTION INCOLORES' WHERE "
            "Reference = 1000");
    AjouterMachine({6, 3, 36, 4, nullptr});
    Lignes(6, 12, {1000});
    Emplacements(6, "Colonne", 1, 2, 2);
    FrmConfigMachine& f = Ouvrir();
    Choisir(f, 6);
    forms::MSFlexGrid& grille = *f.MSFlexGrid1;
    ASSERT_EQ(Cellule(f, 12, 0), "Colonne 12");
    auto tient = [&](int ligne, int colonne) {
        const int texte = grille.fontMetrics().horizontalAdvance(Cellule(f, ligne, colonne));
        return texte + 8 <= grille.columnWidth(colonne);
    };
    EXPECT_TRUE(tient(1, 1)) << "designation";
    EXPECT_TRUE(tient(12, 0)) << "line";
    for (int c = 1; c <= 5; ++c)
        EXPECT_TRUE(tient(0, c) || Cellule(f, 0, c).contains(' ')) << "header " << c;
    EXPECT_FALSE(grille.horizontalScrollBar()->isVisible());
    int largeur = 0;
    for (int c = 0; c < grille.Cols(); ++c)
        largeur += grille.columnWidth(c);
    EXPECT_LE(largeur, grille.viewport()->width());
    EXPECT_GE(f.SSPanel2(1).x(), grille.geometry().right());
    EXPECT_GE(f.Picture1->x(), f.SSPanel2(1).geometry().right());
    EXPECT_GE(f.CmdClose->x(), f.SSPanel2(1).geometry().right());
    EXPECT_LE(f.CmdClose->geometry().right(), f.width());
}

TEST_F(ConfigMachine, ModelPictureFollowsTheList)
{
    AjouterMachine({1, 1, 40, 4, "ETAGE"});
    AjouterMachine({2, 6, 40, 4, "ETAGE"});
    QImage modele(30, 40, QImage::Format_RGB32);
    modele.fill(Qt::blue);
    ASSERT_TRUE(modele.save(QString::fromStdString(Global::ProgramFolder() + "/MOD-1.jpg")));
    FrmConfigMachine& f = Ouvrir();
    EXPECT_EQ(f.Picture1->Picture().width(), 30);
    f.Adodc1->MoveNext();
    EXPECT_TRUE(f.Picture1->Picture().isNull());
}

TEST_F(ConfigMachine, ConfigurationPicksSavesAndRefusesOccupiedLines)
{
    AjouterMachine({1, 1, 40, 4, "ETAGE"});
    Lignes(1, 3, {1000, 1001});
    Emplacements(1, "Etage", 1, 2, 8); // occupied
    Emplacements(1, "Etage", 2, 0, 10);
    FrmConfigMachine& f = Ouvrir();
    EXPECT_TRUE(Global::ConfigMachineOuverte);
    Choisir(f, 1);
    ASSERT_TRUE(f.CmdModeConfig->isEnabled());
    f.MSFlexGrid1->SetRow(2);
    f.MSFlexGrid1_Click(); // not in configuration mode: nothing
    f.CmdModeConfig_Click();
    EXPECT_TRUE(f.ModeConfig);
    EXPECT_TRUE(f.CmdEnregiConfig->isVisibleTo(&f));
    EXPECT_EQ(f.LigneOccupee[0], true);
    EXPECT_EQ(f.LigneOccupee[1], false);

    // An empty line takes the article picked with the article window's select button.
    OnNextModal([&](forms::Form& modale) {
        auto& stock = dynamic_cast<FrmStock&>(modale);
        EXPECT_TRUE(stock.CmdSelectioner->isVisibleTo(&stock));
        EXPECT_FALSE(stock.CmdAjout->isVisibleTo(&stock));
        EXPECT_FALSE(stock.CmdCatalogue->isVisibleTo(&stock));
        stock.data1->Recordset().Find("Reference=1001", 0, ado::adSearchForward,
                                      ado::adBookmarkFirst);
        forms::testing::Click(*stock.CmdSelectioner);
        EXPECT_FALSE(stock.isVisible());
    });
    f.MSFlexGrid1_Click();
    EXPECT_EQ(Cellule(f, 2, 1), "CHAUSSURES P42");
    EXPECT_EQ(Cellule(f, 2, 2), "1001");
    EXPECT_EQ(Cellule(f, 2, 3), "2");
    // Closing the picker without a pick takes the article off the line.
    f.MSFlexGrid1->SetRow(3);
    f.MSFlexGrid1->SetTextMatrix(3, 2, "1001");
    OnNextModal([](forms::Form& modale) { modale.Hide(); });
    f.MSFlexGrid1_Click();
    EXPECT_EQ(Cellule(f, 3, 2), "");
    // An occupied line opens no picker.
    f.MSFlexGrid1->SetRow(1);
    f.MSFlexGrid1_Click();
    EXPECT_FALSE(forms::testing::DropModalActions());
    EXPECT_EQ(Cellule(f, 1, 2), "1000");

    f.CmdEnregiConfig_Click();
    EXPECT_FALSE(f.CmdEnregiConfig->isVisibleTo(&f));
    EXPECT_TRUE(f.ModeConfig);
    EXPECT_EQ(Stored("SELECT ReferenceArticle || '/' || CodeArticle || '/' || Designation FROM "
                     "ConfigMachines WHERE Etage = 2"),
              "1001/2/CHAUSSURES P42");
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM ConfigMachines WHERE Etage = 3 AND ReferenceArticle IS "
                     "NULL AND CodeArticle IS NULL AND Designation IS NULL"),
              "1");
    EXPECT_EQ(Stored("SELECT ReferenceArticle FROM ConfigMachines WHERE Etage = 1"), "1000");

    // A row without a grid line: nothing of the machine is saved.
    Execute("INSERT INTO ConfigMachines (NoMachine, Etage) VALUES (1, 9)");
    f.MSFlexGrid1->SetTextMatrix(2, 2, "1000");
    f.CmdModeConfig_Click();
    Script().ExpectMsgBox(forms::vbOK, "CmdEnregiConfig_Click");
    f.CmdEnregiConfig_Click();
    EXPECT_EQ(Stored("SELECT ReferenceArticle FROM ConfigMachines WHERE Etage = 2"), "1001");
    EXPECT_TRUE(f.CmdEnregiConfig->isVisibleTo(&f));

    // Closing from the list hides the window and frees the picker.
    f.CmdClose_Click();
    f.CmdClose_Click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(Global::ConfigMachineOuverte);
    EXPECT_EQ(f.CmdClose->text(), "Fermer");
}

TEST_F(ConfigMachine, FlagsBelongToTheShownMachineAndItsLines)
{
    AjouterMachine({1, 1, 40, 4, "ETAGE"});
    Lignes(1, 2);
    Emplacements(1, "Etage", 2, 1, 0);
    AjouterMachine({2, 2, 90, 5, nullptr});
    Lignes(2, 3);
    Emplacements(2, "Colonne", 3, 1, 4);    // the second line of a model 2
    AjouterMachine({3, 1, 40, 4, "ETAGE"}); // no slot rows: empty
    Lignes(3, 2);
    FrmConfigMachine& f = Ouvrir();
    Choisir(f, 1);
    EXPECT_TRUE(f.LigneOccupee[1]);
    f.CmdClose_Click();
    Choisir(f, 2);
    EXPECT_FALSE(f.LigneOccupee[0]);
    EXPECT_TRUE(f.LigneOccupee[1]);
    EXPECT_FALSE(f.LigneOccupee[2]);
    f.CmdClose_Click();
    Choisir(f, 3);
    EXPECT_TRUE(f.CmdModeConfig->isEnabled());
    EXPECT_FALSE(f.LigneOccupee[1]);
}

TEST_F(ConfigMachine, RefillListOfTheShownMachineAndOfAll)
{
    AjouterMachine({1, 1, 40, 4, "ETAGE"});
    Lignes(1, 5, {1000});
    for (int e = 1; e <= 5; ++e)
        Emplacements(1, "Etage", e, e, 10 - e);
    AjouterMachine({2, 2, 90, 5, nullptr});
    Lignes(2, 3, {1001});
    Emplacements(2, "Colonne", 1, 2, 3);
    Emplacements(2, "Colonne", 3, 5, 0);
    // Machine 3 is column-loaded with a model 1: its lines are columns 1 and 5; column 5 has no
    // slot rows and counts 0.
    AjouterMachine({3, 1, 36, 4, nullptr});
    Lignes(3, 2);
    Emplacements(3, "Colonne", 1, 1, 3);
    Emplacements(3, "Colonne", 2, 4, 0);
    FrmConfigMachine& f = Ouvrir();

    // Before any machine is chosen the global build runs all the same.
    ASSERT_TRUE(f.RemplissageMachineGlobal());
    ASSERT_EQ(Remplissage().size(), 10u);
    const std::vector<std::string> global = Remplissage();
    EXPECT_EQ(global[0], "1/1000/1/9/1");
    EXPECT_EQ(global[1], "2/Null/2/8/1");
    EXPECT_EQ(global[5], "1/1001/2/3/2");
    EXPECT_EQ(global[6], "2/Null/5/0/2");
    EXPECT_EQ(global[7], "3/Null/0/5/2");
    EXPECT_EQ(global[8], "1/Null/1/3/3");
    EXPECT_EQ(global[9], "2/Null/0/4/3");
    EXPECT_EQ(database::testing::Text(f.Adodc1->Recordset()["NoMachine"].Value()), "3");

    Choisir(f, 1);
    ASSERT_TRUE(f.RemplisageMachine());
    EXPECT_EQ(Remplissage(), (std::vector<std::string>{"1/1000/1/9/1", "2/0/2/8/1", "3/0/3/7/1",
                                                       "4/0/4/6/1", "5/0/5/5/1"}));
    f.CmdClose_Click();
    Choisir(f, 2);
    ASSERT_TRUE(f.RemplisageMachine());
    EXPECT_EQ(Remplissage(), (std::vector<std::string>{"1/1001/2/3/2", "3/0/5/0/2", "5/0/0/0/2"}));
}

// A refill that fails part way leaves the last list whole: the old rows go only with the new
// ones all written.
TEST_F(ConfigMachine, FailedRefillKeepsTheLastList)
{
    AjouterMachine({1, 1, 40, 4, "ETAGE"});
    Lignes(1, 4, {1000});
    AjouterMachine({2, 1, 40, 4, "ETAGE"});
    Lignes(2, 3, {1001});
    FrmConfigMachine& f = Ouvrir();
    Choisir(f, 1);
    ASSERT_TRUE(f.RemplisageMachine());
    const std::vector<std::string> avant = Remplissage();
    ASSERT_EQ(avant.size(), 4u);

    // The third row of a list cannot be written.
    Execute("CREATE TRIGGER Plein BEFORE INSERT ON TRemplissageMachine WHEN NEW.Etage = 3 "
            "BEGIN SELECT RAISE(ABORT, 'plein'); END");
    Script().ExpectMsgBox(forms::vbOK, "RemplisageMachine");
    EXPECT_FALSE(f.RemplisageMachine());
    EXPECT_EQ(Remplissage(), avant);
    Script().ExpectMsgBox(forms::vbOK, "RemplissageMachineGlobal");
    EXPECT_FALSE(f.RemplissageMachineGlobal());
    EXPECT_EQ(Remplissage(), avant);
    EXPECT_EQ(Script().Pending(), 0u);

    // Nothing of the failed builds stays in the file's transaction: the next build writes.
    Execute("DROP TRIGGER Plein");
    ASSERT_TRUE(f.RemplissageMachineGlobal());
    EXPECT_EQ(Remplissage().size(), 7u);
}

TEST_F(ConfigMachine, FiveSheetsPrint)
{
    Global::CheminRapports = HARNIX_RAPPORTS;
    AjouterMachine({1, 1, 40, 4, "ETAGE"});
    Lignes(1, 2, {1000});
    Emplacements(1, "Etage", 1, 3, 7);
    AjouterMachine({2, 2, 90, 5, nullptr});
    Lignes(2, 1, {1001});
    Emplacements(2, "Colonne", 1, 1, 4);
    Execute("UPDATE ArticleEnStock SET CodeArticle = 5 WHERE Reference = 1000");
    FrmConfigMachine& f = Ouvrir();
    Choisir(f, 1);

    const QString remplissage = Fiche(f.CmdRmplir);
    EXPECT_TRUE(remplissage.contains(QString::fromUtf8("Fiche de réapprovisionnement")));
    EXPECT_TRUE(remplissage.contains("05 1000 GANTS T8 3 7")) << remplissage.toStdString();
    EXPECT_FALSE(remplissage.contains("CHAUSSURES"));
    const QString presentation = Fiche(f.Command1);
    EXPECT_TRUE(presentation.contains("Liste des articles disponibles"));
    EXPECT_TRUE(presentation.contains("GANTS T8"));
    const QString etiquettes = Fiche(f.Command2);
    EXPECT_TRUE(etiquettes.contains("GANTS T8")) << etiquettes.toStdString();
    const QString global = Fiche(f.Command3);
    EXPECT_TRUE(global.contains("Lieu 1")) << global.toStdString();
    EXPECT_TRUE(global.contains("Lieu 2"));
    EXPECT_TRUE(global.contains("CHAUSSURES P42"));
    const QString total = Fiche(f.Command4);
    EXPECT_TRUE(total.contains("Total des Articles a"));
    EXPECT_TRUE(total.contains("GANTS T8"));
    EXPECT_TRUE(total.contains("CHAUSSURES P42"));
    // After the global build the shown machine's sheets are still its own.
    EXPECT_FALSE(Fiche(f.CmdRmplir).contains("CHAUSSURES"));
    Fiche(f.Command3);
    const QString apres = Fiche(f.Command1);
    EXPECT_TRUE(apres.contains("GANTS T8"));
    EXPECT_FALSE(apres.contains("CHAUSSURES"));
}

TEST_F(ConfigMachine, MachineNumberBeyondSixteenBitsIsRefused)
{
    AjouterMachine({40000, 1, 40, 4, "ETAGE"});
    Lignes(40000, 1, {1000});
    FrmConfigMachine& f = Ouvrir();
    Choisir(f, 40000);
    EXPECT_EQ(Cellule(f, 1, 2), "1000");
    Script().ExpectMsgBox(forms::vbOK, "32767");
    EXPECT_TRUE(Fiche(f.CmdRmplir).isEmpty());
    EXPECT_EQ(Script().Pending(), 0u);
    // The refill list was built all the same, with the number whole.
    EXPECT_EQ(Stored("SELECT NumMach FROM TRemplissageMachine"), "40000");
}

TEST_F(ConfigMachine, SheetWhoseBuildFailedIsNotPrinted)
{
    AjouterMachine({1, 1, 40, 4, "ETAGE"});
    Lignes(1, 1, {1000});
    FrmConfigMachine& f = Ouvrir();
    Choisir(f, 1);
    Execute("DROP TABLE TRemplissageMachine");
    Script().ExpectMsgBox(forms::vbOK, "RemplisageMachine");
    EXPECT_TRUE(Fiche(f.CmdRmplir).isEmpty());
    Script().ExpectMsgBox(forms::vbOK, "RemplissageMachineGlobal");
    EXPECT_TRUE(Fiche(f.Command3).isEmpty());
    EXPECT_EQ(Script().Pending(), 0u);
}

} // namespace
