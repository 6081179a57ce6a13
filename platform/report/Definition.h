#pragma once
// Report definitions: one JSON file per report, read with Qt's JSON classes.
//
// {
//   "title":   "Salariés par Nom"  (printed when no heading table gives the title),
//   "page":    {"orientation": "portrait" | "landscape", "margins": mm},
//   "labels":  {"rows", "columns", "width", "height", "pitchX", "pitchY", "top", "left"} (mm),
//   "tables":  [{"position": 1, "role": "detail" | "lookup" | "heading" | "company"}, ...],
//   "lookups": [{"table": 2, "from": "Famille", "to": "NoFamille", "fields": ["NomFamille"]}],
//   "filter":  [{"field": "QteEnStock", "op": "<=", "field2": "StockAlert" | "value": 0}],
//   "computed":[{"name": "Valeur", "product": ["Quantite", "PrixAchatUnit"]}],
//   "sort":    ["Nom", "Prenom"],
//   "groups":  [{"field": "NomSite", "by": "value" | "month", "label": "Site : ",
//                "sums": ["Quantite", "Valeur"], "count": false,
//                "order": "OrdreM" (a field that orders the groups before their own values)}],
//   "columns": [{"field", "title", "width" (mm), "format": "text" | "date" | "datetime" |
//                "money" | "quantity"}],
//   "totals":  {"label": "Total général", "sums": [...], "count": true},
//   "chart":   {"sum": "Valeur", "title": "..."}  (one bar per group of the first level),
//   "label":   {"lines": ["{Nom} {Prenom}", ...], "barcode": "NoBadge",
//               "picture": {"field": "Image", "source": "folder" | "bytes",
//                           "prefix": "RPT", "suffix": ".jpg"}}
// }
// A list report has "page" and "columns"; a label sheet has "labels" and "label".

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace report {

enum class TableRole { Detail, Lookup, Heading, Company };

struct TableDef
{
    int position = 0;
    TableRole role = TableRole::Detail;
};

struct LookupDef
{
    int table = 0;
    QString from; // field of the detail row
    QString to;   // field of the lookup table
    QStringList fields;
};

struct FilterDef
{
    QString field;
    QString op; // "=", "<>", "<", "<=", ">", ">="
    QString field2;
    std::optional<double> value;
};

struct ComputedDef
{
    QString name;
    QStringList product;
};

struct GroupDef
{
    QString field;
    bool byMonth = false;
    QString label;
    QStringList sums;
    bool count = false;
    QString order;
};

enum class Format { Text, Date, DateTime, Money, Quantity };

struct ColumnDef
{
    QString field;
    QString title;
    double width = 30;
    Format format = Format::Text;
};

struct TotalsDef
{
    QString label;
    QStringList sums;
    bool count = false;
};

struct ChartDef
{
    QString sum;
    QString title;
};

struct PictureDef
{
    QString field;
    bool bytes = false;
    QString prefix;
    QString suffix;
};

struct LabelDef
{
    QStringList lines;
    QString barcode;
    std::optional<PictureDef> picture;
};

struct GridDef
{
    int rows = 1;
    int columns = 1;
    double width = 70, height = 35, pitchX = 70, pitchY = 35, top = 10, left = 0;
};

struct Definition
{
    QString title;
    bool landscape = false;
    double margins = 12;
    std::optional<GridDef> grid;
    std::vector<TableDef> tables;
    std::vector<LookupDef> lookups;
    std::vector<FilterDef> filter;
    std::vector<ComputedDef> computed;
    QStringList sort;
    std::vector<GroupDef> groups;
    std::vector<ColumnDef> columns;
    std::optional<TotalsDef> totals;
    std::optional<ChartDef> chart;
    std::optional<LabelDef> label;

    // The position of the table of a role; 0 when the report has none.
    int PositionOf(TableRole role) const;
    // The fields of the detail table the report reads (computed and looked-up ones excepted).
    QStringList DetailFields() const;
    // The fields a table of the report must have.
    QStringList FieldsOf(const TableDef& table) const;
};

// Reads a definition; raises vb::Error ErrBadDefinition with the reason when the text is not
// a valid one.
Definition ParseDefinition(const QByteArray& json);

} // namespace report
