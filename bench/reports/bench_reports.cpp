// The consumption work table refilled from 1 000 000 movement lines through the record set,
// against one INSERT INTO CA SELECT of the same rows on the same connection and against the
// same rows copied one by one in SQLite alone; and a report of
// 500 pages written to PDF, against the same texts drawn straight on a PDF writer.

#include "harnix/commun/Global.h"
#include "harnix/database/Databases.h"
#include "harnix/reports/FenCompteRendu.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Translate.h"
#include "platform/forms/Registry.h"
#include "platform/report/Report.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr int Movements = 1000000;
constexpr int ListRows = 24000; // about 500 pages

QApplication& Application()
{
    static int argc = 1;
    static char name[] = "bench_reports";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *app;
}

// One generated zad.MDB for the whole run: one line per movement over 2005 and 2006.
class Database
{
public:
    Database()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        path_ = (folder_ / "zad.MDB").string();
        database::CreateZad(path_, false);
        connection_.Open(database::ConnectionString(path_, database::ZadPassword()));
        sqlite3* db = connection_.Handle();
        connection_.BeginTrans();
        sqlite3_stmt* vente = nullptr;
        sqlite3_stmt* ligne = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO Ventes (NumVente, LaDate, Utilisateur, Nom, Prenom, "
                           "TypeMouvement, Total) VALUES (?1, ?2, ?3, ?4, 'Jean', 3, 4.5)",
                           -1, &vente, nullptr);
        sqlite3_prepare_v2(db,
                           "INSERT INTO DetailVente (NumVente, Reference, Designation, Quantite, "
                           "PrixAchatUnit, NomFamille, NomSite, NomService, Profile, "
                           "CodeFournisseur, Societe) VALUES (?1, ?2, ?3, 1, 4.5, 'GANTS', ?4, "
                           "'ATELIER', '1', 'F01', 'PROTEC')",
                           -1, &ligne, nullptr);
        char date[32];
        for (int i = 0; i < Movements; ++i) {
            const int day = i % 730;
            std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:00", 2005 + day / 365,
                          1 + (day % 365) / 31 % 12, 1 + day % 28, i % 24, i % 60);
            const std::string badge = std::to_string(1000 + i % 500);
            const std::string nom = "SALARIE " + std::to_string(i % 500);
            sqlite3_bind_int(vente, 1, i + 1);
            sqlite3_bind_text(vente, 2, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(vente, 3, badge.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(vente, 4, nom.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(vente);
            sqlite3_reset(vente);
            const std::string article = "ARTICLE " + std::to_string(i % 300);
            sqlite3_bind_int(ligne, 1, i + 1);
            sqlite3_bind_int(ligne, 2, 1000 + i % 300);
            sqlite3_bind_text(ligne, 3, article.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(ligne, 4, i % 2 ? "LYON" : "NANTES", -1, SQLITE_STATIC);
            sqlite3_step(ligne);
            sqlite3_reset(ligne);
        }
        sqlite3_finalize(vente);
        sqlite3_finalize(ligne);
        connection_.Execute("INSERT INTO InfoSociete (Nom) VALUES ('ACME PROTECTION')");
        connection_.CommitTrans();
        Global::ChaineConnexion = database::ConnectionString(path_, database::ZadPassword());
    }
    ~Database()
    {
        connection_.Close();
        std::filesystem::remove_all(folder_);
    }
    ado::Connection& Connection() { return connection_; }
    const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::string path_;
    ado::Connection connection_;
};

Database& Db()
{
    Application();
    static Database db;
    return db;
}

void BM_CreerEtatCA(benchmark::State& state)
{
    Db();
    FenCompteRendu& f = forms::form<FenCompteRendu>();
    f.TextDebut->setText("01/01/2005");
    f.TextFin->setText("31/12/2006");
    for (auto _ : state) {
        if (f.CreerEtatCA() != FenCompteRendu::ResultatCA::Lignes)
            state.SkipWithError("CA not filled");
    }
    state.counters["rows"] = f.RecordsetEtat.RecordCount();
    forms::UnloadAll();
}

// The work table's columns, and the movement lines that fill them.
constexpr const char* CaColumns =
    "NomMois, TypeMouvement, LaDate, Utilisateur, Nom, Prenom, Reference, Designation, Quantite, "
    "NomFamille, NomSite, NomService, Profile, CodeFournisseur, Societe, PrixAchatUnit";
constexpr const char* CaLines =
    "SELECT Format([Ventes.LaDate],\"mmmm\"), Ventes.TypeMouvement, Ventes.LaDate, "
    "Ventes.Utilisateur, Ventes.Nom, Ventes.Prenom, DetailVente.Reference, "
    "DetailVente.Designation, DetailVente.Quantite, DetailVente.NomFamille, DetailVente.NomSite, "
    "DetailVente.NomService, DetailVente.Profile, DetailVente.CodeFournisseur, "
    "DetailVente.Societe, DetailVente.PrixAchatUnit FROM Ventes INNER JOIN DetailVente ON "
    "Ventes.NumVente = DetailVente.NumVente WHERE Ventes.LaDate >= '2005-01-01 00:00:00' AND "
    "Ventes.LaDate < '2007-01-01 00:00:00'";

void BM_InsertSelectBaseline(benchmark::State& state)
{
    ado::Connection& c = Db().Connection();
    for (auto _ : state) {
        c.BeginTrans();
        c.Execute("DELETE FROM CA");
        const long rows = c.Execute(std::string("INSERT INTO CA (") + CaColumns + ") " + CaLines);
        c.CommitTrans();
        state.counters["rows"] = static_cast<double>(rows);
    }
}

// The same copy row by row in SQLite alone: the rows of the selection stepped through, each
// bound to one prepared INSERT. The floor of any copy that writes row by row.
void BM_RowByRowBaseline(benchmark::State& state)
{
    ado::Connection& c = Db().Connection();
    sqlite3* db = c.Handle();
    const std::string select = ado::TranslateSql(CaLines);
    const std::string insert =
        std::string("INSERT INTO CA (") + CaColumns + ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    for (auto _ : state) {
        c.BeginTrans();
        c.Execute("DELETE FROM CA");
        sqlite3_stmt* sel = nullptr;
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(db, select.c_str(), -1, &sel, nullptr);
        sqlite3_prepare_v2(db, insert.c_str(), -1, &ins, nullptr);
        long n = 0;
        while (sqlite3_step(sel) == SQLITE_ROW) {
            for (int i = 0; i < 16; ++i) {
                sqlite3_bind_value(ins, i + 1, sqlite3_column_value(sel, i));
            }
            sqlite3_step(ins);
            sqlite3_reset(ins);
            ++n;
        }
        sqlite3_finalize(sel);
        sqlite3_finalize(ins);
        c.CommitTrans();
        state.counters["rows"] = static_cast<double>(n);
    }
}
// A list of ListRows lines of the stock definition's shape.
std::shared_ptr<report::Report> ListeDe500Pages(ado::Recordset& rows, ado::Recordset& heading,
                                                ado::Recordset& company)
{
    const std::string path = (Db().Folder() / "Liste.RPT").string();
    QFile f(QString::fromStdString(path));
    f.open(QIODevice::WriteOnly);
    f.write(R"({"tables": [{"position": 1, "role": "detail"}, {"position": 2, "role": "heading"},
      {"position": 3, "role": "company"}], "sort": ["Reference"],
      "columns": [{"field": "Reference", "title": "Réf.", "width": 20},
        {"field": "Designation", "title": "Désignation", "width": 80},
        {"field": "Quantite", "title": "Qté", "width": 20, "format": "quantity"},
        {"field": "PrixAchatUnit", "title": "Prix", "width": 30, "format": "money"}],
      "totals": {"label": "Total", "sums": ["Quantite"], "count": true}})");
    f.close();
    auto report = report::Report::Open(path);
    report->SetDataSource(1, rows);
    report->SetDataSource(2, heading);
    report->SetDataSource(3, company);
    return report;
}

