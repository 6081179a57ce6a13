#pragma once
// The text, page count and bar codes of a PDF file, read with poppler's and zbar's tools.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace report::testing {

inline QString Run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of the pages, in reading order.
inline QString PdfText(const QString& pdf)
{
    return Run("pdftotext", {"-layout", pdf, "-"});
}

inline int PdfPages(const QString& pdf)
{
    for (const QString& line : Run("pdfinfo", {pdf}).split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return 0;
}

// The bar codes zbarimg decodes on the first page, one a line.
inline QString Barcodes(const QString& pdf, const QString& folder)
{
    Run("pdftoppm", {"-r", "300", "-f", "1", "-l", "1", "-png", pdf, folder + "/page"});
    return Run("zbarimg", {"--raw", "-q", folder + "/page-1.png"}).trimmed();
}

} // namespace report::testing
