#include "tests/harnix/catalogue/WindowFixture.h"

#include "harnix/staff/FenSites.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"

#include <gtest/gtest.h>

using namespace forms::testing;
using Strings = std::vector<std::string>;

namespace {

class FenSitesTest : public catalogue::testing::WindowTest
{
protected:
    FenSites& Ouvrir()
    {
        FenSites& fen = forms::form<FenSites>();
        fen.Show();
        return fen;
    }
    void ChoisirSite(FenSites& fen, const std::string& nom)
    {
        fen.data1->Recordset().Find("NomSite='" + nom + "'", 0, ado::adSearchForward,
                                    ado::adBookmarkFirst);
        ASSERT_FALSE(fen.data1->Recordset().Eof());
    }
    // Each service as "site:name".
    Strings LesServices()
    {
        return Stored("SELECT Nz(Site, 0) & ':' & NomService AS S FROM Services "
                      "ORDER BY Nz(Site, 0), NomService",
                      "S");
    }
    Strings Sites() { return Stored("SELECT NomSite FROM Sites ORDER BY NoSite", "NomSite"); }
};

TEST_F(FenSitesTest, ShowsTheServicesOfTheCurrentSite)
{
    FenSites& fen = Ouvrir();
    EXPECT_EQ(fen.Caption(), "Sites et Services");
    EXPECT_EQ(fen.Text3->text(), "LYON");
    EXPECT_EQ(fen.data2->Recordset().Source(), "Services where Site=1 order by NomService");
    EXPECT_EQ(fen.Text1->text(), "ATELIER");
    EXPECT_EQ(fen.data2->Recordset().RecordCount(), 2);

    ChoisirSite(fen, "NANTES");
    EXPECT_EQ(fen.data2->Recordset().Source(), "Services where Site=2 order by NomService");
    EXPECT_EQ(fen.data2->Recordset().RecordCount(), 1);
}

TEST_F(FenSitesTest, ServiceDuplicateTestCoversTheCurrentSiteAndTheWholeName)
{
    struct Case
    {
        const char* site;
        const char* service;
        bool refuse;
    } cases[] = {
        {"LYON", "atelier", true},
        {"NANTES", "MAINTENANCE", false},
        {"LYON", "ATELIERS", false},
        {"NANTES", "ATELIER", true},
    };
    FenSites& fen = Ouvrir();
    Strings attendu = LesServices();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.site) + " " + c.service);
        ChoisirSite(fen, c.site);
        Click(fen, "CmdAdd");
        EXPECT_EQ(fen.CmdModifier->text(), "Enregistrer");
        EXPECT_TRUE(fen.CmdModifier->font().underline());
        fen.Text1->setText(c.service);
        if (c.refuse)
            Script().ExpectMsgBox(forms::vbCancel,
                                  QString("Le Service %1 existe déjà !").arg(c.service));
        Click(fen, "CmdModifier");
        EXPECT_EQ(fen.CmdModifier->text(), "Modifier");
        EXPECT_FALSE(fen.CmdModifier->font().underline());
        if (c.refuse) {
            EXPECT_EQ(Script().Boxes().back().style, 54);
            EXPECT_EQ(fen.Text1->text(), "");
        } else {
            attendu.push_back((c.site == std::string("LYON") ? "1:" : "2:") +
                              std::string(c.service));
        }
    }
    std::sort(attendu.begin(), attendu.end());
    EXPECT_EQ(LesServices(), attendu);
}

TEST_F(FenSitesTest, ServiceNameTakesLettersAndDigitsOnly)
{
    FenSites& fen = Ouvrir();
    fen.Text1->clear();
    Type(fen, "Text1", "Bât A-2 é\b");
    EXPECT_EQ(fen.Text1->text(), "BtA");
    Type(fen, "Text3", "Bât A-2");
    EXPECT_EQ(fen.Text3->text(), "LYONBât A-2");
}

TEST_F(FenSitesTest, SiteAddAndModify)
{
    FenSites& fen = Ouvrir();
    // An empty name ends add mode without saving.
    Click(fen, "CommandAddSite");
    Click(fen, "CommandModifSite");
    EXPECT_EQ(fen.CommandModifSite->text(), "Modifier");
    EXPECT_EQ(Sites(), (Strings{"LYON", "NANTES"}));

    // A quote in the name is saved and found again by the duplicate test.
    for (int fois = 0; fois < 2; ++fois) {
        Click(fen, "CommandAddSite");
        fen.Text3->setText("D'ARTAGNAN");
        fen.Text5->setText("1 rue de l'Usine");
        if (fois == 1)
            Script().ExpectMsgBox(forms::vbCancel, "Le Site D'ARTAGNAN existe déjà !");
        Click(fen, "CommandModifSite");
    }
    EXPECT_EQ(Sites(), (Strings{"LYON", "NANTES", "D'ARTAGNAN"}));
    EXPECT_EQ(fen.Text3->text(), "");

    // The new site stayed current: its services are those of no other site.
    ChoisirSite(fen, "D''ARTAGNAN");
    EXPECT_EQ(fen.data2->Recordset().RecordCount(), 0);
    EXPECT_EQ(fen.Text5->text(), "1 rue de l'Usine");
    fen.Text4->setText("Entrepôt");
    Click(fen, "CommandModifSite");
    EXPECT_EQ(Stored("SELECT Info FROM Sites WHERE NomSite='D''ARTAGNAN'", "Info"),
              Strings{"Entrepôt"});
    EXPECT_EQ(fen.Text3->text(), "D'ARTAGNAN");
}

