// The distribution machines' rules without a window: loading, column step and capacity, the
// units counted per line on a real zad.MDB, the two ways a line's refill is stated, and the slots
// of the known models.

#include "harnix/magasin/MachinesDistribution.h"

#include "tests/harnix/database/DatabaseFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

namespace M = MachinesDistribution;

TEST(MachinesDistribution, LoadingStepAndLineNumbers)
{
    EXPECT_TRUE(M::ParEtage(vb::Variant("ETAGE")));
    for (const vb::Variant& autre :
         {vb::Variant("etage"), vb::Variant("ETAGE "), vb::Variant::Null(), vb::Variant()})
        EXPECT_FALSE(M::ParEtage(autre));
    EXPECT_EQ(M::ColonneComptes(true), "Etage");
    EXPECT_EQ(M::ColonneComptes(false), "Colonne");

    for (auto [type, pas] : {std::pair{1, 4}, {2, 2}, {4, 2}, {3, 1}, {5, 1}, {6, 1}, {7, 0}})
        EXPECT_EQ(M::PasColonne(vb::Variant(type)), pas) << type;
    EXPECT_EQ(M::PasColonne(vb::Variant::Null()), 0);
    EXPECT_EQ(M::PasColonne(vb::Variant("2")), 2);

    // Type 1: columns 1, 5, 9; an unknown model puts every line on column 1.
    EXPECT_EQ(M::NumeroLigne(1, 4), 1);
    EXPECT_EQ(M::NumeroLigne(3, 4), 9);
    EXPECT_EQ(M::NumeroLigne(3, 0), 1);
}

TEST(MachinesDistribution, CapacityOfALine)
{
    EXPECT_EQ(M::Capacite(true, vb::Variant(40), vb::Variant(4)), 10.0);
    EXPECT_EQ(M::Capacite(true, vb::Variant(10), vb::Variant(4)), 2.5); // not rounded
    EXPECT_EQ(M::Capacite(false, vb::Variant(90), vb::Variant(5)), 5.0);
    EXPECT_EQ(M::Capacite(true, vb::Variant::Null(), vb::Variant(4)), 0.0);
    for (const vb::Variant& portes : {vb::Variant(0), vb::Variant::Null(), vb::Variant("")}) {
        EXPECT_EQ(M::Capacite(true, vb::Variant(40), portes), std::nullopt);
        EXPECT_EQ(M::Capacite(false, vb::Variant(40), portes), std::nullopt);
    }
}

// The shown machine: the grid's amount as computed, the line table's rounded half to even, the
// bar's level held within 0 to 100.
TEST(MachinesDistribution, RefillAsTheShownMachineDisplaysIt)
{
    struct Cas
    {
        double capacite, unites, aRemplir;
        int32_t entier;
        int niveau;
    };
    for (const Cas& c : {Cas{10, 7, 3, 3, 70}, Cas{2.5, 1, 1.5, 2, 40}, Cas{2.5, 0, 2.5, 2, 0},
                         Cas{3.5, 0, 3.5, 4, 0}, Cas{2, 5, -3, -3, 100}, Cas{0, 3, -3, -3, 0}}) {
        const M::RemplissageAffiche r = M::Remplissage(c.capacite, c.unites);
        EXPECT_EQ(r.aRemplir, c.aRemplir) << c.capacite << " " << c.unites;
        EXPECT_EQ(r.aRemplirEntier, c.entier) << c.capacite << " " << c.unites;
        EXPECT_EQ(r.niveau, c.niveau) << c.capacite << " " << c.unites;
    }
    // An amount the line table cannot hold leaves its field at 0; the grid still shows it.
    const M::RemplissageAffiche enorme = M::Remplissage(1e12, 1);
    EXPECT_EQ(enorme.aRemplir, 1e12 - 1);
    EXPECT_EQ(enorme.aRemplirEntier, 0);
}

// The global sheet keeps the count and the unrounded amount.
TEST(MachinesDistribution, RefillAsTheGlobalSheetRecordsIt)
{
    M::RemplissageGlobal r = M::RemplissageLigneGlobale(2.5, 1.0);
    EXPECT_EQ(r.nbUnite, 1);
    EXPECT_EQ(vb::CDbl(r.aRemplir), 1.5);
    r = M::RemplissageLigneGlobale(5.0, std::nullopt); // no slot rows: no unit
    EXPECT_EQ(r.nbUnite, 0);
    EXPECT_EQ(vb::CDbl(r.aRemplir), 5);
    EXPECT_TRUE(M::RemplissageLigneGlobale(std::nullopt, 2.0).aRemplir.IsEmpty());
}

