#include "platform/ado/Transaction.h"
#include "AdoFixture.h"
#include "platform/ado/CurrentRow.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using ado::testing::Count;
using ado::testing::ErrorOf;
using ado::testing::TempDatabase;

class RunInTransactionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        cn.Execute("CREATE TABLE Sites (NoSite LONG PRIMARY KEY, NomSite TEXT(50))");
        cn.Execute("INSERT INTO Sites VALUES (1, 'Lyon')");
    }
    // What the file holds, read through a connection of its own.
    long Sites()
    {
        ado::Connection autre = db.Open();
        return Count(autre, "SELECT COUNT(*) FROM Sites");
    }
    void Ajouter(int no)
    {
        cn.Execute("INSERT INTO Sites VALUES (" + std::to_string(no) + ", 'x')");
    }

    TempDatabase db;
    ado::Connection cn = db.Open();
};

TEST_F(RunInTransactionTest, CommitsTheWritesAndReturnsTheirResult)
{
    const int numero = ado::RunInTransaction(cn, [&] {
        Ajouter(2);
        Ajouter(3);
        return 3;
    });
    EXPECT_EQ(numero, 3);
    EXPECT_EQ(Sites(), 3);
    // No transaction is left open.
    EXPECT_EQ(ErrorOf([&] { cn.CommitTrans(); }), 3034);
}

TEST_F(RunInTransactionTest, AFailureRollsBackEveryWriteAndIsPassedOn)
{
    try {
        ado::RunInTransaction(cn, [&] {
            Ajouter(2);
            Ajouter(1); // refused: the key is taken
        });
        FAIL() << "the refusal was not passed on";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), vb::ErrDatabaseRefused);
    }
    EXPECT_EQ(Sites(), 1);
    // Any exception, not only the runtime's errors, rolls back and goes on as it was.
    EXPECT_THROW(ado::RunInTransaction(cn,
                                       [&] {
                                           Ajouter(4);
                                           throw std::runtime_error("plus de mémoire");
                                       }),
                 std::runtime_error);
    EXPECT_EQ(Sites(), 1);
    // The connection is out of the transaction and writes at once again.
    Ajouter(5);
    EXPECT_EQ(Sites(), 2);
}

TEST_F(RunInTransactionTest, AFailedCommitRollsBack)
{
    // A deferred relation is checked only at the commit, which refuses it.
    cn.Execute("CREATE TABLE Services (NoService LONG PRIMARY KEY, "
               "Site LONG REFERENCES Sites(NoSite) DEFERRABLE INITIALLY DEFERRED)");
    EXPECT_NE(ErrorOf([&] {
                  ado::RunInTransaction(cn, [&] {
                      Ajouter(2);
                      cn.Execute("INSERT INTO Services VALUES (1, 42)");
                  });
              }),
              0);
    EXPECT_EQ(Sites(), 1);
    Ajouter(3);
    EXPECT_EQ(Sites(), 2);
}

TEST_F(RunInTransactionTest, AFailedRollbackLeavesTheWritesFailureToTheCaller)
{
    // The writes end the transaction themselves, so that the rollback has none to undo and fails.
    EXPECT_EQ(ErrorOf([&] {
                  ado::RunInTransaction(cn, [&] {
                      Ajouter(2);
                      cn.CommitTrans();
                      vb::Raise(3021);
                  });
              }),
              3021);
    EXPECT_EQ(Sites(), 2);
    EXPECT_EQ(ErrorOf([&] { cn.RollbackTrans(); }), 3034);
}

TEST_F(RunInTransactionTest, InsideAnotherTransactionOnlyItsOwnWritesAreUndone)
{
    cn.BeginTrans();
    Ajouter(2);
    EXPECT_EQ(ErrorOf([&] {
                  ado::RunInTransaction(cn, [&] {
                      Ajouter(3);
                      Ajouter(3);
                  });
              }),
              vb::ErrDatabaseRefused);
    cn.CommitTrans();
    EXPECT_EQ(Sites(), 2);
    EXPECT_EQ(Count(cn, "SELECT COUNT(*) FROM Sites WHERE NoSite = 3"), 0);
}

TEST_F(RunInTransactionTest, WhereARecordsetStandsAndWhatItHoldsPending)
{
    ado::Recordset rs;
    EXPECT_FALSE(ado::OpenOnRow(rs));
    EXPECT_EQ(ErrorOf([&] { ado::OnRow(rs); }), 3704); // closed: as Eof and Bof say
    ado::CancelPendingEdit(rs);                        // nothing to drop, nothing raised

    rs.Open("SELECT * FROM Sites", cn, ado::adOpenDynamic, ado::adLockOptimistic);
    EXPECT_TRUE(ado::OnRow(rs));
    EXPECT_TRUE(ado::OpenOnRow(rs));
    rs.MoveNext();
    EXPECT_FALSE(ado::OnRow(rs));
    EXPECT_FALSE(ado::OpenOnRow(rs));

    // A refused addition is dropped, and the record set is usable again.
    rs.AddNew();
    rs["NoSite"] = 1;
    EXPECT_EQ(ErrorOf([&] { rs.Update(); }), vb::ErrDatabaseRefused);
    ado::CancelPendingEdit(rs);
    EXPECT_EQ(rs.EditMode(), ado::adEditNone);
    rs.MoveFirst();
    EXPECT_TRUE(ado::OpenOnRow(rs));
    EXPECT_EQ(Sites(), 1);
}

} // namespace
