#include "platform/report/Report.h"
#include "PdfTools.h"
#include "platform/ado/Recordset.h"
#include "platform/report/Ean13.h"
#include "platform/report/Errors.h"
#include "platform/report/Mail.h"
#include "platform/report/ReportViewer.h"
#include "platform/vb/Error.h"
#include "tests/platform/ado/AdoFixture.h"
#include "tests/platform/vb/ErrorOf.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace {

using report::testing::PdfPages;
using report::testing::PdfText;
using vb::testing::ErrorOf;

class ReportEngine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        cn = db.Open();
        cn.Execute("CREATE TABLE Lignes (Groupe TEXT(20), Article TEXT(255), Qte LONG, "
                   "Prix CURRENCY, Badge TEXT(20))");
        cn.Execute("CREATE TABLE Entete (Titre TEXT(255), Periode TEXT(255))");
        cn.Execute("CREATE TABLE Societe (Nom TEXT(50), Ville TEXT(50))");
        cn.Execute("INSERT INTO Entete VALUES ('Essai de rapport', 'Période du 01/03/2006 au "
                   "31/03/2006')");
        cn.Execute("INSERT INTO Societe VALUES ('ACME PROTECTION', 'LYON')");
    }

    QString Write(const QString& name, const QByteArray& text)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path;
    }

    ado::Recordset Open(const std::string& table)
    {
        ado::Recordset rs;
        rs.Open(table, cn);
        return rs;
    }

    ado::testing::TempDatabase db;
    ado::Connection cn;
    QTemporaryDir dir;
};

constexpr const char* Liste = R"({
  "tables": [{"position": 1, "role": "detail"}, {"position": 2, "role": "heading"},
             {"position": 3, "role": "company"}],
  "computed": [{"name": "Valeur", "product": ["Qte", "Prix"]}],
  "sort": ["Article"],
  "groups": [{"field": "Groupe", "label": "Groupe : ", "sums": ["Qte", "Valeur"]}],
  "columns": [{"field": "Article", "title": "Article", "width": 60},
              {"field": "Qte", "title": "Qté", "width": 20, "format": "quantity"},
              {"field": "Valeur", "title": "Valeur", "width": 30, "format": "money"}],
  "totals": {"label": "Total général", "sums": ["Qte", "Valeur"], "count": true},
  "chart": {"sum": "Qte", "title": "Quantités"}
})";

TEST_F(ReportEngine, ListWithGroupsTotalsHeadingAndPages)
{
    // 150 lines in two groups: several pages, sums computed here.
    long qteA = 0, qteB = 0;
    for (int i = 0; i < 150; ++i) {
        const bool a = i % 3 != 0;
        (a ? qteA : qteB) += i + 1;
        cn.Execute("INSERT INTO Lignes VALUES ('" + std::string(a ? "ALPHA" : "BETA") +
                   "', 'Article " + std::to_string(1000 + i) + "', " + std::to_string(i + 1) +
                   ", 2.5, NULL)");
    }
    auto rapport = report::Report::Open(
        Write("LISTE.rpt", Liste)
            .toStdString()
            .replace(dir.path().size() + 1, 5, "liste")); // found without regard to case
    ASSERT_EQ(rapport->TableCount(), 3);
    rapport->SetDataSource(1, Open("Lignes"));
    rapport->SetDataSource(2, Open("Entete"));
    rapport->SetDataSource(3, Open("Societe"));
    rapport->ReadRecords();
    const QString pdf = dir.filePath("liste.pdf");
    rapport->WritePdf(pdf);
    const QString text = PdfText(pdf).simplified();
    EXPECT_EQ(PdfPages(pdf), rapport->PageCount());
    EXPECT_GT(rapport->PageCount(), 2);
    for (const QString& part :
         {QString("ACME PROTECTION"), QString("Essai de rapport"),
          QString("Période du 01/03/2006 au 31/03/2006"), QString("Groupe : ALPHA"),
          QString("Total ALPHA %1").arg(qteA), QString("Total BETA %1").arg(qteB),
          QString("Page %1 / %1").arg(rapport->PageCount())})
        EXPECT_TRUE(text.contains(part)) << part.toStdString();
    // The printer gets the same pages (here a printer that writes PDF).
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("imprime.pdf"));
    rapport->Print(printer);
    EXPECT_EQ(PdfPages(dir.filePath("imprime.pdf")), rapport->PageCount());
    EXPECT_EQ(PdfText(dir.filePath("imprime.pdf")).simplified(), text);
    // The grand total of the values, with the settings' decimal separator.
    const QString valeur =
        report::FormatValue(vb::Variant((qteA + qteB) * 2.5), report::Format::Money).simplified();
    EXPECT_TRUE(text.contains(QString("Total général (150) %1 %2").arg(qteA + qteB).arg(valeur)))
        << valeur.toStdString();
}