class MachinesZad : public ::testing::Test
{
protected:
    database::testing::ZadFixture zad;

    ado::Recordset Comptes(const std::string& colonne, const std::string& no)
    {
        return database::testing::OpenRecordset(zad.Connection(), M::RequeteComptes(colonne, no));
    }
    std::string Stored(const std::string& sql)
    {
        ado::Recordset rs = database::testing::OpenRecordset(zad.Connection(), sql);
        return database::testing::Text(rs.Fields(0L).Value());
    }
};

// Machine 1: shelf 1 holds two units and an empty slot, shelf 2 one unit; column 3 one empty
// slot; machine 2 has no slot rows.
TEST_F(MachinesZad, UnitsCountedPerShelfOrColumn)
{
    ado::Recordset etages = Comptes("Etage", "1");
    EXPECT_EQ(M::Unites(etages, "Etage", 1), 2.0);
    EXPECT_EQ(M::Unites(etages, "Etage", 2), 1.0);
    EXPECT_EQ(M::Unites(etages, "Etage", 3), std::nullopt);
    EXPECT_EQ(M::Unites(etages, "Etage", 1), 2.0); // each search starts from the first row

    ado::Recordset colonnes = Comptes("Colonne", "1");
    EXPECT_EQ(M::Unites(colonnes, "Colonne", 1), 2.0);
    EXPECT_EQ(M::Unites(colonnes, "Colonne", 3), 0.0); // slot rows, all empty

    ado::Recordset vide = Comptes("Etage", "2");
    EXPECT_EQ(M::Unites(vide, "Etage", 1), std::nullopt);
}

TEST_F(MachinesZad, SlotsOfTheModels)
{
    zad.Connection().Execute("DELETE FROM EmplacementsMachine1");
    M::CreerEmplacements(zad.Connection(), 7, 3);
    M::CreerEmplacements(zad.Connection(), 8, 1);
    M::CreerEmplacements(zad.Connection(), 9, 6);
    M::CreerEmplacements(zad.Connection(), 9, 0);
    EXPECT_EQ(Stored("SELECT COUNT(*) || '/' || MAX(Colonne) || '/' || MAX(Etage) || '/' || "
                     "COUNT(Reference) || '/' || MAX(NoEmpl) FROM EmplacementsMachine1 WHERE "
                     "NoMachine = 7"),
              "180/10/18/0/180");
    EXPECT_EQ(Stored("SELECT COUNT(*) || '/' || MAX(Colonne) || '/' || MAX(Etage) FROM "
                     "EmplacementsMachine1 WHERE NoMachine = 8"),
              "36/4/9");
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM EmplacementsMachine1 WHERE NoMachine = 9"), "0");
    // Every slot of a model has a place of its own.
    EXPECT_EQ(Stored("SELECT COUNT(*) FROM (SELECT DISTINCT Etage, Colonne FROM "
                     "EmplacementsMachine1 WHERE NoMachine = 7)"),
              "180");
}

TEST(MachinesDistribution, ModelsAndTheirSlots)
{
    struct Cas
    {
        int type, portes, emplacements;
    };
    for (const Cas& c :
         {Cas{1, 4, 36}, Cas{2, 5, 90}, Cas{3, 5, 180}, Cas{4, 7, 126}, Cas{5, 7, 252}}) {
        const std::optional<M::Modele> m = M::ModeleMachine(c.type);
        ASSERT_TRUE(m) << c.type;
        EXPECT_EQ(m->portes, c.portes);
        EXPECT_EQ(m->emplacements, c.emplacements);
    }
    EXPECT_FALSE(M::ModeleMachine(0));
    EXPECT_FALSE(M::ModeleMachine(6));
    // 36 slots per door: two columns of 18 behind each door.
    const M::Modele modele5 = *M::ModeleMachine(5);
    const M::Place p19 = M::PlaceEmplacement(modele5, 19);
    EXPECT_EQ(p19.etage, 1);
    EXPECT_EQ(p19.colonne, 2);
    const M::Place p37 = M::PlaceEmplacement(modele5, 37);
    EXPECT_EQ(p37.etage, 1);
    EXPECT_EQ(p37.colonne, 3);
    // 18 slots per door: one column of 18 shelves.
    const M::Place p18 = M::PlaceEmplacement(*M::ModeleMachine(2), 18);
    EXPECT_EQ(p18.etage, 18);
    EXPECT_EQ(p18.colonne, 1);
}

} // namespace
