#pragma once
// The report engine: a report opened from its definition file, its tables given open
// recordsets by position, laid out, then exported to PDF, printed or shown in the viewer.

#include "platform/report/Definition.h"
#include "platform/report/Layout.h"

#include <QString>

#include <memory>
#include <string>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace ado {
class Recordset;
}

namespace report {

// Export formats and destinations of ExportOptions.
inline constexpr int ExportFormatPdf = 31;
inline constexpr int ExportToDisk = 1;
inline constexpr int ExportToMail = 2;

struct ExportOptions
{
    int format = ExportFormatPdf;
    int destination = ExportToDisk;
    QString diskFileName;
    QString mailSubject;
    QString mailToList;
};

class Report
{
public:
    // Opens the definition file (its name found without regard to case). Raises
    // ErrReportNotFound or ErrBadDefinition.
    static std::shared_ptr<Report> Open(const std::string& path);

    QString FileName() const { return fileName_; }
    // The number of tables the report reads (its highest position).
    int TableCount() const;
    // The rows of the recordset become the table's data (data tag 3: a recordset).
    void SetDataSource(int position, const ado::Recordset& recordset, int dataTag = 3);
    // Where pictures named by a field are looked for.
    void SetPictureFolder(const QString& folder) { pictureFolder_ = folder; }

    // The call before display: checks the tables against the definition and lays the pages out.
    // Raises ErrTableMismatch for a table not given or lacking a column the report reads.
    void ReadRecords();
    bool IsReady() const { return ready_; }
    const Layout& Pages() const { return layout_; }
    int PageCount() const { return static_cast<int>(layout_.pages.size()); }

    ExportOptions& GetExportOptions() { return export_; }
    // Exports with the export options, without asking anything: the PDF file, then the mail
    // with the file attached when the destination is the mail. Raises ErrExport or ErrMail.
    void Export();
    // Writes the PDF file. Raises ErrExport when it cannot be written.
    void WritePdf(const QString& path);
    // Prints every page on the printer.
    void Print(QPrinter& printer);

private:
    Report() = default;
    void Paint(QPagedPaintDevice& device, QPainter& painter);

    QString fileName_;
    Definition definition_;
    Tables tables_;
    QString pictureFolder_;
    Layout layout_;
    bool ready_ = false;
    ExportOptions export_;
};

} // namespace report
