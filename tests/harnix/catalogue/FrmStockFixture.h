#pragma once
// The article window over the catalogue fixture, with two more articles stored out of number
// order: the table holds 1000, 1001, 1002 (no family, supplier or code), 1050, 1003.

#include "WindowFixture.h"

#include "harnix/catalogue/FrmStock.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"

#include <gtest/gtest.h>

#include <string>

namespace catalogue::testing {

class FrmStockTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        Execute("INSERT INTO ArticleEnStock (Reference, CodeArticle, CodeBar, Designation, "
                "Famille, NoFournisseur, RefFournisseur, PrixAchatUnit, PrixAchatGlobal, "
                "QteParPaket, QteEnStock, StockAlert, DateCreation) VALUES (1050, 3, '2225', "
                "'LUNETTES D''ATELIER', 4, 1, 'AL1', 2, 20, 10, 40, 27, '2024-03-01 00:00:00')");
        Execute("INSERT INTO ArticleEnStock (Reference, CodeBar, Designation, Famille, "
                "NoFournisseur, RefFournisseur, QteParPaket, StockAlert, DateCreation) VALUES "
                "(1003, '333', 'BOUCHONS', 4, 2, 'B1', 100, -4, '2024-03-02 00:00:00')");
        Execute("UPDATE CodeArticle SET Reference = 1050 WHERE CodeArticle = 3");
    }

    // Loads the window hidden, as the main window does, and shows it.
    FrmStock& Ouvrir()
    {
        FrmStock& f = forms::form<FrmStock>();
        f.Show();
        if (!f.FenetreActivee)
            f.Form_Activate();
        return f;
    }

    static long Ref(const ado::Recordset& rs)
    {
        if (rs.Eof() || rs.Bof())
            return -1;
        return vb::CLng(rs.Fields("Reference").Value());
    }
    static long Grille(const FrmStock& f) { return Ref(f.data1->Recordset()); }
    static long Carte(const FrmStock& f) { return Ref(f.data2->Recordset()); }

    // Puts the grid on an article, as a click on its row would.
    static void AllerA(FrmStock& f, long reference)
    {
        f.data1->Recordset().Find("Reference=" + std::to_string(reference), 0, ado::adSearchForward,
                                  ado::adBookmarkFirst);
        ASSERT_EQ(Grille(f), reference);
    }

    // A column of the articles as the file holds them, by number ("Null" for Null).
    std::string Stocke(long reference, const std::string& colonne)
    {
        auto valeurs = Stored("SELECT " + colonne + " AS V FROM ArticleEnStock WHERE Reference=" +
                                  std::to_string(reference),
                              "V");
        return valeurs.empty() ? "(none)" : valeurs.front();
    }
};

// Picks the entry of a data combo's list, as a click on it does.
inline void Choisir(forms::DataCombo& combo, const QString& texte)
{
    const int index = combo.findText(texte);
    ASSERT_GE(index, 0) << texte.toStdString();
    combo.setCurrentIndex(index);
    emit combo.activated(index);
}

// The grid and the card stand on the same article.
#define EXPECT_SUIVI(f)                                                                            \
    EXPECT_EQ(catalogue::testing::FrmStockTest::Carte(f),                                          \
              catalogue::testing::FrmStockTest::Grille(f))

} // namespace catalogue::testing
