// Access files of other programs copied into this system's database files: a Jet 4 file with
// dates at the ends of the calendar, and a Jet 3 file with accented names and texts, amounts and
// real numbers.

#include "platform/jet/Jet.h"
#include "Damaged.h"
#include "platform/jet/JetCopie.h"

#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

class JetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string modele = (std::filesystem::temp_directory_path() / "jet-XXXXXX").string();
        dossier_ = ::mkdtemp(modele.data());
    }
    void TearDown() override { std::filesystem::remove_all(dossier_); }

    static std::string Source(const std::string& nom)
    {
        return std::string(JET_TEST_DATA) + "/" + nom;
    }

    // The copy of a test file, opened.
    ado::Connection Copie(const std::string& nom)
    {
        const std::string cible = (dossier_ / (nom + ".MDB")).string();
        jet::CopyToDatabase(Source(nom), cible);
        ado::Connection cn;
        cn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + cible +
                ";Jet OLEDB:Database Password=");
        return cn;
    }

    // The value of one column of the first row the statement gives.
    static vb::Variant Premier(ado::Connection& cn, const std::string& sql, const char* colonne)
    {
        ado::Recordset rs;
        rs.Open(sql, cn, ado::adOpenDynamic, ado::adLockOptimistic);
        EXPECT_FALSE(rs.Eof()) << sql;
        return rs.Eof() ? vb::Variant::Null() : rs[colonne].Value();
    }

    std::filesystem::path dossier_;
};

TEST_F(JetTest, TellsJetFilesFromOthers)
{
    EXPECT_TRUE(jet::IsJetFile(Source("DateTestDatabase.mdb")));
    EXPECT_TRUE(jet::IsJetFile(Source("nwind.mdb")));
    Copie("DateTestDatabase.mdb");
    EXPECT_FALSE(jet::IsJetFile((dossier_ / "DateTestDatabase.mdb.MDB").string()));
    EXPECT_FALSE(jet::IsJetFile((dossier_ / "absent.mdb").string()));
}