void BM_Render500Pages(benchmark::State& state)
{
    ado::Connection& c = Db().Connection();
    ado::Recordset rows, heading, company;
    rows.Open("SELECT NumVente AS Reference, Designation, Quantite, PrixAchatUnit FROM "
              "DetailVente WHERE NumVente <= " +
                  std::to_string(ListRows),
              c);
    heading.Open("InfoEtat", c);
    company.Open("InfoSociete", c);
    auto report = ListeDe500Pages(rows, heading, company);
    const QString pdf = QString::fromStdString((Db().Folder() / "liste.pdf").string());
    for (auto _ : state) {
        report->ReadRecords();
        report->WritePdf(pdf);
    }
    state.counters["pages"] = report->PageCount();
}

// The same number of pages and texts drawn directly, without layout.
void BM_Render500PagesBaseline(benchmark::State& state)
{
    const QString pdf = QString::fromStdString((Db().Folder() / "nu.pdf").string());
    const int perPage = ListRows / 500;
    for (auto _ : state) {
        QPdfWriter writer(pdf);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        painter.setWindow(0, 0, 2100, 2970);
        QFont font("DejaVu Sans");
        font.setPixelSize(32);
        painter.setFont(font);
        for (int p = 0; p < 500; ++p) {
            if (p > 0)
                writer.newPage();
            for (int r = 0; r < perPage; ++r) {
                const int i = p * perPage + r;
                const double y = 400 + r * 50;
                painter.drawText(QRectF(125, y, 190, 50), QString::number(i + 1));
                painter.drawText(QRectF(325, y, 790, 50), "ARTICLE " + QString::number(i % 300));
                painter.drawText(QRectF(1125, y, 190, 50), Qt::AlignRight, "1");
                painter.drawText(QRectF(1325, y, 290, 50), Qt::AlignRight, "4,50");
            }
            painter.drawText(QRectF(0, 2860, 2100, 40), Qt::AlignHCenter,
                             QString("Page %1 / 500").arg(p + 1));
        }
    }
}

BENCHMARK(BM_CreerEtatCA)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_InsertSelectBaseline)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_RowByRowBaseline)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_Render500Pages)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_Render500PagesBaseline)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

} // namespace
