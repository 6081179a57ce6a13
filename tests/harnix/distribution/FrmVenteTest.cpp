// The issue history: headers newest first with the lines of the current one, its search modes,
// the money format, and that it writes nothing.

#include "harnix/distribution/FrmVente.h"

#include "tests/harnix/database/GeneratedCompany.h"
#include "tests/harnix/distribution/ComptoirFixture.h"

#include "platform/forms/Registry.h"

#include <QAbstractItemModel>
#include <QTableView>

namespace {

using forms::testing::Click;
using forms::testing::Type;

class Historique : public distribution::testing::DistributionTest
{
protected:
    FrmVente& Ouvrir()
    {
        FrmVente& f = forms::form<FrmVente>();
        f.Show();
        f.Form_Activate();
        return f;
    }

    static std::string Courant(FrmVente& f)
    {
        return database::testing::Text(f.data1->Recordset()["NumVente"].Value());
    }

    static QString Cellule(forms::DataGrid& grille, int ligne, int colonne)
    {
        QAbstractItemModel* m = grille.View()->model();
        return m->data(m->index(ligne, colonne)).toString();
    }

    static int Lignes(forms::DataGrid& grille) { return grille.View()->model()->rowCount(); }

    // Each shown header's number, in the recordset's order.
    static std::vector<std::string> Numeros(const ado::Recordset& rs)
    {
        long champ = 0;
        while (rs.Fields(champ).Name() != "NumVente")
            ++champ;
        std::vector<std::string> numeros;
        for (long i = 1; i <= rs.RecordCount(); ++i)
            numeros.push_back(database::testing::Text(rs.ValueAt(i, champ)));
        return numeros;
    }

