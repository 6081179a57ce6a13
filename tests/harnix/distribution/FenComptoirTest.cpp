// The counter window: its lookups of employees and articles, the issue it records, and the
// quota check, driven through its named controls on a real zad.MDB.

#include "harnix/distribution/FenComptoir.h"

#include "tests/harnix/database/GeneratedCompany.h"
#include "tests/harnix/distribution/ComptoirFixture.h"

#include "harnix/commun/FonctionUtilitaires.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Registry.h"
#include "platform/vb/DateTime.h"

#include <QApplication>
#include <QImage>
#include <QToolButton>

#include <fstream>
#include <sqlite3.h>

namespace {

using forms::testing::Click;
using forms::testing::Key;
using forms::testing::Script;
using forms::testing::Type;

class Comptoir : public distribution::testing::DistributionTest
{
protected:
    FenComptoir& Ouvrir()
    {
        FenComptoir& f = forms::form<FenComptoir>();
        f.Show();
        f.Form_Activate();
        return f;
    }

    static QString Label2(FenComptoir& f, int index) { return f.Label2(index).Caption(); }

    // Prénom, profile, site, service, hand and shoe sizes, as the labels show them.
    static QString Details(FenComptoir& f)
    {
        QStringList d;
        for (int index : {3, 4, 2, 5, 1, 6})
            d << Label2(f, index);
        return d.join('|');
    }

    // A fresh box: emptied without running its lookup, then typed into.
    static void Saisir(QLineEdit& boite, const QString& texte)
    {
        {
            const QSignalBlocker bloque(&boite);
            boite.clear();
        }
        Type(boite, texte);
    }

    // An employee and an article selected, ready for F12.
    void Preparer(FenComptoir& f, const QString& badge = "1000", const QString& reference = "1000")
    {
        Saisir(*f.TextUtilisateur, badge);
        Saisir(*f.TextReference, reference);
        ASSERT_EQ(f.SalarieTrouve, FenComptoir::Vrai);
        ASSERT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
    }

    std::string Ventes() { return Stored("select count(*) from Ventes"); }

