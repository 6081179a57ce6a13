#include "bench/large/GrandeBase.h"

#include "harnix/commun/Global.h"
#include "harnix/database/Databases.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Translate.h"
#include "platform/vb/Convert.h"

#include <QApplication>
#include <QImage>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>

namespace grande {

namespace {

// The program folder, or empty when the variable names none.
std::string Dossier()
{
    const char* dossier = std::getenv("HARNIX_LARGE_DB");
    if (!dossier || !std::filesystem::exists(std::filesystem::path(dossier) / "zad.MDB"))
        return {};
    return dossier;
}

} // namespace

bool Preparer(benchmark::State& state)
{
    static const bool pret = [] {
        const std::string dossier = Dossier();
        if (dossier.empty())
            return false;
        static int argc = 1;
        static char nom[] = "bench_large";
        static char* argv[] = {nom, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Never destroyed: the windows it shows live until the process ends, and Qt tears down
        // badly when the application goes before them at exit.
        new QApplication(argc, argv);
        Global::SetProgramFolder(dossier);
        const std::string zad = (std::filesystem::path(dossier) / "zad.MDB").string();
        Global::ChaineConnexion = database::ConnectionString(zad, database::ZadPassword());
        Global::TypeLecteur = "1";
        Global::PremierNumeroBadge = "1000";
        Global::FamilleGants = 1;
        Global::FamilleChaussures = 3;
        Global::PortBadge = 1;
        Global::CheminRapports = dossier + "/RPT SQL/";
        Global::CheminImages = dossier + "/image";
        // As the program's start does: a file made before an index of the schema gets it.
        ado::Connection cn;
        cn.Open(Global::ChaineConnexion);
        database::AddMissingIndexes(cn);
        cn.Close();
        return true;
    }();
    if (!pret)
        state.SkipWithError("HARNIX_LARGE_DB does not name a folder holding zad.MDB "
                            "(harnix-dbtool create <folder> --large)");
    return pret;
}

void RemplirImages()
{
    static const bool faites = [] {
        std::filesystem::create_directories(Global::CheminImages);
        ado::Recordset noms;
        noms.Open("SELECT DISTINCT Image FROM ArticleEnStock WHERE Image IS NOT NULL", Connexion());
        QImage image(640, 480, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        for (; !noms.Eof(); noms.MoveNext()) {
            const std::string chemin =
                Global::CheminImages + "/" + vb::CStr(noms["Image"].Value()) + ".jpg";
            if (!std::filesystem::exists(chemin))
                image.save(QString::fromStdString(chemin), "JPEG", 80);
        }
        return true;
    }();
    (void)faites;
}

ado::Connection& Connexion()
{
    static ado::Connection cn = [] {
        ado::Connection c;
        c.Open(Global::ChaineConnexion);
        return c;
    }();
    return cn;
}

long Nue(const std::string& sql)
{
    const std::string traduite = ado::TranslateSql(sql);
    sqlite3_stmt* requete = nullptr;
    sqlite3_prepare_v2(Connexion().Handle(), traduite.c_str(), -1, &requete, nullptr);
    const int colonnes = sqlite3_column_count(requete);
    long rangs = 0;
    while (sqlite3_step(requete) == SQLITE_ROW) {
        for (int c = 0; c < colonnes; ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(requete, c));
        ++rangs;
    }
    sqlite3_finalize(requete);
    return rangs;
}

} // namespace grande
