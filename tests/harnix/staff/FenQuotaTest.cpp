// The profiles window: profiles and their quota lines, articles picked in the article window,
// the protected profile and a profile in use, names the database refuses, and the personal
// profile that the employee register creates.

#include "harnix/staff/FenQuota.h"

#include "tests/harnix/staff/StaffFixture.h"

#include "harnix/catalogue/FrmStock.h"
#include "harnix/commun/Global.h"
#include "harnix/shell/Fenetres.h"
#include "harnix/staff/FrmUtilisateur.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Registry.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

namespace {

using namespace forms::testing;
using Strings = std::vector<std::string>;

class FenQuotaTest : public staff::testing::StaffTest
{
protected:
    void SetUp() override
    {
        StaffTest::SetUp();
        Fenetres::Enregistrer();
    }

    // Opened from the main window: all profiles.
    FenQuota& Ouvrir()
    {
        FenQuota& q = forms::form<FenQuota>();
        q.DepuisFenUtilisateur = false;
        q.Show();
        return q;
    }

    static void AllerProfile(FenQuota& q, const std::string& nom)
    {
        ado::Recordset rs = q.data1->Recordset();
        rs.Find("Profile = '" + nom + "'", 0, ado::adSearchForward, ado::adBookmarkFirst);
        ASSERT_FALSE(rs.Eof()) << nom;
    }

    static Strings Lignes(FenQuota& q, const char* champ = "RefArticle")
    {
        ado::Recordset rs = q.data2->Recordset();
        if (rs.RecordCount() == 0)
            return {};
        const ado::Bookmark signet = rs.GetBookmark();
        Strings valeurs = database::testing::Column(rs, champ);
        rs.SetBookmark(signet);
        return valeurs;
    }

    static std::string Courante(FenQuota& q, const char* champ)
    {
        return database::testing::Text(q.data2->Recordset()[champ].Value());
    }

    // Runs "Ajout d'article" and, in the article window it opens, picks the article (0: closes
    // the picker without a pick).
    void AjouterArticle(FenQuota& q, long reference)
    {
        OnNextModal([&](forms::Form& fenetre) {
            auto& stock = dynamic_cast<FrmStock&>(fenetre);
            EXPECT_TRUE(stock.CmdSelectioner->isVisible());
            EXPECT_FALSE(stock.CmdAjout->isVisible());
            EXPECT_FALSE(stock.CmdScanner->isVisible());
            EXPECT_FALSE(stock.CmdChoixImage->isVisible());
            EXPECT_FALSE(stock.CmdCatalogue->isVisible());
            EXPECT_FALSE(stock.FrameFicheProduit->isVisible());
            if (reference == 0) {
                Click(*stock.CmdClose);
                return;
            }
            stock.data1->Recordset().Find("[Reference]=" + std::to_string(reference), 0,
                                          ado::adSearchForward, ado::adBookmarkFirst);
            Click(*stock.CmdSelectioner);
        });
        Click(*q.CmdAddArticle);
    }