    void Trigger(const std::string& sql)
    {
        ASSERT_EQ(sqlite3_exec(zad.Connection().Handle(), sql.c_str(), nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }

    // KLM, KLMNO and KLMNOP, a second MARTIN and D'ALMEIDA, beside the fixture's employees.
    void AjouterSalaries()
    {
        Execute("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom) VALUES ('2001', 'KLM', 'Un')");
        Execute("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom) VALUES ('2002', 'KLMNO', 'Deux')");
        Execute(
            "INSERT INTO Utilisateurs (NoBadge, Nom, Prenom) VALUES ('2003', 'KLMNOP', 'Trois')");
        Execute("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom, Site, Service, Quota) "
                "VALUES ('3000', 'MARTIN', 'Zoé', 2, 3, 2)");
        Execute("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom) VALUES ('4000', 'D''ALMEIDA', "
                "'Rui')");
    }
};

TEST_F(Comptoir, SurnameAndBadgeLookups)
{
    AjouterSalaries();
    FenComptoir& f = Ouvrir();
    struct Cas
    {
        const char* boite;
        const char* texte;
        const char* candidat; // Label2(9): the last surname that the text only began
        const char* badge;
        const char* nom;
        bool trouve;
    };
    const Cas cas[] = {
        // Typing went through KLM, found whole: its badge stays while KLMNO is only a candidate.
        {"TextNom", "KLMN", "KLMNO", "2001", "KLMN", false},
        {"TextNom", "KLMNO", "KLMNO", "2002", "KLMNO", true},
        {"TextNom", "KLM", "KLM", "2001", "KLM", true},
        // Found whole at klmno, which the badge lookup writes back as KLMNO.
        {"TextNom", "klmnop", "KLMNO", "2003", "KLMNOP", true},
        {"TextNom", "D'ALM", "D'ALMEIDA", "", "D'ALM", false},
        {"TextNom", "D'ALMEIDA", "D'ALMEIDA", "4000", "D'ALMEIDA", true},
        {"TextNom", "ZZZ", "", "", "ZZZ", false},
        {"TextNom", "K*", "", "", "K*", false},
        {"TextUtilisateur", "2002", "", "2002", "KLMNO", true},
        {"TextUtilisateur", "4000", "", "4000", "D'ALMEIDA", true},
        {"TextUtilisateur", "9999", "", "9999", "", false},
        {"TextUtilisateur", "100?", "", "100?", "", false},
        {"TextUtilisateur", "'", "", "'", "", false},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(std::string(c.boite) + " " + c.texte);
        {
            const QSignalBlocker a(f.TextNom), b(f.TextUtilisateur);
            f.TextNom->clear();
            f.TextUtilisateur->clear();
        }
        Type(f, c.boite, QString::fromUtf8(c.texte));
        EXPECT_EQ(Label2(f, 9), QString::fromUtf8(c.candidat));
        EXPECT_EQ(f.TextUtilisateur->text(), QString::fromUtf8(c.badge));
        EXPECT_EQ(f.TextNom->text(), QString::fromUtf8(c.nom));
        EXPECT_EQ(f.SalarieTrouve, c.trouve ? FenComptoir::Vrai : FenComptoir::Faux);
        if (!*c.candidat && !c.trouve) {
            EXPECT_EQ(Details(f), "|||||");
        }
    }

    // A badge read whole while a candidate shows: the candidate stays under the surname box.
    Saisir(*f.TextNom, "KLMN");
    f.TextUtilisateur->setText("2003");
    EXPECT_EQ(f.TextNom->text(), "KLMNOP");
    EXPECT_EQ(Label2(f, 9), "KLMNO");
    EXPECT_EQ(Label2(f, 3), "Trois");
    EXPECT_EQ(f.SalarieTrouve, FenComptoir::Vrai);
    Script().VerifyAllAnswered();
}

TEST_F(Comptoir, ASurnameMatchingNobodyEmptiesTheBadgeAndTheDetails)
{
    FenComptoir& f = Ouvrir();
    Type(f, "TextUtilisateur", "1000");
    EXPECT_EQ(Details(f), "Jean|PRODUCTION|LYON|ATELIER|8|42");
    Saisir(*f.TextNom, "X");
    EXPECT_EQ(f.TextUtilisateur->text(), "");
    EXPECT_EQ(f.TextNom->text(), "") << "through the badge lookup";
    EXPECT_EQ(Details(f), "|||||");
    EXPECT_EQ(f.SalarieTrouve, FenComptoir::Faux);
}

TEST_F(Comptoir, NullFieldsClearTheirLabels)
{
    FenComptoir& f = Ouvrir();
    Type(f, "TextUtilisateur", "1000");
    Saisir(*f.TextUtilisateur, "1002"); // DUPONT: no site, service, profile or sizes
    EXPECT_EQ(Details(f), "Ana|||||");
    EXPECT_EQ(f.SalarieTrouve, FenComptoir::Vrai);
}

TEST_F(Comptoir, ALaterNamesakeStaysSelectedByBadgeAndBySpinButton)
{
    AjouterSalaries();
    FenComptoir& f = Ouvrir();
    Type(f, "TextUtilisateur", "3000");
    EXPECT_EQ(f.TextNom->text(), "MARTIN");
    EXPECT_EQ(Label2(f, 3), "Zoé");
    EXPECT_EQ(f.SalarieTrouve, FenComptoir::Vrai);
    Saisir(*f.TextReference, "1000");
    Key(*f.TextReference, Qt::Key_F12);
    EXPECT_EQ(Stored("select Utilisateur & '|' & Prenom from Ventes where NumVente=4"), "3000|Zoé");
    EXPECT_EQ(Stored("select NomSite & '|' & Profile from DetailVente where NumVente=4"),
              "NANTES|2");

    // The first MARTIN, then one step on: the second.
    Saisir(*f.TextUtilisateur, "1000");
    Click(*f.SpinButton1->DownArrow());
    EXPECT_EQ(f.TextUtilisateur->text(), "3000");
    EXPECT_EQ(Label2(f, 3), "Zoé");
    EXPECT_EQ(f.SalarieTrouve, FenComptoir::Vrai);
    Click(*f.SpinButton1->UpArrow());
    EXPECT_EQ(f.TextUtilisateur->text(), "1000");
    EXPECT_EQ(Label2(f, 3), "Jean");
}

TEST_F(Comptoir, TheSpinButtonStopsEmptyAtBothEnds)
{
    FenComptoir& f = Ouvrir();
    // In surname order: DUPONT, DURAND, MARTIN.
    Click(*f.SpinButton1->DownArrow());
    EXPECT_EQ(f.TextNom->text(), "DURAND") << "the list stands on its first row at load";
    Click(*f.SpinButton1->DownArrow());
    EXPECT_EQ(f.TextNom->text(), "MARTIN");
    Click(*f.SpinButton1->DownArrow());
    EXPECT_EQ(f.TextNom->text(), "");
    EXPECT_EQ(f.TextUtilisateur->text(), "");
    EXPECT_EQ(Details(f) + Label2(f, 9), "|||||");
    Click(*f.SpinButton1->DownArrow());
    EXPECT_EQ(f.TextNom->text(), "DURAND") << "from the first row, the second";

    Click(*f.SpinButton1->UpArrow());
    EXPECT_EQ(f.TextNom->text(), "DUPONT");
    Click(*f.SpinButton1->UpArrow());
    EXPECT_EQ(f.TextNom->text(), "");
    EXPECT_EQ(Details(f), "|||||");
    Click(*f.SpinButton1->DownArrow());
    EXPECT_EQ(f.TextNom->text(), "DURAND");
}

TEST_F(Comptoir, ArticleLookups)
{
    Execute("UPDATE ArticleEnStock SET Norme = 'EN 388', Descriptif = 'Cuir', FicheTech = 'F-1' "
            "WHERE Reference = 1000");
    FenComptoir& f = Ouvrir();
    Type(f, "TextReference", "1a0b00");
    EXPECT_EQ(f.TextReference->text(), "1000") << "letters are dropped";
    EXPECT_EQ(Label2(f, 7), "GANTS T8");
    EXPECT_EQ(Label2(f, 8), "EN 388");
    EXPECT_EQ(f.TextBox1->toPlainText(), "Cuir");
    EXPECT_EQ(f.TextBox2->toPlainText(), "F-1");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
    Type(f, "TextReference", "\b");
    EXPECT_EQ(f.TextReference->text(), "100");
    EXPECT_EQ(Label2(f, 7), "");
    EXPECT_EQ(f.TextBox1->toPlainText(), "");
    EXPECT_TRUE(f.Image1->isHidden());
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Faux);
    // After a number that finds nothing, the next keystroke looks again.
    Type(f, "TextReference", "1");
    EXPECT_EQ(Label2(f, 7), "CHAUSSURES P42");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
    Type(f, "TextReference", "\b");
    // A number too long for an article number finds none.
    Saisir(*f.TextReference, "99999999999999999999");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Faux);