// A text a little wider than its column is written smaller and keeps its end; a much longer one
// is cut rather than written over the next column.
TEST_F(ReportEngine, LongTextsOfAColumn)
{
    const std::string longue(120, 'X');
    cn.Execute("INSERT INTO Lignes VALUES ('A', 'LUNETTES DE PROTECTION INCOLORES', 7, 1, NULL)");
    cn.Execute("INSERT INTO Lignes VALUES ('A', 'CHAUSSURES SECURITE S3 P40', 8, 1, NULL)");
    cn.Execute("INSERT INTO Lignes VALUES ('A', '" + longue + "', 9, 1, NULL)");
    auto rapport = report::Report::Open(
        Write("etroit.rpt", QByteArray(Liste).replace("60", "55")).toStdString());
    rapport->SetDataSource(1, Open("Lignes"));
    rapport->SetDataSource(2, Open("Entete"));
    rapport->SetDataSource(3, Open("Societe"));
    rapport->ReadRecords();
    const QString pdf = dir.filePath("etroit.pdf");
    rapport->WritePdf(pdf);
    const QString text = PdfText(pdf).simplified();
    EXPECT_TRUE(text.contains("LUNETTES DE PROTECTION INCOLORES 7")) << text.toStdString();
    EXPECT_TRUE(text.contains("CHAUSSURES SECURITE S3 P40 8")) << text.toStdString();
    EXPECT_FALSE(text.contains(QString::fromStdString(longue)));
    EXPECT_TRUE(text.contains(QString::fromUtf8("XXX… 9"))) << text.toStdString();
}

// A title wider than the page is written smaller or over more lines, never cut: each reads whole
// in the PDF, and the period and the lines still follow it.
TEST_F(ReportEngine, LongTitlesReadWhole)
{
    cn.Execute("INSERT INTO Lignes VALUES ('A', 'LUNETTES', 7, 1, NULL)");
    const QString moyen = "Consommations de la référence GANTS NITRILE T9 par site";
    const QString nom = "Consommations DE LA ROCHEFOUCAULD-LIANCOURT Marie-Bernadette";
    const QString longue = nom + " service MAINTENANCE ELECTRIQUE ET MECANIQUE site de "
                                 "SAINT-MARTIN-DE-BELLEVILLE";
    const QString tresLong = (longue + " ").repeated(3).trimmed().left(255);
    for (const QString& titre : {moyen, nom, longue, tresLong}) {
        SCOPED_TRACE(titre.toStdString());
        cn.Execute("UPDATE Entete SET Titre = '" + titre.toStdString() + "'");
        auto rapport = report::Report::Open(Write("titre.rpt", Liste).toStdString());
        rapport->SetDataSource(1, Open("Lignes"));
        rapport->SetDataSource(2, Open("Entete"));
        rapport->SetDataSource(3, Open("Societe"));
        rapport->ReadRecords();
        const QString pdf = dir.filePath("titre.pdf");
        rapport->WritePdf(pdf);
        const QString text = PdfText(pdf);
        // Lines may break at a space or after a hyphen; the letters are all there, in order.
        const auto bare = [](QString s) { return s.remove(QRegularExpression("\\s")); };
        const QString flat = bare(text);
        EXPECT_TRUE(flat.contains(bare(titre))) << text.toStdString();
        EXPECT_FALSE(text.contains(QString::fromUtf8("…"))) << text.toStdString();
        EXPECT_LT(flat.indexOf(bare(titre)), flat.indexOf(bare("Période du 01/03/2006")));
        EXPECT_LT(flat.indexOf(bare("Période du 01/03/2006")), flat.indexOf("LUNETTES7"));
    }
}