TEST_F(FenSitesTest, AnAddedSiteAndServiceStayShownSoThatAModificationKeepsThem)
{
    FenSites& fen = Ouvrir();
    Click(fen, "CommandAddSite");
    fen.Text3->setText("PARIS");
    fen.Text5->setText("2 rue du Port");
    fen.Text4->setText("Siège");
    Click(fen, "CommandModifSite");
    EXPECT_EQ(fen.Text3->text(), "PARIS");
    EXPECT_EQ(fen.Text5->text(), "2 rue du Port");
    // The services are those of the new site, not those without site.
    EXPECT_EQ(fen.data2->Recordset().Source(), "Services where Site=3 order by NomService");
    EXPECT_EQ(fen.data2->Recordset().RecordCount(), 0);
    fen.Text4->setText("Dépôt");
    Click(fen, "CommandModifSite");
    EXPECT_EQ(
        Stored("SELECT NomSite & '|' & Adresse & '|' & Info AS S FROM Sites WHERE NoSite=3", "S"),
        Strings{"PARIS|2 rue du Port|Dépôt"});

    Click(fen, "CmdAdd");
    fen.Text1->setText("QUAI");
    fen.Text2->setText("Réception");
    Click(fen, "CmdModifier");
    EXPECT_EQ(fen.Text1->text(), "QUAI");
    EXPECT_EQ(fen.Text2->text(), "Réception");
    fen.Text2->setText("Expédition");
    Click(fen, "CmdModifier");
    EXPECT_EQ(Stored("SELECT NomService & '|' & Info AS S FROM Services WHERE Site=3", "S"),
              Strings{"QUAI|Expédition"});
    EXPECT_EQ(fen.data2->Recordset().RecordCount(), 1);
}

TEST_F(FenSitesTest, DeleteRemovesOnlyTheRowOrReportsTheRefusal)
{
    Execute("INSERT INTO Sites (NomSite) VALUES ('PARIS')");
    FenSites& fen = Ouvrir();
    const Strings services = LesServices();

    // NANTES holds a service: the database refuses.
    ChoisirSite(fen, "NANTES");
    Script().ExpectMsgBox(forms::vbCancel, "Suppression non autorisé !");
    Click(fen, "CommandSuppSite");
    EXPECT_EQ(Script().Boxes().back().title, "Erreur");
    ChoisirSite(fen, "PARIS");
    Click(fen, "CommandSuppSite");
    EXPECT_EQ(Sites(), (Strings{"LYON", "NANTES"}));
    EXPECT_EQ(LesServices(), services);

    // Site LYON's MAINTENANCE is held by an employee; ATELIERS is free.
    ChoisirSite(fen, "LYON");
    Execute("INSERT INTO Services (NomService, Site) VALUES ('ATELIERS', 1)");
    fen.data2->Recordset().Requery();
    fen.data2->Recordset().Find("NomService='ATELIERS'", 0, ado::adSearchForward,
                                ado::adBookmarkFirst);
    Click(fen, "CmdDel");
    fen.data2->Recordset().Find("NomService='MAINTENANCE'", 0, ado::adSearchForward,
                                ado::adBookmarkFirst);
    Script().ExpectMsgBox(forms::vbCancel, "Suppression non autorisé !");
    Click(fen, "CmdDel");
    EXPECT_EQ(LesServices(), services);
    EXPECT_EQ(fen.data2->Recordset().RecordCount(), 2);
}

} // namespace

namespace {

TEST_F(FenSitesTest, ServiceModificationRenamesTheCurrentServiceWithoutDuplicateTest)
{
    FenSites& fen = Ouvrir();
    fen.data2->Recordset().Find("NomService='MAINTENANCE'", 0, ado::adSearchForward,
                                ado::adBookmarkFirst);
    for (const char* nom : {"ATELIER", "ZONE1"}) {
        fen.Text1->setText(nom);
        fen.Text2->setText("Bâtiment B");
        Click(fen, "CmdModifier"); // no box: a rename is not tested for duplicates
        EXPECT_EQ(fen.Text1->text(), nom);
    }
    EXPECT_EQ(LesServices(), (Strings{"0:VOLANTE", "1:ATELIER", "1:ZONE1", "2:ATELIER"}));
    EXPECT_EQ(Stored("SELECT Info FROM Services WHERE NomService='ZONE1'", "Info"),
              Strings{"Bâtiment B"});
}

} // namespace