    Type(f, "TextRefFournisseur", "c42");
    EXPECT_EQ(Label2(f, 7), "CHAUSSURES P42");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
    Saisir(*f.TextRefFournisseur, "C*");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Faux);
    Script().VerifyAllAnswered();
}

// The number lookup reads only the sought row: what it shows is still current, a lookup that
// found nothing does not stop the next, an activation keeps or drops the article as the file
// holds it, and the supplier lookup still searches the whole view.
TEST_F(Comptoir, TheNumberLookupReadsTheSoughtRowAsTheFileHoldsItNow)
{
    FenComptoir& f = Ouvrir();
    Saisir(*f.TextReference, "1000");
    EXPECT_EQ(Label2(f, 7), "GANTS T8");
    Execute("UPDATE ArticleEnStock SET Designation = 'GANTS CUIR' WHERE Reference = 1000");
    Execute("INSERT INTO ArticleEnStock (Reference, Designation, RefFournisseur) "
            "VALUES (1005, 'BOUCHONS', 'B1')");
    Saisir(*f.TextReference, "100");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Faux);
    Type(f, "TextReference", "0");
    EXPECT_EQ(Label2(f, 7), "GANTS CUIR");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
    Saisir(*f.TextReference, "1005");
    EXPECT_EQ(Label2(f, 7), "BOUCHONS") << "an article added since the window was opened";

    f.Form_Activate();
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
    EXPECT_EQ(Label2(f, 7), "BOUCHONS");
    Execute("DELETE FROM ArticleEnStock WHERE Reference = 1005");
    f.Form_Activate();
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Faux);
    EXPECT_EQ(Label2(f, 7), "");

    Saisir(*f.TextRefFournisseur, "C42");
    EXPECT_EQ(Label2(f, 7), "CHAUSSURES P42");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
}