TEST_F(ReportEngine, ViewerShowsThePagesAndMovesBetweenThem)
{
    for (int i = 0; i < 150; ++i)
        cn.Execute("INSERT INTO Lignes VALUES ('A', 'Article " + std::to_string(i) +
                   "', 1, 1, NULL)");
    auto rapport = report::Report::Open(Write("liste.rpt", Liste).toStdString());
    rapport->SetDataSource(1, Open("Lignes"));
    rapport->SetDataSource(2, Open("Entete"));
    rapport->SetDataSource(3, Open("Societe"));
    rapport->ReadRecords();
    report::ReportViewer viewer;
    viewer.resize(800, 600);
    viewer.show();
    viewer.SetReportSource(rapport);
    viewer.ViewReport();
    EXPECT_TRUE(viewer.IsBusy()); // the pages are made from the event loop
    while (viewer.IsBusy())
        QCoreApplication::processEvents();
    EXPECT_TRUE(viewer.LastError().isEmpty());
    ASSERT_EQ(viewer.PageCount(), rapport->PageCount());
    EXPECT_EQ(viewer.CurrentPage(), 1);
    viewer.findChild<QToolButton*>("Derniere")->click();
    EXPECT_EQ(viewer.CurrentPage(), rapport->PageCount());
    viewer.findChild<QToolButton*>("Precedente")->click();
    EXPECT_EQ(viewer.CurrentPage(), rapport->PageCount() - 1);
    viewer.ShowPage(99);
    EXPECT_EQ(viewer.CurrentPage(), rapport->PageCount());
}

TEST_F(ReportEngine, ErrorsOfFilesAndTables)
{
    EXPECT_EQ(ErrorOf([&] { report::Report::Open(dir.filePath("absent.rpt").toStdString()); }),
              report::ErrReportNotFound);
    for (const char* bad :
         {"{ pas du json", "[]", R"({"tables": [{"position": 1, "role": "detail"}]})",
          R"({"tables": [{"position": 1, "role": "x"}], "columns": []})"}) {
        const QString path = Write("bad.rpt", bad);
        EXPECT_EQ(ErrorOf([&] { report::Report::Open(path.toStdString()); }),
                  report::ErrBadDefinition)
            << bad;
    }
    auto rapport = report::Report::Open(Write("liste.rpt", Liste).toStdString());
    rapport->SetDataSource(1, Open("Lignes"));
    rapport->SetDataSource(2, Open("Entete"));
    // Table 3 not given, then a table without the fields the report reads.
    EXPECT_EQ(ErrorOf([&] { rapport->ReadRecords(); }), report::ErrTableMismatch);
    rapport->SetDataSource(3, Open("Societe"));
    rapport->SetDataSource(1, Open("Societe"));
    EXPECT_EQ(ErrorOf([&] { rapport->ReadRecords(); }), report::ErrTableMismatch);
    EXPECT_FALSE(rapport->IsReady());
    EXPECT_EQ(ErrorOf([&] { rapport->SetDataSource(4, Open("Societe")); }),
              report::ErrTableMismatch);
}

