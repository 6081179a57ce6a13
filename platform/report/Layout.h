#pragma once
// Laying a report out in pages of drawing items, in tenths of a millimetre from the page's
// top-left corner. The same pages are painted on a PDF writer, a printer or a widget.

#include "platform/report/DataTable.h"
#include "platform/report/Definition.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <map>
#include <vector>

class QPainter;

namespace report {

struct Item
{
    enum Kind { Text, Line, Bar, Picture, Barcode };
    Kind kind = Text;
    QRectF rect;
    QString text;     // the text, or the digits of a bar code
    double size = 32; // font height
    bool bold = false;
    int align = 0x0001 | 0x0080; // Qt::AlignLeft | Qt::AlignVCenter
    QImage image;
};

struct Page
{
    std::vector<Item> items;
};

struct Layout
{
    QSizeF size; // the page, in tenths of a millimetre
    std::vector<Page> pages;
};

// The report's tables by position.
using Tables = std::map<int, DataTable>;

// Lays the report out. The tables have been checked against the definition.
Layout LayOut(const Definition& definition, const Tables& tables, const QString& pictureFolder);

// Paints one page on a painter whose window is the page in tenths of a millimetre.
void PaintPage(QPainter& painter, const Page& page);

// The text of a value in a format: dates in the short date form, money with two decimals and the
// settings' decimal separator, quantities as whole numbers; Null is the empty text.
QString FormatValue(const vb::Variant& value, Format format);

} // namespace report