// Without any article, the number lookup only resets its flag.
TEST_F(Comptoir, WithoutArticlesTheNumberLookupShowsNothing)
{
    Execute("DELETE FROM DetailVente");
    Execute("DELETE FROM ArticleEnStock");
    FenComptoir& f = Ouvrir();
    Type(f, "TextReference", "1000");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Faux);
    EXPECT_EQ(Label2(f, 7), "");
}

// On a generated company, each number shows what the whole view's row of that number showed,
// and an issue records that row.
TEST_F(Comptoir, EveryNumberShowsTheRowOfTheWholeViewOnAGeneratedCompany)
{
    database::testing::TempFolder dossier;
    const std::string chemin = dossier.File("zad.MDB");
    const database::data::Volumes volumes = database::testing::SmallCompany();
    database::testing::CreateGenerated(chemin, volumes);
    Global::ChaineConnexion = database::ConnectionString(chemin, database::ZadPassword());
    ado::Connection cn = database::testing::Open(chemin, database::ZadPassword());
    // Some norms Null, which leave their label empty.
    cn.Execute("UPDATE ArticleEnStock SET Norme = NULL, FicheTech = 'F' WHERE Reference % 7 = 0");

    ado::Recordset vue = database::testing::OpenRecordset(cn, "Stock order by Reference");
    ASSERT_EQ(vue.RecordCount(), volumes.articles);
    std::vector<long> numeros = {0, -1, 99999999};
    for (; !vue.Eof(); vue.MoveNext())
        numeros.push_back(vb::CLng(vue["Reference"].Value()));
    numeros.push_back(numeros.back() + 1);

    FenComptoir& f = Ouvrir();
    auto texte = [&](const char* champ) {
        return QString::fromStdString(FonctionUtilitaires::ConvertNullStr(vue[champ].Value()));
    };
    for (long n : numeros) {
        SCOPED_TRACE(n);
        Saisir(*f.TextReference, QString::number(n));
        vue.Find("Reference =" + std::to_string(n), 0, ado::adSearchForward, ado::adBookmarkFirst);
        if (vue.Eof()) {
            EXPECT_EQ(f.ArticleTrouve, FenComptoir::Faux);
            EXPECT_EQ(Label2(f, 7), "");
            continue;
        }
        EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
        EXPECT_EQ(Label2(f, 7), texte("Designation"));
        EXPECT_EQ(Label2(f, 8), texte("Norme"));
        EXPECT_EQ(f.TextBox1->toPlainText(), texte("Descriptif"));
        EXPECT_EQ(f.TextBox2->toPlainText(), texte("FicheTech"));
    }

    // The issue's line holds the sought row's fields.
    const std::string champs = "Reference & '|' & Designation & '|' & PrixAchatUnit & '|' & "
                               "NomFamille & '|' & CodeFournisseur & '|' & Societe & '|' & "
                               "Taille & '|' & RefFournisseur & '|' & CodeArticle";
    const std::string badge = database::testing::Text(
        database::testing::OpenRecordset(cn, "select min(NoBadge) from Utilisateurs")
            .Fields(0L)
            .Value());
    for (long n : {numeros[3], numeros[numeros.size() / 2]}) {
        SCOPED_TRACE(n);
        Saisir(*f.TextUtilisateur, QString::fromStdString(badge));
        Saisir(*f.TextReference, QString::number(n));
        ASSERT_EQ(f.SalarieTrouve, FenComptoir::Vrai);
        Key(*f.TextReference, Qt::Key_F12);
        ado::Recordset ligne =
            database::testing::OpenRecordset(cn, "select " + champs +
                                                     " from DetailVente where NumVente = "
                                                     "(select max(NumVente) from Ventes)");
        ado::Recordset article = database::testing::OpenRecordset(
            cn, "select " + champs + " from Stock where Reference = " + std::to_string(n));
        ASSERT_FALSE(ligne.Eof());
        EXPECT_EQ(database::testing::Text(ligne.Fields(0L).Value()),
                  database::testing::Text(article.Fields(0L).Value()));
    }
}