// Definitions that read a table or a field the tables cannot give them are refused before any
// row is laid out.
TEST_F(ReportEngine, DefinitionsReadingWhatNoTableGives)
{
    constexpr const char* Detail = R"("tables": [{"position": 1, "role": "detail"},
                                                 {"position": 2, "role": "heading"},
                                                 {"position": 3, "role": "lookup"}])";
    constexpr const char* Columns = R"("columns": [{"field": "Article"}])";
    constexpr const char* Labels = R"("labels": {"rows": 2, "columns": 2})";
    for (const std::string& bad : {
             // A lookup on an undeclared table, on a table of another role.
             std::string(Detail) + "," + Columns +
                 R"(, "lookups": [{"table": 4, "from": "Groupe", "to": "G", "fields": ["N"]}])",
             std::string(Detail) + "," + Columns +
                 R"(, "lookups": [{"table": 2, "from": "Groupe", "to": "G", "fields": ["N"]}])",
             // A placeholder without a field name.
             std::string(Detail) + "," + Labels + R"(, "label": {"lines": ["Nom {}"]})",
             std::string(Detail) + "," + Labels + R"(, "label": {"lines": ["{:date}"]})",
             // A field read before the report makes it.
             std::string(Detail) + "," + Columns +
                 R"(, "computed": [{"name": "A", "product": ["B"]}, {"name": "B", "product": []}])",
             std::string(Detail) + "," + Columns +
                 R"(, "computed": [{"name": "V", "product": ["Qte"]}],
                   "lookups": [{"table": 3, "from": "V", "to": "Article", "fields": ["P"]}])",
             // More labels on a sheet than a page can count.
             std::string(Detail) + R"(, "labels": {"rows": 100000, "columns": 100000},
                                        "label": {"lines": ["{Article}"]})",
         }) {
        const QString path = Write("bad.rpt", QByteArray::fromStdString("{" + bad + "}"));
        EXPECT_EQ(ErrorOf([&] { report::Report::Open(path.toStdString()); }),
                  report::ErrBadDefinition)
            << bad;
    }
    // The field a chart sums is read from the detail table even when nothing else reads it.
    const auto chart = [&](const char* sum) {
        return report::Report::Open(
            Write("graphe.rpt", QByteArray(R"({"tables": [{"position": 1, "role": "detail"}],
                "groups": [{"field": "Groupe"}], "columns": [{"field": "Article"}],
                "chart": {"sum": ")") +
                                    sum + "\"}}")
                .toStdString());
    };
    cn.Execute("INSERT INTO Lignes VALUES ('A', 'GANTS', 4, 2, NULL)");
    auto absent = chart("Poids");
    absent->SetDataSource(1, Open("Lignes"));
    EXPECT_EQ(ErrorOf([&] { absent->ReadRecords(); }), report::ErrTableMismatch);
    auto present = chart("Qte");
    present->SetDataSource(1, Open("Lignes"));
    present->ReadRecords();
    EXPECT_TRUE(present->IsReady());
}

// A binary field (a picture) shown, sorted or grouped on has no text.
TEST_F(ReportEngine, BinaryFieldsHaveNoText)
{
    cn.Execute("CREATE TABLE Fiches (Nom TEXT(20), Photo LONGBINARY)");
    sqlite3_exec(cn.Handle(), "INSERT INTO Fiches VALUES ('gant', X'FFD8'), ('botte', X'00')",
                 nullptr, nullptr, nullptr);
    auto rapport = report::Report::Open(Write("fiches.rpt", R"({
      "tables": [{"position": 1, "role": "detail"}],
      "sort": ["Photo"], "groups": [{"field": "Photo", "label": "Photo "}],
      "columns": [{"field": "Nom"}, {"field": "Photo"}]
    })")
                                            .toStdString());
    rapport->SetDataSource(1, Open("Fiches"));
    rapport->ReadRecords();
    QStringList texts;
    for (const report::Item& item : rapport->Pages().pages.at(0).items)
        texts << item.text;
    EXPECT_TRUE(texts.contains("gant") && texts.contains("botte")) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains("Photo "));
}

