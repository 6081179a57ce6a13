#include "platform/report/Definition.h"

#include "platform/report/Errors.h"
#include "platform/vb/Error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>

namespace report {

namespace {

// Rows and columns of a label sheet at most.
constexpr int MaxGrid = 1000;

[[noreturn]] void Bad(const QString& reason)
{
    throw vb::Error(ErrBadDefinition, "Définition de rapport invalide : " + reason.toStdString(),
                    ErrorSource);
}

QStringList Strings(const QJsonValue& value)
{
    QStringList out;
    for (const QJsonValue& v : value.toArray()) {
        if (!v.isString()) {
            Bad("une liste de noms contient autre chose qu'un nom");
        }
        out << v.toString();
    }
    return out;
}

QString Required(const QJsonObject& o, const char* key)
{
    const QString s = o.value(key).toString();
    if (s.isEmpty()) {
        Bad(QString("\"%1\" manque").arg(key));
    }
    return s;
}

Format FormatOf(const QString& name)
{
    if (name.isEmpty() || name == "text")
        return Format::Text;
    if (name == "date")
        return Format::Date;
    if (name == "datetime")
        return Format::DateTime;
    if (name == "money")
        return Format::Money;
    if (name == "quantity")
        return Format::Quantity;
    Bad("format inconnu \"" + name + "\"");
}

TableRole RoleOf(const QString& name)
{
    if (name == "detail")
        return TableRole::Detail;
    if (name == "lookup")
        return TableRole::Lookup;
    if (name == "heading")
        return TableRole::Heading;
    if (name == "company")
        return TableRole::Company;
    Bad("rôle de table inconnu \"" + name + "\"");
}

// The name of each {field} or {field:format} of a label line.
QStringList Placeholders(const QString& line)
{
    QStringList names;
    qsizetype i = 0;
    while ((i = line.indexOf('{', i)) >= 0) {
        const qsizetype close = line.indexOf('}', i);
        if (close < 0)
            break;
        names << line.mid(i + 1, close - i - 1).section(':', 0, 0);
        i = close;
    }
    return names;
}

// Each lookup and computed field is made in turn, after the fields of the detail table: a field
// made by the report is read only once made.
void CheckOrder(const Definition& d)
{
    QStringList made, pending;
    for (const LookupDef& l : d.lookups)
        pending << l.fields;
    for (const ComputedDef& c : d.computed)
        pending << c.name;
    auto read = [&](const QString& field) {
        if (pending.contains(field, Qt::CaseInsensitive) &&
            !made.contains(field, Qt::CaseInsensitive))
            Bad("le champ \"" + field + "\" est lu avant d'être fait");
    };
    for (const LookupDef& l : d.lookups) {
        read(l.from);
        made << l.fields;
    }
    for (const ComputedDef& c : d.computed) {
        for (const QString& f : c.product)
            read(f);
        made << c.name;
    }
}

} // namespace

int Definition::PositionOf(TableRole role) const
{
    for (const TableDef& t : tables) {
        if (t.role == role)
            return t.position;
    }
    return 0;
}

QStringList Definition::DetailFields() const
{
    QStringList own;
    for (const ComputedDef& c : computed)
        own << c.name;
    for (const LookupDef& l : lookups)
        own << l.fields;
    QStringList fields;
    auto add = [&](const QString& f) {
        if (!f.isEmpty() && !own.contains(f, Qt::CaseInsensitive) &&
            !fields.contains(f, Qt::CaseInsensitive))
            fields << f;
    };
    for (const LookupDef& l : lookups)
        add(l.from);
    for (const FilterDef& f : filter) {
        add(f.field);
        add(f.field2);
    }
    for (const ComputedDef& c : computed)
        for (const QString& f : c.product)
            add(f);
    for (const QString& f : sort)
        add(f);
    for (const GroupDef& g : groups) {
        add(g.field);
        add(g.order);
        for (const QString& f : g.sums)
            add(f);
    }
    for (const ColumnDef& c : columns)
        add(c.field);
    if (totals)
        for (const QString& f : totals->sums)
            add(f);
    if (chart)
        add(chart->sum);
    if (label) {
        for (const QString& line : label->lines)
            for (const QString& f : Placeholders(line))
                add(f);
        add(label->barcode);
        if (label->picture)
            add(label->picture->field);
    }
    return fields;
}

QStringList Definition::FieldsOf(const TableDef& table) const
{
    switch (table.role) {
    case TableRole::Detail:
        return DetailFields();
    case TableRole::Heading:
        return {"Titre", "Periode"};
    case TableRole::Company:
        return {"Nom"};
    case TableRole::Lookup:
        break;
    }
    QStringList fields;
    for (const LookupDef& l : lookups)
        if (l.table == table.position)
            fields << l.to << l.fields;
    return fields;
}

Definition ParseDefinition(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (doc.isNull()) {
        Bad(error.errorString() + " (octet " + QString::number(error.offset) + ")");
    }
    if (!doc.isObject()) {
        Bad("le texte n'est pas un objet");
    }
    const QJsonObject root = doc.object();
    Definition d;
    d.title = root.value("title").toString();
    const QJsonObject page = root.value("page").toObject();
    d.landscape = page.value("orientation").toString() == "landscape";
    d.margins = page.value("margins").toDouble(12);
    if (root.contains("labels")) {
        const QJsonObject g = root.value("labels").toObject();
        GridDef grid;
        grid.rows = g.value("rows").toInt(1);
        grid.columns = g.value("columns").toInt(1);
        grid.width = g.value("width").toDouble(grid.width);
        grid.height = g.value("height").toDouble(grid.height);
        grid.pitchX = g.value("pitchX").toDouble(grid.width);
        grid.pitchY = g.value("pitchY").toDouble(grid.height);
        grid.top = g.value("top").toDouble(grid.top);
        grid.left = g.value("left").toDouble(grid.left);
        if (grid.rows < 1 || grid.columns < 1 || grid.pitchX <= 0 || grid.pitchY <= 0)
            Bad("grille d'étiquettes vide");
        if (grid.rows > MaxGrid || grid.columns > MaxGrid)
            Bad("grille d'étiquettes trop grande");
        d.grid = grid;
    }
    for (const QJsonValue& v : root.value("tables").toArray()) {
        const QJsonObject t = v.toObject();
        const int position = t.value("position").toInt();
        if (position < 1)
            Bad("position de table manquante");
        d.tables.push_back({position, RoleOf(t.value("role").toString())});
    }
    if (d.PositionOf(TableRole::Detail) == 0)
        Bad("aucune table de détail");
    for (const QJsonValue& v : root.value("lookups").toArray()) {
        const QJsonObject l = v.toObject();
        d.lookups.push_back({l.value("table").toInt(), Required(l, "from"), Required(l, "to"),
                             Strings(l.value("fields"))});
        const int table = d.lookups.back().table;
        if (std::none_of(d.tables.begin(), d.tables.end(), [&](const TableDef& t) {
                return t.position == table && t.role == TableRole::Lookup;
            }))
            Bad(QString("la table de recherche %1 n'est pas déclarée comme telle").arg(table));
    }
    for (const QJsonValue& v : root.value("filter").toArray()) {
        const QJsonObject f = v.toObject();
        FilterDef filter{Required(f, "field"), Required(f, "op"), f.value("field2").toString(), {}};
        if (f.contains("value"))
            filter.value = f.value("value").toDouble();
        if (filter.field2.isEmpty() && !filter.value)
            Bad("filtre sans terme de comparaison");
        if (!QStringList{"=", "<>", "<", "<=", ">", ">="}.contains(filter.op))
            Bad("opérateur de filtre inconnu \"" + filter.op + "\"");
        d.filter.push_back(filter);
    }
    for (const QJsonValue& v : root.value("computed").toArray()) {
        const QJsonObject c = v.toObject();
        d.computed.push_back({Required(c, "name"), Strings(c.value("product"))});
    }
    d.sort = Strings(root.value("sort"));
    for (const QJsonValue& v : root.value("groups").toArray()) {
        const QJsonObject g = v.toObject();
        d.groups.push_back({Required(g, "field"), g.value("by").toString() == "month",
                            g.value("label").toString(), Strings(g.value("sums")),
                            g.value("count").toBool(), g.value("order").toString()});
    }
    for (const QJsonValue& v : root.value("columns").toArray()) {
        const QJsonObject c = v.toObject();
        d.columns.push_back({Required(c, "field"), c.value("title").toString(),
                             c.value("width").toDouble(30),
                             FormatOf(c.value("format").toString())});
    }
    if (root.contains("totals")) {
        const QJsonObject t = root.value("totals").toObject();
        d.totals = TotalsDef{t.value("label").toString(), Strings(t.value("sums")),
                             t.value("count").toBool()};
    }
    if (root.contains("chart")) {
        const QJsonObject c = root.value("chart").toObject();
        if (d.groups.empty())
            Bad("un graphique demande un groupe");
        d.chart = ChartDef{Required(c, "sum"), c.value("title").toString()};
    }
    if (root.contains("label")) {
        const QJsonObject l = root.value("label").toObject();
        LabelDef label{Strings(l.value("lines")), l.value("barcode").toString(), {}};
        for (const QString& line : label.lines)
            if (Placeholders(line).contains(QString()))
                Bad("une ligne d'étiquette a un champ sans nom");
        if (l.contains("picture")) {
            const QJsonObject p = l.value("picture").toObject();
            label.picture =
                PictureDef{Required(p, "field"), p.value("source").toString() == "bytes",
                           p.value("prefix").toString(), p.value("suffix").toString(".jpg")};
        }
        d.label = label;
    }
    if (d.grid.has_value() != d.label.has_value())
        Bad("une planche d'étiquettes demande \"labels\" et \"label\"");
    if (!d.grid && d.columns.empty())
        Bad("aucune colonne");
    CheckOrder(d);
    return d;
}

} // namespace report