TEST_F(Comptoir, TheSupplierReferenceListChoosesItsArticleWholeReferenceIncluded)
{
    Execute("INSERT INTO ArticleEnStock (Reference, Designation, RefFournisseur, QteEnStock) "
            "VALUES (1003, 'MASQUE', 'ABCDEFGHIJKLMNOPQRSTUVWXY', 5)");
    FenComptoir& f = Ouvrir();
    ASSERT_EQ(f.Combo1->ListCount(), 3);
    EXPECT_EQ(f.Combo1->List(0), "ABCDEFGHIJKLMNOPQRSTMASQUE");
    EXPECT_EQ(f.Combo1->List(1), "C42                 CHAUSSURES P42");
    EXPECT_EQ(f.Combo1->List(2), "G8                  GANTS T8");
    f.Combo1->SetListIndex(2);
    EXPECT_EQ(f.TextRefFournisseur->text(), "G8");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
    f.Combo1->SetListIndex(0);
    EXPECT_EQ(f.TextRefFournisseur->text(), "ABCDEFGHIJKLMNOPQRSTUVWXY");
    EXPECT_EQ(Label2(f, 7), "MASQUE");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
}

TEST_F(Comptoir, AnIssueIsRecordedAndTheWindowMadeReadyForTheNext)
{
    FenComptoir& f = Ouvrir();
    Preparer(f);
    Click(f, "CmdSave");

    EXPECT_EQ(Stored("select Utilisateur & '|' & Nom & '|' & Prenom & '|' & TypeMouvement & '|' "
                     "& Total from Ventes where NumVente=4"),
              "1000|MARTIN|Jean|3|1.5");
    EXPECT_EQ(Stored("select Reference & '|' & Quantite & '|' & NomFamille & '|' & NoFamille & "
                     "'|' & NomSite & '|' & NoService & '|' & Profile & '|' & Societe & '|' & "
                     "Taille & '|' & RefFournisseur & '|' & CodeArticle from DetailVente "
                     "where NumVente=4"),
              "1000|1|GANTS|1|LYON|2|1|GANTERIE DE L'EST|8|G8|1");
    EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1000"), "9");

    EXPECT_EQ(f.TextReference->text(), "");
    EXPECT_EQ(f.TextUtilisateur->text(), "");
    EXPECT_EQ(f.TextNom->text(), "");
    EXPECT_EQ(Details(f), "|||||");
    EXPECT_EQ(f.SalarieTrouve, FenComptoir::Faux);
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Faux);
    EXPECT_EQ(QApplication::focusWidget(), f.TextUtilisateur);
    EXPECT_TRUE(f.LabelMessage->isVisible());
    EXPECT_EQ(f.LabelMessage->Caption(), "ENREGISTREMENT OK");
    // The next lookup hides the confirmation.
    Type(f, "TextUtilisateur", "1");
    EXPECT_FALSE(f.LabelMessage->isVisible());
}