TEST_F(ReportEngine, LabelSheetWithEan13DecodedFromThePage)
{
    cn.Execute("INSERT INTO Lignes VALUES ('A', 'DUPONT', 1, 0, '400638133393')");
    cn.Execute("INSERT INTO Lignes VALUES ('A', 'MARTIN', 1, 0, 'pas un code')");
    const QString path = Write("badges.rpt", R"({
      "labels": {"rows": 8, "columns": 2, "width": 95, "height": 34, "pitchX": 100, "top": 10,
                 "left": 5},
      "tables": [{"position": 1, "role": "detail"}],
      "label": {"lines": ["{Article}", "Badge {Badge}"], "barcode": "Badge"}
    })");
    auto rapport = report::Report::Open(path.toStdString());
    rapport->SetDataSource(1, Open("Lignes"));
    rapport->ReadRecords();
    const QString pdf = dir.filePath("badges.pdf");
    rapport->WritePdf(pdf);
    EXPECT_TRUE(PdfText(pdf).contains("MARTIN"));
    // The check digit is added to twelve digits; the text that is not a code draws no bars.
    EXPECT_EQ(report::testing::Barcodes(pdf, dir.path()), "4006381333931");
    EXPECT_EQ(report::Ean13Digits("4006381333930"), "4006381333931");
    // The text of a bar-code font gives its digits; a letter out of its half gives none.
    EXPECT_EQ(report::Ean13Digits("4AKGDSL*dddjdb+"), "4006381333931");
    EXPECT_EQ(report::Ean13Digits("0AAAAAA*aaaaaa+"), "0000000000000");
    EXPECT_FALSE(report::Ean13Digits("4AKGDSL*dddjDb+"));
}