    Strings Profils() { return Colonne("SELECT Profile FROM ProfileQuota ORDER BY NoQuota"); }
    Strings Colonne(const std::string& sql)
    {
        ado::Recordset rs;
        rs.Open(sql, zad.Connection());
        return database::testing::Column(rs, rs.Fields(0L).Name());
    }
};

TEST_F(FenQuotaTest, ArticlesPickedInTheArticleWindowBecomeQuotaLines)
{
    FenQuota& q = Ouvrir();
    EXPECT_TRUE(Global::FenQuotaOuverte);
    // The lines of the first profile, one of them for an article that no longer exists.
    EXPECT_EQ(Lignes(q), (Strings{"1000", "1001", "9999"}));
    EXPECT_EQ(Lignes(q, "Designation"), (Strings{"GANTS T8", "CHAUSSURES P42", "Null"}));

    // 1002 has no machine code: a profile takes it all the same.
    AjouterArticle(q, 1002);
    EXPECT_EQ(q.ReferenceZAD, 1002);
    EXPECT_EQ(Colonne("SELECT RefArticle FROM Quota WHERE NoQota = 1 ORDER BY NoLigne"),
              (Strings{"1000", "1001", "9999", "1002"}));
    EXPECT_EQ(Courante(q, "RefArticle"), "1002");
    EXPECT_EQ(Courante(q, "NoQota"), "1");
    // Its quantity and period are typed next, digits only, and saved on closing.
    Type(*q.Text2, "1x2");
    Type(*q.Text3, "9 0");
    EXPECT_EQ(q.Text2->Text(), "12");

    // An article already in the profile only becomes the current line.
    AjouterArticle(q, 1000);
    EXPECT_EQ(Courante(q, "RefArticle"), "1000");
    EXPECT_EQ(Lignes(q).size(), 4u);
    AjouterArticle(q, 0);
    EXPECT_EQ(q.ReferenceZAD, 0);
    EXPECT_EQ(Lignes(q).size(), 4u);

    // A header click sorts the lines by its column.
    q.DBGrid2_HeadClick(0);
    EXPECT_EQ(Lignes(q), (Strings{"1000", "1001", "1002", "9999"}));

    Click(*q.CmdClose);
    EXPECT_FALSE(q.isVisible());
    ASSERT_TRUE(forms::IsLoaded<FenQuota>()) << "Fermer only hides";
    EXPECT_EQ(Colonne("SELECT QtePermise FROM Quota WHERE RefArticle = 1002 AND NoQota = 1"),
              Strings{"12"});
    EXPECT_EQ(Colonne("SELECT Periodicite FROM Quota WHERE RefArticle = 1002 AND NoQota = 1"),
              Strings{"90"});
    // The article window is back to browsing; the register was left alone.
    FrmStock& stock = forms::form<FrmStock>();
    EXPECT_TRUE(stock.CmdSelectioner->isHidden());
    EXPECT_FALSE(stock.CmdAjout->isHidden());
    EXPECT_FALSE(stock.CmdScanner->isHidden());
    EXPECT_FALSE(stock.CmdCatalogue->isHidden());
    EXPECT_FALSE(forms::IsLoaded<FrmUtilisateur>());
}

// A long designation, as the demonstration's articles have them, reads whole in the lines.
TEST_F(FenQuotaTest, LinesReadWhole)
{
    Execute("UPDATE ArticleEnStock SET Designation = 'LUNETTES DE PROTECTION INCOLORES' "
            "WHERE Reference = 1000");
    FenQuota& q = Ouvrir();
    ASSERT_EQ(Lignes(q, "Designation").front(), "LUNETTES DE PROTECTION INCOLORES");
    // Each cell as wide as its delegate needs to draw it.
    QTableView* vue = q.DBGrid2->View();
    QStyleOptionViewItem option;
    option.initFrom(vue);
    for (int r = 0; r < vue->model()->rowCount(); ++r)
        for (int c = 0; c < q.DBGrid2->ColumnCount(); ++c) {
            const QModelIndex cellule = vue->model()->index(r, c);
            EXPECT_LE(vue->itemDelegate()->sizeHint(option, cellule).width(), vue->columnWidth(c))
                << cellule.data().toString().toStdString();
        }
    // With room left for the scroll bar that more lines bring.
    QHeaderView* entetes = vue->horizontalHeader();
    const int derniere = q.DBGrid2->ColumnCount() - 1;
    EXPECT_LE(entetes->sectionViewportPosition(derniere) + entetes->sectionSize(derniere),
              vue->viewport()->width() - vue->verticalScrollBar()->sizeHint().width());
}

TEST_F(FenQuotaTest, DeletingALineAsksFirst)
{
    FenQuota& q = Ouvrir();
    q.data2->Recordset().Find("RefArticle = 1001", 0, ado::adSearchForward, ado::adBookmarkFirst);
    Script().ExpectMsgBox(forms::vbNo, "Confirmer la suppression de: 1001 !");
    Click(*q.CmdDelArticle);
    EXPECT_EQ(Lignes(q).size(), 3u);
    Script().ExpectMsgBox(forms::vbYes, "Confirmer la suppression de: 1001 !");
    Click(*q.CmdDelArticle);
    EXPECT_EQ(Script().Boxes().back().title, "Confirmation");
    EXPECT_EQ(Lignes(q), (Strings{"1000", "9999"}));
}

TEST_F(FenQuotaTest, ProtectedProfileAndProfileInUseStay)
{
    Execute("INSERT INTO ProfileQuota (NoQuota, Profile) VALUES (108, 'GENERAL')");
    FenQuota& q = Ouvrir();

    AllerProfile(q, "GENERAL");
    Script().ExpectMsgBox(forms::vbOK, "Suppression non autorisée !");
    Click(*q.CmdDelProfile);
    EXPECT_EQ(Script().Boxes().back().style, forms::vbOKCancel + forms::vbExclamation);
    // No article can be added to it: the article window is not even shown.
    Click(*q.CmdAddArticle);
    EXPECT_FALSE(forms::IsLoaded<FrmStock>());

    AllerProfile(q, "PRODUCTION");
    Script().ExpectMsgBox(forms::vbYes, "Confirmer la suppression de: PRODUCTION !");
    Script().ExpectMsgBox(forms::vbOK,
                          "Ce profile est utilisée, la suppression n'est pas autorisée !");
    Click(*q.CmdDelProfile);
    EXPECT_EQ(Profils(), (Strings{"PRODUCTION", "BUREAU", "GENERAL"}));
    EXPECT_EQ(q.data1->Recordset().RecordCount(), 3);

    // Opened for one employee, the window deletes no profile.
    q.DepuisFenUtilisateur = true;
    AllerProfile(q, "BUREAU");
    Click(*q.CmdDelProfile);
    EXPECT_EQ(Profils().size(), 3u);

    // A profile nobody uses goes; its lines stay.
    q.DepuisFenUtilisateur = false;
    Script().ExpectMsgBox(forms::vbYes, "Confirmer la suppression de: BUREAU !");
    Click(*q.CmdDelProfile);
    EXPECT_EQ(Profils(), (Strings{"PRODUCTION", "GENERAL"}));
    EXPECT_EQ(Colonne("SELECT RefArticle FROM Quota WHERE NoQota = 2"), Strings{"1002"});
}

TEST_F(FenQuotaTest, NewProfileNamesThatExistAreTold)
{
    FenQuota& q = Ouvrir();
    Click(*q.CmdAddProfile);
    EXPECT_EQ(Profils(), (Strings{"PRODUCTION", "BUREAU", "-"}));
    EXPECT_TRUE(q.Text1->hasFocus());
    EXPECT_EQ(q.Text1->Text(), "");
    EXPECT_TRUE(Lignes(q).empty());

    // A second new profile waits for the first one's name.
    Script().ExpectMsgBox(forms::vbOK, "Un profile \"-\" attend déjà son nom");
    Click(*q.CmdAddProfile);
    EXPECT_EQ(Profils(), (Strings{"PRODUCTION", "BUREAU", "-"}));
    EXPECT_EQ(database::testing::Text(q.data1->Recordset()["Profile"].Value()), "-");

    // A name another profile holds keeps the window open; the name typed in small letters is
    // saved in capitals.
    Type(*q.Text1, "bureau\r");
    EXPECT_EQ(q.Text1->Text(), "BUREAU");
    Script().ExpectMsgBox(forms::vbOK, "Ce profile existe déjà !");
    Click(*q.CmdClose);
    EXPECT_TRUE(q.isVisible());
    EXPECT_EQ(Profils(), (Strings{"PRODUCTION", "BUREAU", "-"}));
    q.Text1->SetText("CHANTIER");
    Click(*q.CmdClose);
    EXPECT_FALSE(q.isVisible());
    EXPECT_EQ(Profils(), (Strings{"PRODUCTION", "BUREAU", "CHANTIER"}));
}

// A quota or a period too large for its column is refused naming the box, when the grid moves
// to another line as when the window closes; the boxes stay with the grid's line.
TEST_F(FenQuotaTest, ANumberTooLargeIsRefusedNamingItsBox)
{
    FenQuota& q = Ouvrir();
    QTableView* vue = q.DBGrid2->View();
    const auto cliquerLigne = [&](int ligne) {
        QTest::mouseClick(vue->viewport(), Qt::LeftButton, {},
                          vue->visualRect(vue->model()->index(ligne, 0)).center());
    };
    const auto stocke = [&](const char* champ) {
        return Colonne(std::string("SELECT ") + champ +
                       " FROM Quota WHERE NoQota = 1 AND RefArticle = 1000");
    };
    const Strings quota = stocke("QtePermise");
    const Strings periode = stocke("Periodicite");
    ASSERT_EQ(Courante(q, "RefArticle"), "1000");

    Type(*q.Text2, "\b\b\b\b\b12345678901");
    Script().ExpectMsgBox(forms::vbOK, "La valeur 12345678901 est trop grande pour le champ "
                                       "\"Quota\" : 2147483647 au plus.");
    cliquerLigne(1);
    EXPECT_EQ(Script().Pending(), 0u);
    EXPECT_EQ(Courante(q, "RefArticle"), "1000");
    EXPECT_EQ(vue->currentIndex().row(), 0);
    EXPECT_EQ(q.LabelRefArticle->Caption(), "1000");
    EXPECT_EQ(q.Text2->Text(), "12345678901") << "the typed value stays, to be put right";
    EXPECT_EQ(stocke("QtePermise"), quota);

    // Put right, it is saved and the grid moves on.
    Type(*q.Text2, "\b\b\b\b\b\b\b\b\b\b\b\b25");
    cliquerLigne(1);
    EXPECT_EQ(stocke("QtePermise"), Strings{"25"});
    EXPECT_EQ(Courante(q, "RefArticle"), "1001");
    EXPECT_EQ(q.LabelRefArticle->Caption(), "1001");

    // The period is read the same way, also when the window closes.
    cliquerLigne(0);
    Type(*q.Text3, "\b\b\b\b\b99999999999");
    Script().ExpectMsgBox(forms::vbOK, "le champ \"Périodicité (Nb jours)\"");
    Click(*q.CmdClose);
    EXPECT_EQ(Script().Pending(), 0u);
    EXPECT_TRUE(q.isVisible());
    EXPECT_EQ(stocke("Periodicite"), periode);
}

class ProfilePersonnel : public FenQuotaTest
{
protected:
    FrmUtilisateur& Registre(const std::string& badge)
    {
        FrmUtilisateur& f = forms::form<FrmUtilisateur>();
        f.Show();
        f.Form_Activate();
        ado::Recordset rs = f.data1->Recordset();
        rs.Find("NoBadge = '" + badge + "'", 0, ado::adSearchForward, ado::adBookmarkFirst);
        return f;
    }