    // The search box emptied, then the text typed.
    static void Chercher(FrmVente& f, const QString& texte)
    {
        Click(*f.TextCherche);
        Type(*f.TextCherche, texte);
    }
};

TEST_F(Historique, ShowsTheNewestMovementFirstWithItsLines)
{
    Execute("UPDATE Ventes SET Total = 1234.5, Ticket = 'T-2' WHERE NumVente = 2");
    FrmVente& f = Ouvrir();
    EXPECT_EQ(f.Caption(), "Détail de consomation");
    EXPECT_EQ(f.Mode(), FrmVente::ModeDate);
    ASSERT_EQ(Lignes(*f.DBGrid1), 3);
    EXPECT_EQ(Cellule(*f.DBGrid1, 0, 0), "3");
    EXPECT_EQ(Cellule(*f.DBGrid1, 1, 0), "2");
    EXPECT_EQ(Cellule(*f.DBGrid1, 1, 5), QString::fromUtf8("1\u00A0234,50 €"));
    EXPECT_EQ(Courant(f), "3");
    ASSERT_EQ(Lignes(*f.DBGrid2), 1);
    EXPECT_EQ(Cellule(*f.DBGrid2, 0, 0), " 3,00");
    EXPECT_EQ(Cellule(*f.DBGrid2, 0, 2), "CHAUSSURES P42");
    EXPECT_EQ(Cellule(*f.DBGrid2, 0, 3), QString::fromUtf8("40,00 €"));
    EXPECT_EQ(Cellule(*f.DBGrid2, 0, 5), "");

    // The lines follow the header row; the ticket box too.
    f.data1->MoveNext();
    EXPECT_EQ(f.TextTicket->Text(), "T-2");
    EXPECT_EQ(Lignes(*f.DBGrid2), 2);
    // Nothing in the window takes typing.
    EXPECT_FALSE(f.DBGrid1->AllowUpdate());
    EXPECT_FALSE(f.DBGrid2->AllowUpdate());
    EXPECT_TRUE(f.TextTicket->Locked());
}

TEST_F(Historique, IdenticalLinesAllShowAndAHeaderWithoutLinesShowsNone)
{
    Execute("INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, PrixAchatUnit) "
            "VALUES (3, 1001, 'CHAUSSURES P42', 1, 40)");
    Execute("INSERT INTO Ventes (LaDate, Utilisateur) VALUES ('2024-05-01 08:00:00', '1000')");
    FrmVente& f = Ouvrir();
    EXPECT_EQ(Courant(f), "4");
    EXPECT_EQ(Lignes(*f.DBGrid2), 0);
    EXPECT_EQ(Cellule(*f.DBGrid1, 0, 5), "");
    f.data1->MoveNext();
    EXPECT_EQ(Courant(f), "3");
    EXPECT_EQ(Lignes(*f.DBGrid2), 2);
}

TEST_F(Historique, TheDateSearchLandsOnTheNewestMovementOnOrBeforeTheDay)
{
    FrmVente& f = Ouvrir();
    struct Cas
    {
        const char* texte;
        const char* numero;
    };
    const Cas cas[] = {
        {"25/03/2024", "2"},
        {"02/04/2024", "3"},
        {"19/03/2024", "1"},
        {"01/01/2000", "3"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.texte);
        Chercher(f, c.texte);
        EXPECT_EQ(Courant(f), c.numero);
    }
    // A moment given whole: on or before it.
    f.TextCherche->setText("20/03/2024 09:00");
    EXPECT_EQ(Courant(f), "1");
    f.TextCherche->setText("20/03/2024 09:30");
    EXPECT_EQ(Courant(f), "2");
    // Seven characters do not search; the eighth does (5/4/2020: nothing so old, the first row).
    f.data1->MoveLast();
    Chercher(f, "05/04/2");
    EXPECT_EQ(Courant(f), "1");
    Type(*f.TextCherche, "0");
    EXPECT_EQ(Courant(f), "3");
    // Letters are dropped in this mode; a text that is no date is emptied.
    Chercher(f, "ab12");
    EXPECT_EQ(f.TextCherche->text(), "12");
    Chercher(f, "99/99/99");
    EXPECT_EQ(f.TextCherche->text(), "");
}

TEST_F(Historique, BadgeAndNameSearchGoOnFromTheCurrentRow)
{
    Execute("INSERT INTO Ventes (LaDate, Utilisateur, Nom, TypeMouvement) "
            "VALUES ('2024-05-01 08:00:00', '4000', 'D''ALMEIDA', 3)");
    FrmVente& f = Ouvrir();
    // In name order: D'ALMEIDA (4), DURAND (3), MARTIN (2, 1).
    Click(f, "SSOptionNom");
    EXPECT_EQ(f.Mode(), FrmVente::ModeNom);
    Chercher(f, "d'a");
    EXPECT_EQ(Courant(f), "4");
    EXPECT_EQ(f.TextCherche->text(), "d'a");
    Chercher(f, "m");
    EXPECT_EQ(Courant(f), "2");
    // From MARTIN on, no D: back to the first row; then du, then dup from there on.
    Type(*f.TextCherche, "\bd");
    EXPECT_EQ(Courant(f), "4");
    Type(*f.TextCherche, "u");
    EXPECT_EQ(Courant(f), "3");
    Type(*f.TextCherche, "p");
    EXPECT_EQ(Courant(f), "4");
    Chercher(f, "m*");
    EXPECT_EQ(Courant(f), "4") << "a typed * is no wildcard";

    // A click on the Salarié heading: the badge-number mode, sorted by badge.
    emit f.DBGrid1->HeadClick(2);
    EXPECT_TRUE(f.SSOptionClient->Value());
    EXPECT_EQ(f.Mode(), FrmVente::ModeSalarie);
    EXPECT_EQ(Cellule(*f.DBGrid1, 0, 2), "1000");
    Chercher(f, "1001");
    EXPECT_EQ(Courant(f), "3");
    emit f.DBGrid1->HeadClick(1);
    EXPECT_EQ(f.Mode(), FrmVente::ModeDate);
    EXPECT_EQ(Cellule(*f.DBGrid1, 0, 0), "4");
}

// The opening lists the headers of a generated company in the order the window gave when it
// read them again after sorting them: by date, newest first, and on equal dates or no date as
// the read gave them, newest number first.
TEST_F(Historique, OpensOnEveryHeaderOfAGeneratedCompanyInTheOrderOfASecondRead)
{
    database::testing::TempFolder dossier;
    const std::string chemin = dossier.File("zad.MDB");
    database::testing::CreateGenerated(chemin, database::testing::SmallCompany());
    Global::ChaineConnexion = database::ConnectionString(chemin, database::ZadPassword());
    ado::Connection cn = database::testing::Open(chemin, database::ZadPassword());
    cn.Execute("INSERT INTO Ventes (LaDate, Utilisateur, Nom, TypeMouvement) SELECT LaDate, "
               "Utilisateur, Nom, 3 FROM Ventes WHERE NumVente IN (5, 50, 500)");
    cn.Execute("INSERT INTO Ventes (Utilisateur, Nom, TypeMouvement) VALUES ('1', 'SANS DATE', 3)");

    ado::Recordset avant = database::testing::OpenRecordset(cn, "Ventes Order by NumVente Desc");
    avant.SetSort("Ladate Desc");
    avant.Requery();
    const std::vector<std::string> attendus = Numeros(avant);
    ASSERT_GT(attendus.size(), 1000u);

    FrmVente& f = forms::form<FrmVente>();
    f.Show();
    EXPECT_EQ(Numeros(f.data1->Recordset()), attendus);
    EXPECT_EQ(Courant(f), attendus.front());
    EXPECT_EQ(std::to_string(Lignes(*f.DBGrid2)),
              database::testing::Text(
                  database::testing::OpenRecordset(
                      cn, "SELECT COUNT(*) FROM DetailVente WHERE NumVente = " + attendus.front())
                      .Fields(0L)
                      .Value()));
    EXPECT_GT(Lignes(*f.DBGrid2), 0);
}

TEST_F(Historique, AnEmptyJournalShowsNoLines)
{
    Execute("DELETE FROM DetailVente");
    Execute("DELETE FROM Ventes");
    FrmVente& f = Ouvrir();
    Chercher(f, "01/01/2024");
    Click(f, "SSOptionNom");
    Chercher(f, "DU");
    EXPECT_EQ(Lignes(*f.DBGrid1), 0);
    EXPECT_EQ(Lignes(*f.DBGrid2), 0);
}

TEST_F(Historique, ClosingHidesAndReopeningReadsNewMovements)
{
    FrmVente& f = Ouvrir();
    Click(f, "SSOptionNom");
    Click(f, "CmdClose");
    EXPECT_TRUE(f.isHidden());
    Execute("INSERT INTO Ventes (LaDate, Utilisateur, Nom, TypeMouvement) "
            "VALUES ('2024-06-01 08:00:00', '1002', 'DUPONT', 3)");
    FrmVente& g = Ouvrir();
    EXPECT_EQ(&g, &f);
    EXPECT_EQ(g.Mode(), FrmVente::ModeDate) << "activation applies the date mode";
    EXPECT_EQ(Lignes(*g.DBGrid1), 4);
    EXPECT_EQ(Courant(g), "4");
}

} // namespace