TEST_F(ReportEngine, PicturesFromTheFolderAndFromBytes)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(dir.filePath("RPTgant.jpg"), "JPEG");
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    cn.Execute("CREATE TABLE Fiches (Nom TEXT(20), Image TEXT(50), Photo LONGBINARY)");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(cn.Handle(), "INSERT INTO Fiches VALUES (?1, ?2, ?3)", -1, &insert, nullptr);
    for (const char* nom : {"gant", "absent"}) {
        sqlite3_bind_text(insert, 1, nom, -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, nom, -1, SQLITE_STATIC);
        if (std::string(nom) == "gant")
            sqlite3_bind_blob(insert, 3, jpeg.constData(), static_cast<int>(jpeg.size()),
                              SQLITE_STATIC);
        else
            sqlite3_bind_null(insert, 3);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    // The file is the field's name with the prefix and ".jpg", found without regard to case.
    for (const char* source : {R"("source": "folder", "field": "IMAGE", "prefix": "rpt")",
                               R"("source": "bytes", "field": "Photo")"}) {
        const QString path = Write("fiches.rpt", QByteArray(R"({
          "labels": {"rows": 4, "columns": 1, "width": 190, "height": 60},
          "tables": [{"position": 1, "role": "detail"}],
          "label": {"lines": ["{Nom}"], "picture": {)") +
                                                     source + "}}}");
        auto rapport = report::Report::Open(path.toStdString());
        rapport->SetPictureFolder(dir.path());
        rapport->SetDataSource(1, Open("Fiches"));
        const QString pdf = dir.filePath("fiches.pdf");
        rapport->WritePdf(pdf);
        // One picture: the row without one shows its text alone.
        const QStringList images =
            report::testing::Run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(images.size(), 3) << source; // two heading lines, then one image
        EXPECT_TRUE(PdfText(pdf).contains("absent"));
    }
    EXPECT_FALSE(report::Ean13Digits("40063813339"));
}

// On a label with a picture the lines run across the label, a long designation whole and clear
// of the picture below them.
TEST_F(ReportEngine, LabelLinesReadWholeBesideAPicture)
{
    QImage image(248, 160, QImage::Format_RGB32);
    image.fill(Qt::blue);
    image.save(dir.filePath("RPTlunettes.jpg"), "JPEG");
    cn.Execute("CREATE TABLE Fiches (Code TEXT(5), Nom TEXT(100), Image TEXT(50))");
    cn.Execute("INSERT INTO Fiches VALUES ('12', 'LUNETTES DE PROTECTION INCOLORES', 'lunettes')");
    const QString path = Write("etiquettes.rpt", R"({
      "labels": {"rows": 6, "columns": 3, "width": 63.5, "height": 46.6, "pitchX": 66.0,
                 "pitchY": 46.6, "top": 8.8, "left": 7.2},
      "tables": [{"position": 1, "role": "detail"}],
      "label": {"lines": ["{Code}", "{Nom}"],
                "picture": {"source": "folder", "field": "Image", "prefix": "RPT"}}
    })");
    auto rapport = report::Report::Open(path.toStdString());
    rapport->SetPictureFolder(dir.path());
    rapport->SetDataSource(1, Open("Fiches"));
    rapport->ReadRecords();
    ASSERT_EQ(rapport->Pages().pages.size(), 1u);
    const report::Item* nom = nullptr;
    const report::Item* photo = nullptr;
    for (const report::Item& item : rapport->Pages().pages[0].items) {
        if (item.kind == report::Item::Text && item.text.startsWith("LUNETTES"))
            nom = &item;
        if (item.kind == report::Item::Picture)
            photo = &item;
    }
    ASSERT_TRUE(nom && photo);
    EXPECT_EQ(nom->text, "LUNETTES DE PROTECTION INCOLORES");
    QFont police("DejaVu Sans");
    police.setPixelSize(static_cast<int>(nom->size));
    police.setHintingPreference(QFont::PreferNoHinting);
    EXPECT_LE(QFontMetricsF(police).horizontalAdvance(nom->text), nom->rect.width());
    EXPECT_FALSE(nom->rect.intersects(photo->rect));
    EXPECT_GT(photo->rect.height(), 200); // two thirds of the label at least
    EXPECT_LE(photo->rect.bottom(), (8.8 + 46.6) * 10);
}

TEST_F(ReportEngine, MailThroughTheDesktopClient)
{
    // A stand-in xdg-email first on the PATH records its arguments.
    const QString bin = dir.filePath("bin");
    QDir().mkpath(bin);
    const QString log = dir.filePath("mail.log");
    const QString script =
        Write("bin/xdg-email",
              ("#!/bin/sh\nfor a in \"$@\"; do echo \"$a\" >> '" + log + "'; done\n").toUtf8());
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ":" + path);

    cn.Execute("INSERT INTO Lignes VALUES ('A', 'Gants', 2, 1, NULL)");
    auto rapport = report::Report::Open(Write("liste.rpt", Liste).toStdString());
    rapport->SetDataSource(1, Open("Lignes"));
    rapport->SetDataSource(2, Open("Entete"));
    rapport->SetDataSource(3, Open("Societe"));
    report::ExportOptions& options = rapport->GetExportOptions();
    options.destination = report::ExportToMail;
    options.diskFileName = dir.filePath("test.pdf");
    options.mailSubject = "Sujet : ";
    for (const char* refused : {"-x@exemple.fr", "sans-arobase", "a b@exemple.fr", "a@@b", "@b",
                                "a@b\n--attach=/etc/passwd"}) {
        options.mailToList = refused;
        EXPECT_EQ(ErrorOf([&] { rapport->Export(); }), report::ErrMail) << refused;
    }
    EXPECT_FALSE(QFile::exists(log));
    options.mailToList = "achats@exemple.fr";
    rapport->Export();
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts),
              QStringList({"--subject", "Sujet : ", "--attach", dir.filePath("test.pdf"),
                           "achats@exemple.fr"}));
    EXPECT_TRUE(PdfText(dir.filePath("test.pdf")).contains("Gants"));

    // No mail client: a clear error, not a success.
    QFile::remove(script);
    qputenv("PATH", bin.toUtf8());
    EXPECT_EQ(ErrorOf([&] { rapport->Export(); }), report::ErrMail);
    qputenv("PATH", path);
}

} // namespace