    std::string Profil(const std::string& badge)
    {
        return Colonne("SELECT Quota FROM Utilisateurs WHERE NoBadge = '" + badge + "'").front();
    }
};

TEST_F(ProfilePersonnel, CreatedOnceFromTheRegister)
{
    FrmUtilisateur& f = Registre("1001");
    EXPECT_EQ(f.CmdQuota->text(), "Créer un profile pour ce salarié: ");
    Script().ExpectMsgBox(forms::vbNo, "pour le salarié: DURAND\r\nVeuillez confirmer !");
    Click(*f.CmdQuota);
    EXPECT_FALSE(forms::IsLoaded<FenQuota>());

    Script().ExpectMsgBox(forms::vbYes, "Vous allez créer un profile spécifique");
    OnNextModal([&](forms::Form& fenetre) {
        auto& q = dynamic_cast<FenQuota&>(fenetre);
        EXPECT_TRUE(q.DepuisFenUtilisateur);
        EXPECT_EQ(database::testing::Text(q.data1->Recordset()["Profile"].Value()), "1001");
        EXPECT_EQ(q.Text1->Text(), "1001");
        EXPECT_TRUE(Lignes(q).empty());
        AjouterArticle(q, 1000);
        Click(*q.CmdClose);
    });
    Click(*f.CmdQuota);
    const std::string numero =
        Colonne("SELECT NoQuota FROM ProfileQuota WHERE Profile = '1001'").front();
    EXPECT_EQ(Profil("1001"), numero);
    EXPECT_EQ(Profil("1000"), "1") << "the other employees keep theirs";
    EXPECT_EQ(Colonne("SELECT RefArticle FROM Quota WHERE NoQota = " + numero), Strings{"1000"});
    // The register stands on the employee again, showing the new profile.
    EXPECT_EQ(database::testing::Text(f.data1->Recordset()["NoBadge"].Value()), "1001");
    EXPECT_EQ(database::testing::Text(f.data1->Recordset()["Profile"].Value()), "1001");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.NumQuota, 0);

    // The second time the name exists: nothing changes and the profiles window is unloaded.
    Execute("UPDATE Utilisateurs SET Quota = 2 WHERE NoBadge = '1001'");
    Script().ExpectMsgBox(forms::vbYes, "Vous allez créer un profile spécifique");
    Script().ExpectMsgBox(forms::vbOK, "Ce profile existe déjà !");
    Click(*f.CmdQuota);
    EXPECT_EQ(Script().Boxes().back().title, "Erreur");
    EXPECT_FALSE(forms::IsLoaded<FenQuota>());
    EXPECT_FALSE(Global::FenQuotaOuverte);
    EXPECT_EQ(Profil("1001"), "2");
    EXPECT_EQ(f.ErreurFenQuota, 0);
    EXPECT_EQ(Colonne("SELECT COUNT(*) AS N FROM ProfileQuota WHERE Profile = '1001'"),
              Strings{"1"});
}

} // namespace