TEST_F(Comptoir, F12IssuesOnceInEachBoxAndEnterInTheBadgeBoxWritesNothing)
{
    FenComptoir& f = Ouvrir();
    int attendu = 3;
    for (QLineEdit* boite : {f.TextReference, f.TextRefFournisseur, f.TextUtilisateur}) {
        SCOPED_TRACE(boite->objectName().toStdString());
        Preparer(f);
        Key(*boite, Qt::Key_F12);
        EXPECT_EQ(Ventes(), std::to_string(++attendu));
    }
    Preparer(f);
    Key(*f.TextUtilisateur, Qt::Key_Return);
    EXPECT_EQ(Ventes(), std::to_string(attendu));
    EXPECT_EQ(QApplication::focusWidget(), f.TextReference) << "Enter moves on";
    // F12 on the window itself.
    Key(f, Qt::Key_F12);
    EXPECT_EQ(Ventes(), std::to_string(attendu + 1));
}

TEST_F(Comptoir, AnArticleFoundByItsSupplierReferenceStaysForTheNextEmployee)
{
    FenComptoir& f = Ouvrir();
    Type(f, "TextUtilisateur", "1000");
    Type(f, "TextRefFournisseur", "C42");
    Key(*f.TextRefFournisseur, Qt::Key_F12);
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
    EXPECT_EQ(f.TextRefFournisseur->text(), "C42");
    EXPECT_EQ(Label2(f, 7), "CHAUSSURES P42");
    Type(f, "TextUtilisateur", "1001");
    Key(*f.TextUtilisateur, Qt::Key_F12);
    EXPECT_EQ(Stored("select count(*) from DetailVente where Reference=1001 and NumVente>3"), "2");
    EXPECT_EQ(Stored("select Utilisateur from Ventes where NumVente=5"), "1001");
    EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1001"), "1");
}

// Another workstation changed the stock since the window read the article: the issue takes its
// unit from the stock as the file holds it, not from the window's copy.
TEST_F(Comptoir, AnIssueCountsFromTheStockAsTheFileHoldsIt)
{
    FenComptoir& f = Ouvrir();
    Preparer(f);
    Execute("UPDATE ArticleEnStock SET QteEnStock = 7 WHERE Reference = 1000");
    Click(f, "CmdSave");
    EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1000"), "6");
    EXPECT_EQ(Ventes(), "4");
}

TEST_F(Comptoir, WithoutEmployeeOrArticleNothingIsWritten)
{
    FenComptoir& f = Ouvrir();
    Type(f, "TextUtilisateur", "1000");
    Script().ExpectMsgBox(forms::vbOK, "Pas d'article ou de salarié correspondant!");
    Click(f, "CmdSave");
    EXPECT_EQ(Script().Boxes().back().text, "Erreur\r\nPas d'article ou de salarié correspondant!");
    EXPECT_EQ(f.TextUtilisateur->text(), "1000");
    EXPECT_EQ(Ventes(), "3");
    // An article at 0 goes to -1.
    Execute("UPDATE ArticleEnStock SET QteEnStock = 0 WHERE Reference = 1001");
    Type(f, "TextReference", "1001");
    Click(f, "CmdSave");
    EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1001"), "-1");
}

