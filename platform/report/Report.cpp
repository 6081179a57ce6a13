#include "platform/report/Report.h"

#include "platform/report/Errors.h"
#include "platform/report/Mail.h"
#include "platform/vb/Error.h"
#include "platform/win/FileSearch.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace report {

namespace {

[[noreturn]] void Raise(int32_t number, const QString& description)
{
    throw vb::Error(number, description.toStdString(), ErrorSource);
}

QPageLayout A4(bool landscape)
{
    return QPageLayout(QPageSize(QPageSize::A4),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

} // namespace

std::shared_ptr<Report> Report::Open(const std::string& path)
{
    const auto found = win::ResolvePathIgnoringCase(path);
    if (!found)
        Raise(ErrReportNotFound,
              "Fichier de rapport introuvable : " + QString::fromStdString(path));
    QFile file(QString::fromStdString(*found));
    if (!file.open(QIODevice::ReadOnly))
        Raise(ErrReportNotFound, "Fichier de rapport illisible : " + file.fileName());
    std::shared_ptr<Report> report(new Report);
    report->fileName_ = QFileInfo(file.fileName()).fileName();
    try {
        report->definition_ = ParseDefinition(file.readAll());
    } catch (vb::Error& e) {
        Raise(e.Number(), QString::fromStdString(e.Description()) + " (" + report->fileName_ + ")");
    }
    return report;
}

int Report::TableCount() const
{
    int count = 0;
    for (const TableDef& t : definition_.tables)
        count = std::max(count, t.position);
    return count;
}

void Report::SetDataSource(int position, const ado::Recordset& recordset, int dataTag)
{
    if (position < 1 || position > TableCount())
        Raise(ErrTableMismatch,
              QString("Le rapport %1 n'a pas de table %2").arg(fileName_).arg(position));
    if (dataTag != 3)
        Raise(ErrTableMismatch, "Source de données non reconnue");
    tables_[position] = DataTable::FromRecordset(recordset);
    ready_ = false;
}

void Report::ReadRecords()
{
    auto require = [&](int position, const QStringList& fields) {
        const auto it = tables_.find(position);
        if (it == tables_.end())
            Raise(ErrTableMismatch, QString("La table %1 du rapport %2 n'est pas fournie")
                                        .arg(position)
                                        .arg(fileName_));
        for (const QString& f : fields) {
            if (it->second.Column(f) < 0)
                Raise(ErrTableMismatch, QString("La table %1 du rapport %2 n'a pas de champ %3")
                                            .arg(position)
                                            .arg(fileName_, f));
        }
    };
    for (const TableDef& t : definition_.tables)
        require(t.position, definition_.FieldsOf(t));
    layout_ = LayOut(definition_, tables_, pictureFolder_);
    ready_ = true;
}

void Report::Paint(QPagedPaintDevice& device, QPainter& painter)
{
    for (size_t p = 0; p < layout_.pages.size(); ++p) {
        if (p > 0)
            device.newPage();
        painter.setViewport(0, 0, device.width(), device.height());
        painter.setWindow(0, 0, static_cast<int>(layout_.size.width()),
                          static_cast<int>(layout_.size.height()));
        PaintPage(painter, layout_.pages[p]);
    }
}

void Report::WritePdf(const QString& path)
{
    if (!ready_)
        ReadRecords();
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageLayout(A4(definition_.landscape));
    writer.setTitle(fileName_);
    writer.setCreator("Harnix");
    QPainter painter;
    if (!painter.begin(&writer))
        Raise(ErrExport, "Impossible d'écrire le fichier " + path);
    Paint(writer, painter);
    painter.end();
}

void Report::Print(QPrinter& printer)
{
    if (!ready_)
        ReadRecords();
    printer.setFullPage(true);
    printer.setPageLayout(A4(definition_.landscape));
    QPainter painter;
    if (!painter.begin(&printer))
        Raise(ErrExport, "Impossible d'imprimer sur " + printer.printerName());
    Paint(printer, painter);
    painter.end();
}

void Report::Export()
{
    if (export_.format != ExportFormatPdf)
        Raise(ErrExport, "Format d'exportation non pris en charge");
    if (export_.diskFileName.isEmpty())
        Raise(ErrExport, "Aucun fichier d'exportation");
    if (export_.destination == ExportToMail)
        CheckAddress(export_.mailToList); // before anything is written
    WritePdf(export_.diskFileName);
    if (export_.destination == ExportToMail)
        SendMail(export_.diskFileName, export_.mailSubject, export_.mailToList);
}

} // namespace report