TEST_F(JetTest, DatesOfTheWholeCalendarAndTexts)
{
    ado::Connection cn = Copie("DateTestDatabase.mdb");
    const struct
    {
        int id;
        const char* colonne;
        const char* date;
    } cases[] = {{1, "DateTimeCol", "2021-12-02 00:00:00"},
                 {2, "DateCol", "9999-01-01 00:00:00"},
                 {3, "DateTimeCol", "1898-01-01 00:00:00"},
                 {3, "TimeCol", "1900-01-01 00:00:00"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const vb::Variant v =
            Premier(cn, "SELECT * FROM DateTest WHERE IDCol = " + std::to_string(c.id), c.colonne);
        ASSERT_EQ(v.Type(), vb::VarType::Date);
        EXPECT_EQ(v.DateValue().ToIsoText(), c.date);
    }
    EXPECT_EQ(vb::CStr(Premier(cn, "SELECT * FROM DateTest WHERE IDCol = 2", "ShortTextCol")),
              "Year 1999");
    EXPECT_EQ(vb::CStr(Premier(cn, "SELECT * FROM DateTest WHERE IDCol = 1", "LongTextCol")),
              "Hello");
}

TEST_F(JetTest, AccentsAmountsAndRealNumbersOfAJet3File)
{
    ado::Connection cn = Copie("nwind.mdb");
    EXPECT_EQ(vb::CStr(Premier(cn, "SELECT * FROM Customers WHERE CustomerID = 'ANATR'", "City")),
              "México D.F.");
    const vb::Variant prix = Premier(cn, "SELECT * FROM Products WHERE ProductID = 1", "UnitPrice");
    ASSERT_EQ(prix.Type(), vb::VarType::Currency);
    EXPECT_EQ(prix.CurrencyValue().ToText(), "18");
    EXPECT_EQ(vb::CStr(Premier(cn,
                               "SELECT * FROM [Order Details] WHERE OrderID = 10248 AND "
                               "ProductID = 42",
                               "UnitPrice")),
              "9,8");
    // A date read before the row's memo and picture.
    EXPECT_EQ(Premier(cn, "SELECT * FROM Employees WHERE LastName = 'Davolio'", "BirthDate")
                  .DateValue()
                  .ToIsoText(),
              "1948-12-08 00:00:00");
    EXPECT_EQ(vb::CLng(Premier(cn, "SELECT COUNT(*) AS N FROM [Umsätze]", "N")), 830);
    const vb::Variant remise = Premier(
        cn, "SELECT * FROM [Order Details] WHERE Discount > 0 ORDER BY OrderID", "Discount");
    EXPECT_GT(vb::CDbl(remise), 0.0);
    EXPECT_LE(vb::CDbl(remise), 1.0);
}

TEST_F(JetTest, UnreadableFileLeavesNoTarget)
{
    const std::string cible = (dossier_ / "copie.MDB").string();
    const std::string faux = (dossier_ / "faux.mdb").string();
    std::FILE* f = std::fopen(faux.c_str(), "w");
    std::fputs("not a database", f);
    std::fclose(f);
    try {
        jet::CopyToDatabase(faux, cible);
        FAIL() << "no error";
    } catch (const vb::Error& erreur) {
        EXPECT_EQ(erreur.Number(), vb::ErrUnspecified);
    }
    EXPECT_FALSE(std::filesystem::exists(cible));
}

// The programs copy through jetcopie, in a process of its own: a file that crashes the reader, or
// a reader that never answers, fails the copy only, and nothing of it is left.
class JetApartTest : public JetTest
{
protected:
    void TearDown() override
    {
        jet::SetCopierProgram({});
        JetTest::TearDown();
    }

    std::string Cible() const { return (dossier_ / "copie.MDB").string(); }
    bool RienALaCible() const
    {
        for (const char* suffixe : {"", "-wal", "-shm", "-journal"})
            if (std::filesystem::exists(Cible() + suffixe))
                return false;
        return true;
    }
    std::string Abime() const
    {
        const std::string abime = (dossier_ / "abime.mdb").string();
        jet::testing::WriteDamagedNwind(JET_TEST_DATA, abime);
        return abime;
    }
    static std::string Echec(const std::function<void()>& copie)
    {
        try {
            copie();
        } catch (const vb::Error& erreur) {
            EXPECT_EQ(erreur.Number(), vb::ErrUnspecified);
            return erreur.Description();
        }
        ADD_FAILURE() << "no error";
        return {};
    }
};

TEST_F(JetApartTest, CopiesAsTheReaderDoes)
{
    jet::SetCopierProgram(JETCOPIE);
    jet::CopyApart(Source("nwind.mdb"), Cible());
    ado::Connection cn;
    cn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Cible() +
            ";Jet OLEDB:Database Password=");
    EXPECT_EQ(vb::CStr(Premier(cn, "SELECT COUNT(*) AS n FROM Customers", "n")), "91");
}

TEST_F(JetApartTest, ACrashOrATimeOutIsAnUnreadableFile)
{
    jet::SetCopierProgram(JETCOPIE);
    const std::string abime = Abime();
    // The reader crashes (SIGSEGV) on it, in its own process.
    EXPECT_NE(Echec([&] {
                  jet::CopyApart(abime, Cible());
              }).find("abime.mdb' : le fichier est endommagé"),
              std::string::npos);
    EXPECT_TRUE(RienALaCible());
    // A file that is no Access file: jetcopie says so and fails.
    EXPECT_NE(Echec([&] { jet::CopyApart(Source("absent.mdb"), Cible()); }), "");
    EXPECT_TRUE(RienALaCible());

    // A reader that never answers, and leaves a file behind, is stopped at the limit.
    const std::string lent = (dossier_ / "lent").string();
    std::ofstream(lent) << "#!/bin/sh\necho partiel > \"$2\"\nexec sleep 30\n";
    std::filesystem::permissions(lent, std::filesystem::perms::owner_all);
    jet::SetCopierProgram(lent);
    const auto debut = std::chrono::steady_clock::now();
    EXPECT_NE(Echec([&] {
                  jet::CopyApart(Source("nwind.mdb"), Cible(), std::chrono::milliseconds(500));
              }).find("pas de réponse"),
              std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(10));
    EXPECT_TRUE(RienALaCible());

    jet::SetCopierProgram((dossier_ / "aucun").string());
    EXPECT_NE(
        Echec([&] { jet::CopyApart(Source("nwind.mdb"), Cible()); }).find("impossible de démarrer"),
        std::string::npos);
}

} // namespace