TEST_F(Comptoir, AFailingLineLeavesNoHeaderAndTheStockUnchanged)
{
    FenComptoir& f = Ouvrir();
    Preparer(f);
    Trigger("CREATE TRIGGER Refus BEFORE INSERT ON DetailVente BEGIN "
            "SELECT RAISE(ABORT, 'ligne refusee'); END");
    Script().ExpectMsgBox(forms::vbOK, "EnregistrerVente");
    Key(*f.TextReference, Qt::Key_F12);
    EXPECT_EQ(Ventes(), "3");
    EXPECT_EQ(Stored("select QteEnStock from ArticleEnStock where Reference=1000"), "10");
    EXPECT_FALSE(f.LabelMessage->isVisible());
    EXPECT_EQ(f.TextUtilisateur->text(), "");
    EXPECT_EQ(f.TextReference->text(), "");
}

// A tall picture is 2850 twips high; a wide one as wide as the window leaves it room for.
TEST_F(Comptoir, ThePictureKeepsItsProportionsWithinTheWindow)
{
    Execute("UPDATE ArticleEnStock SET Image = ' gants ' WHERE Reference = 1000");
    Execute("UPDATE ArticleEnStock SET Image = 'casse' WHERE Reference = 1001");
    const std::string dossier = Global::CheminImages + "/";
    FenComptoir& f = Ouvrir();
    auto montrer = [&](int largeur, int hauteur) {
        QImage image(largeur, hauteur, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        ASSERT_TRUE(image.save(QString::fromStdString(dossier + "GANTS.JPG")));
        Saisir(*f.TextReference, "1000");
        EXPECT_TRUE(f.Image1->isVisible());
        EXPECT_LE(f.Image1->geometry().right(), f.width()) << largeur;
    };
    montrer(100, 200);
    EXPECT_EQ(forms::HeightTwips(*f.Image1), 2850);
    EXPECT_EQ(forms::WidthTwips(*f.Image1), 1425);
    montrer(190, 130);
    EXPECT_EQ(forms::HeightTwips(*f.Image1), 2850);
    EXPECT_EQ(forms::WidthTwips(*f.Image1), 4155);
    montrer(200, 100);
    EXPECT_LT(forms::HeightTwips(*f.Image1), 2850);
    EXPECT_NEAR(f.Image1->width(), 2 * f.Image1->height(), 2);
    // An unreadable file: the error report, and the article stays selected.
    std::ofstream(dossier + "casse.jpg") << "pas une image";
    Script().ExpectMsgBox(forms::vbOK, "ChargerImage");
    Saisir(*f.TextReference, "1001");
    EXPECT_EQ(f.ArticleTrouve, FenComptoir::Vrai);
    EXPECT_TRUE(f.Image1->pixmap().isNull());
    // No file: no picture.
    std::filesystem::remove(dossier + "GANTS.JPG");
    Saisir(*f.TextReference, "1000");
    EXPECT_TRUE(f.Image1->isHidden());
}

TEST_F(Comptoir, ClosingHidesAndReopeningReadsNewEmployeesAndArticles)
{
    FenComptoir& f = Ouvrir();
    Type(f, "TextUtilisateur", "1001");
    Click(f, "CmdClose");
    EXPECT_TRUE(f.isHidden());
    EXPECT_TRUE(forms::IsLoaded<FenComptoir>());
    Execute("INSERT INTO Utilisateurs (NoBadge, Nom, Prenom) VALUES ('5000', 'NOUVEAU', 'Léa')");
    Execute("INSERT INTO ArticleEnStock (Reference, Designation, RefFournisseur) "
            "VALUES (1004, 'BOUCHONS', 'B1')");
    FenComptoir& g = Ouvrir();
    EXPECT_EQ(&g, &f);
    EXPECT_EQ(g.TextUtilisateur->text(), "1001") << "the same window, as it was left";
    EXPECT_EQ(g.SalarieTrouve, FenComptoir::Vrai);
    EXPECT_EQ(Label2(g, 3), "Paul");
    EXPECT_EQ(g.Combo1->ListCount(), 3);
    Saisir(*g.TextUtilisateur, "5000");
    EXPECT_EQ(Label2(g, 3), "Léa");
    Saisir(*g.TextReference, "1004");
    EXPECT_EQ(Label2(g, 7), "BOUCHONS");
}

} // namespace
