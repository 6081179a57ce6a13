#include "platform/ado/Catalogue.h"
#include "platform/ado/Connection.h"
#include "platform/dmo/Dmo.h"
#include "platform/vb/Error.h"
#include "tests/platform/vb/ErrorOf.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr const char* Password = "Kw8Rz";

using vb::testing::ErrorOf;

// A folder of the server's databases: zad.MDB with a password and two views, open.MDB without.
class ServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char name[] = "/tmp/dmo-test-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        ado::CreateDatabaseFile(folder + "/zad.MDB", Password);
        ado::Connection cn;
        cn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder +
                "/zad.MDB;Jet OLEDB:Database Password=" + Password);
        cn.Execute("CREATE TABLE CA (Nom TEXT(50))");
        ado::DefineView(cn, "Vue2", "SELECT Nom FROM CA");
        ado::DefineView(cn, "vue1", "SELECT * FROM CA");
        cn.Close();
        ado::CreateDatabaseFile(folder + "/open.MDB", "");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    dmo::Database Zad(dmo::SQLServer& server)
    {
        server.Connect("(local)", "qz", Password);
        return server.Databases("ZAD");
    }

    std::string folder;
};

TEST_F(ServerTest, OnlyThisMachineIsAServer)
{
    std::array<char, 256> host{};
    ASSERT_EQ(gethostname(host.data(), host.size() - 1), 0);
    for (const std::string& name :
         {std::string("(local)"), std::string("."), std::string("LOCALHOST\\HARNIX"),
          std::string("127.0.0.1"), std::string(host.data()) + "\\ZAD"}) {
        EXPECT_TRUE(dmo::SQLServer::IsThisMachine(name)) << name;
    }
    for (const std::string& name :
         {std::string("SERVEUR\\ZAD"), std::string(""), std::string("\\localhost")}) {
        EXPECT_FALSE(dmo::SQLServer::IsThisMachine(name)) << name;
    }
    dmo::SQLServer server(folder);
    EXPECT_EQ(ErrorOf([&] { server.Connect("SERVEUR\\ZAD", "qz", Password); }),
              dmo::ErrServerNotFound);
    EXPECT_FALSE(server.Connected());
}

TEST_F(ServerTest, LoginAndPasswordAreChecked)
{
    dmo::SQLServer server(folder);
    EXPECT_EQ(ErrorOf([&] { server.Databases("ZAD"); }), dmo::ErrNotConnected);
    EXPECT_EQ(ErrorOf([&] { server.Connect("localhost", "sa", Password); }), dmo::ErrLoginFailed);

    server.Connect("localhost", "qz", "wrong");
    EXPECT_EQ(ErrorOf([&] { server.Databases("ZAD"); }), dmo::ErrLoginFailed);
    // Without a password only the databases that have none open.
    server.Connect("localhost", "qz");
    EXPECT_EQ(ErrorOf([&] { server.Databases("ZAD"); }), dmo::ErrLoginFailed);
    EXPECT_EQ(server.Databases("open").StoredProcedures().Count(), 0);
    EXPECT_EQ(ErrorOf([&] { server.Databases("absent"); }), dmo::ErrDatabaseNotFound);

    server.Connect("localhost", "QZ", Password);
    EXPECT_EQ(server.Databases("zad").Name(), "zad");
}

TEST_F(ServerTest, StoredProceduresAreKeptByNameAndText)
{
    {
        dmo::SQLServer server(folder);
        dmo::StoredProcedures procedures = Zad(server).StoredProcedures();
        EXPECT_EQ(procedures.Count(), 0);
        EXPECT_EQ(ErrorOf([&] { procedures.Remove("EtatCA"); }), dmo::ErrObjectNotFound);
        procedures.Add({"EtatCA", "CREATE PROCEDURE EtatCA AS BEGIN DELETE  FROM CA END"});
        procedures.Add({"Autre", "CREATE PROCEDURE Autre AS SELECT 'x''y'"});
        EXPECT_EQ(ErrorOf([&] { procedures.Add({"ETATCA", "other"}); }), dmo::ErrObjectExists);
        server.DisConnect();
        EXPECT_EQ(ErrorOf([&] { procedures.Count(); }), dmo::ErrNotConnected);
    }
    // A new connection sees them, in the order they were added.
    dmo::SQLServer server(folder);
    dmo::StoredProcedures procedures = Zad(server).StoredProcedures();
    ASSERT_EQ(procedures.Count(), 2);
    EXPECT_EQ(procedures.Item(1).Name, "EtatCA");
    EXPECT_EQ(procedures.Item(1).Text, "CREATE PROCEDURE EtatCA AS BEGIN DELETE  FROM CA END");
    EXPECT_EQ(procedures.Item(2).Text, "CREATE PROCEDURE Autre AS SELECT 'x''y'");
    EXPECT_EQ(ErrorOf([&] { procedures.Item(3); }), dmo::ErrObjectNotFound);
    procedures.Remove("etatca");
    ASSERT_EQ(procedures.Count(), 1);
    EXPECT_EQ(procedures.Item(1).Name, "Autre");
}

TEST_F(ServerTest, ViewsAreTheDatabasesViews)
{
    dmo::SQLServer server(folder);
    dmo::Views views = Zad(server).Views();
    ASSERT_EQ(views.Count(), 2);
    EXPECT_EQ(views.Item(1), "vue1");
    EXPECT_EQ(views.Item(2), "Vue2");
    EXPECT_EQ(ErrorOf([&] { views.Remove("Vue3"); }), dmo::ErrObjectNotFound);
    views.Remove("VUE2");
    EXPECT_EQ(views.Count(), 1);

    ado::Connection cn;
    cn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder +
            "/zad.MDB;Jet OLEDB:Database Password=" + Password);
    // The view is gone from the database itself.
    EXPECT_EQ(ErrorOf([&] { cn.Execute("SELECT * FROM Vue2"); }), static_cast<int32_t>(0x80040E37));
}

} // namespace
