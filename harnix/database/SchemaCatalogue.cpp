// Tables and stored queries of the catalogue: articles, the pool of machine
// article codes, families, sizes, suppliers and the stock-receipt journal.

#include "harnix/database/Schema.h"

namespace database::schema {

namespace {

// The article with its family, size and supplier names; outer joins keep an
// article that has none of them yet (a new article holds only its number and
// creation date).
constexpr std::string_view StockSql = R"(SELECT ArticleEnStock.[No], ArticleEnStock.Reference,
    ArticleEnStock.Designation, ArticleEnStock.RefFournisseur, ArticleEnStock.Marque,
    ArticleEnStock.Norme, ArticleEnStock.Descriptif, ArticleEnStock.FicheTech,
    ArticleEnStock.Image, ArticleEnStock.CodeBar, ArticleEnStock.CodeArticle,
    ArticleEnStock.PrixAchatUnit, ArticleEnStock.QteParPaket, ArticleEnStock.QteEnStock,
    ArticleEnStock.StockAlert, ArticleEnStock.Famille, Familles.NomFamille,
    ArticleEnStock.NoFournisseur, Fournisseur.CodeFournisseur, Fournisseur.Societe,
    Tailles.Taille
  FROM ArticleEnStock
    LEFT JOIN Familles ON ArticleEnStock.Famille = Familles.NoFamille
    LEFT JOIN Fournisseur ON ArticleEnStock.NoFournisseur = Fournisseur.[No]
    LEFT JOIN Tailles ON ArticleEnStock.Taille = Tailles.NoTaille)";

// The grid of the article window: the article, its supplier's details and its
// quantities. The units in machines are the machine slots that hold the article. The bar
// code is there for the window's bar-code search.
constexpr std::string_view StockGlobalSql = R"(SELECT ArticleEnStock.[No],
    ArticleEnStock.Reference, ArticleEnStock.RefFournisseur, ArticleEnStock.Designation,
    ArticleEnStock.CodeBar,
    Tailles.Taille, ArticleEnStock.CodeArticle, Familles.NomFamille,
    ArticleEnStock.PrixAchatUnit,
    ArticleEnStock.PrixAchatUnit * COALESCE(ArticleEnStock.QteEnStock, 0) AS ValeurStock,
    ArticleEnStock.QteEnStock,
    (SELECT COUNT(EmplacementsMachine1.Reference) FROM EmplacementsMachine1
       WHERE EmplacementsMachine1.Reference = ArticleEnStock.Reference) AS QteEnMachine,
    COALESCE(ArticleEnStock.QteEnStock, 0)
      + (SELECT COUNT(EmplacementsMachine1.Reference) FROM EmplacementsMachine1
           WHERE EmplacementsMachine1.Reference = ArticleEnStock.Reference) AS QteGlobal,
    ArticleEnStock.StockAlert, ArticleEnStock.Famille, ArticleEnStock.NoFournisseur,
    Fournisseur.CodeFournisseur, Fournisseur.Societe, Fournisseur.NomContact,
    Fournisseur.Adresse, Fournisseur.CodePostal, Fournisseur.Ville, Fournisseur.Tel,
    Fournisseur.Fax
  FROM ArticleEnStock
    LEFT JOIN Familles ON ArticleEnStock.Famille = Familles.NoFamille
    LEFT JOIN Fournisseur ON ArticleEnStock.NoFournisseur = Fournisseur.[No]
    LEFT JOIN Tailles ON ArticleEnStock.Taille = Tailles.NoTaille)";

} // namespace

Part Catalogue()
{
    return {
        .tables =
            {
                // A family in use by an article or a size cannot be deleted.
                R"(CREATE TABLE Familles (
                    NoFamille COUNTER PRIMARY KEY, NomFamille TEXT(50), Fonction TEXT(255),
                    Libele TEXT(100)))",
                // A size in use by an article or an employee cannot be deleted.
                R"(CREATE TABLE Tailles (
                    NoTaille COUNTER PRIMARY KEY, Taille TEXT(20), Ordre LONG,
                    NoFamille LONG REFERENCES Familles (NoFamille)))",
                // One size of a name per family.
                "CREATE UNIQUE INDEX TaillesFamilleTaille ON Tailles (NoFamille, Taille)",
                // Suppliers keep their column order: the suppliers' grid follows it.
                R"(CREATE TABLE Fournisseur (
                    Nauto COUNTER PRIMARY KEY, [No] LONG, CodeFournisseur TEXT(20),
                    Societe TEXT(100), Adresse TEXT(255), CodePostal TEXT(10), Ville TEXT(50),
                    NomContact TEXT(50), Tel TEXT(20), Fax TEXT(20)))",
                "CREATE INDEX FournisseurNo ON Fournisseur ([No])",
                // Articles are found by Reference; No is the row number the database gives.
                // Suppliers are not related: deleting one leaves its articles pointing to it.
                R"(CREATE TABLE ArticleEnStock (
                    [No] COUNTER PRIMARY KEY, Reference LONG, CodeArticle LONG,
                    CodeBar TEXT(50), Designation TEXT(100), Marque TEXT(50),
                    Famille LONG REFERENCES Familles (NoFamille),
                    Taille LONG REFERENCES Tailles (NoTaille), NoFournisseur LONG,
                    RefFournisseur TEXT(50), PrixAchatUnit CURRENCY, PrixAchatGlobal CURRENCY,
                    Prix DOUBLE, QteParPaket LONG, QteEnStock LONG, StockAlert LONG,
                    DelaiLivraison LONG, DateCreation DATETIME, DateDernierMouvement DATETIME,
                    Image TEXT(255), Norme TEXT(50), Descriptif MEMO, FicheTech MEMO))",
                "CREATE UNIQUE INDEX ArticleEnStockReference ON ArticleEnStock (Reference)",
                // A machine article code and a bar code each belong to one article at most.
                "CREATE UNIQUE INDEX ArticleEnStockCodeArticle ON ArticleEnStock (CodeArticle)",
                "CREATE UNIQUE INDEX ArticleEnStockCodeBar ON ArticleEnStock (CodeBar)",
                // The pool of machine article codes; Reference is Null for a free code.
                R"(CREATE TABLE CodeArticle (
                    CodeArticle LONG NOT NULL PRIMARY KEY, Reference LONG))",
                // The stock-receipt journal, rows only ever added. No key column: the journal's
                // grid sorts by the field at the clicked column's position, so the columns stand
                // in the grid's order.
                R"(CREATE TABLE MouvementStock (
                    DateEntree DATETIME, RefProduit LONG, Designation TEXT(100), Qte LONG,
                    Commentaire TEXT(255), NomFournisseur TEXT(100), RefFournisseur TEXT(50)))",
            },
        .views =
            {
                {"Stock", StockSql},
                {"StockGlobal", StockGlobalSql},
            },
    };
}

} // namespace database::schema
