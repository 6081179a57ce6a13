#include "platform/report/Layout.h"

#include "platform/ado/Text.h"
#include "platform/report/Ean13.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"
#include "platform/vb/Format.h"
#include "platform/win/FileSearch.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr double A4Width = 2100;
constexpr double A4Height = 2970;
constexpr double RowHeight = 50;
constexpr double TextSize = 32;
constexpr double MinTextSize = 24;
constexpr double TitleSize = 60;
constexpr double TitleHeight = 80;
constexpr double TitleTwoLines = 120;
constexpr const char* FontFamily = "DejaVu Sans";

// An item of a kind and place, its other members as an item starts.
Item Shape(Item::Kind kind, const QRectF& rect)
{
    Item item;
    item.kind = kind;
    item.rect = rect;
    return item;
}

// align takes Qt's alignments and text flags, as the painter's drawText does.
Item TextItem(const QRectF& rect, const QString& text, double size, bool bold,
              int align = Qt::AlignLeft | Qt::AlignVCenter)
{
    Item item = Shape(Item::Text, rect);
    item.text = text;
    item.size = size;
    item.bold = bold;
    item.align = align;
    return item;
}

QFont FontOf(double size, bool bold)
{
    QFont font(FontFamily);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    // No ligatures, so that "fi" stays two letters in the PDF's text, as searches and copies
    // expect.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// A text wider than its box is written smaller, down to three quarters of its size, so that it
// keeps its end (a size, a model); only a longer one is cut.
Item Fitted(Item item)
{
    const double width = item.rect.width();
    const double needed = QFontMetricsF(FontOf(item.size, item.bold)).horizontalAdvance(item.text);
    if (needed > width)
        item.size = std::max(std::floor(item.size * MinTextSize / TextSize),
                             std::floor(item.size * width / needed));
    item.text =
        QFontMetricsF(FontOf(item.size, item.bold)).elidedText(item.text, Qt::ElideRight, width);
    return item;
}

// The report's title across the page. A title wider than the page is written smaller, down to
// three quarters of its size, then over two lines, smaller again if need be, down to half its
// size; a title still longer takes the lines it needs, so that it always reads whole.
Item Title(const QRectF& rect, const QString& text)
{
    Item item = TextItem(rect, text, TitleSize, true, Qt::AlignHCenter | Qt::AlignVCenter);
    const double width = rect.width();
    const double needed = QFontMetricsF(FontOf(TitleSize, true)).horizontalAdvance(text);
    if (needed <= width)
        return item;
    item.size = std::floor(TitleSize * width / needed);
    if (item.size >= TitleSize * 3 / 4)
        return item;
    item.align |= Qt::TextWordWrap;
    QRectF bounds;
    for (item.size = TitleSize * 3 / 4; item.size >= TitleSize / 2; --item.size) {
        bounds = QFontMetricsF(FontOf(item.size, true))
                     .boundingRect(QRectF(0, 0, width, A4Height), item.align, text);
        if (bounds.height() <= TitleTwoLines && bounds.width() <= width)
            break;
    }
    item.size = std::max(item.size, TitleSize / 2);
    item.rect.setHeight(std::max(TitleTwoLines, std::ceil(bounds.height())));
    return item;
}

double Number(const vb::Variant& v)
{
    if (v.IsNull() || v.IsEmpty())
        return 0;
    try {
        return vb::CDbl(v);
    } catch (const vb::Error&) {
        return 0;
    }
}

// The text of a value; a binary value (a picture) has none.
std::string Plain(const vb::Variant& v)
{
    if (v.IsNull() || v.IsEmpty() || v.Type() == vb::VarType::Bytes)
        return {};
    return vb::CStr(v);
}

QString Text(const vb::Variant& v)
{
    return QString::fromStdString(Plain(v));
}

bool IsNumber(const vb::Variant& v)
{
    switch (v.Type()) {
    case vb::VarType::Boolean:
    case vb::VarType::Integer:
    case vb::VarType::Long:
    case vb::VarType::Single:
    case vb::VarType::Double:
    case vb::VarType::Currency:
        return true;
    default:
        return false;
    }
}

// Null first, then numbers and dates by value, texts in French order.
int CompareValues(const vb::Variant& a, const vb::Variant& b)
{
    const bool na = a.IsNull() || a.IsEmpty(), nb = b.IsNull() || b.IsEmpty();
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    if (a.Type() == vb::VarType::Date && b.Type() == vb::VarType::Date)
        return a.DateValue() < b.DateValue() ? -1 : (b.DateValue() < a.DateValue() ? 1 : 0);
    if (IsNumber(a) && IsNumber(b)) {
        const double x = Number(a), y = Number(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    return ado::CompareText(Plain(a), Plain(b));
}

// The detail rows with their looked-up and computed fields, filtered.
struct Rows
{
    QStringList columns;
    std::vector<std::vector<vb::Variant>> rows;
    int Column(const QString& name) const
    {
        for (qsizetype i = 0; i < columns.size(); ++i)
            if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        return -1;
    }
};

Rows DetailRows(const Definition& d, const Tables& tables)
{
    const DataTable& detail = tables.at(d.PositionOf(TableRole::Detail));
    Rows out{detail.columns, detail.rows};
    for (const LookupDef& l : d.lookups) {
        const DataTable& table = tables.at(l.table);
        const int to = table.Column(l.to);
        std::map<QString, const std::vector<vb::Variant>*> index;
        for (const auto& row : table.rows)
            index.emplace(Text(row[static_cast<size_t>(to)]).toUpper(), &row);
        const int from = out.Column(l.from);
        std::vector<int> fields;
        for (const QString& f : l.fields) {
            fields.push_back(table.Column(f));
            out.columns << f;
        }
        for (auto& row : out.rows) {
            const auto it = index.find(Text(row[static_cast<size_t>(from)]).toUpper());
            for (int f : fields)
                row.push_back(it == index.end() ? vb::Variant::Null()
                                                : (*it->second)[static_cast<size_t>(f)]);
        }
    }
    for (const ComputedDef& c : d.computed) {
        std::vector<int> factors;
        for (const QString& f : c.product)
            factors.push_back(out.Column(f));
        out.columns << c.name;
        for (auto& row : out.rows) {
            double value = 1;
            for (int f : factors)
                value *= Number(row[static_cast<size_t>(f)]);
            row.emplace_back(value);
        }
    }
    for (const FilterDef& f : d.filter) {
        const int field = out.Column(f.field);
        const int field2 = f.field2.isEmpty() ? -1 : out.Column(f.field2);
        std::erase_if(out.rows, [&](const std::vector<vb::Variant>& row) {
            const double a = Number(row[static_cast<size_t>(field)]);
            const double b = field2 >= 0 ? Number(row[static_cast<size_t>(field2)]) : *f.value;
            const bool keep = f.op == "="    ? a == b
                              : f.op == "<>" ? a != b
                              : f.op == "<"  ? a < b
                              : f.op == "<=" ? a <= b
                              : f.op == ">"  ? a > b
                                             : a >= b;
            return !keep;
        });
    }
    return out;
}

// A group's key and its label.
struct GroupValue
{
    vb::Variant key;
    QString label;
};

GroupValue GroupOf(const GroupDef& g, const vb::Variant& value, Format format)
{
    if (g.byMonth) {
        if (value.Type() != vb::VarType::Date)
            return {vb::Variant::Null(), {}};
        const vb::Date date = value.DateValue();
        return {vb::Variant(static_cast<int32_t>(vb::Year(date) * 100 + vb::Month(date))),
                QString::fromStdString(vb::MonthName(vb::Month(date))) + " " +
                    QString::number(vb::Year(date))};
    }
    return {value, FormatValue(value, format)};
}

// Lays pages out row by row, starting a new page (with its heading) when one is full.
class Writer
{
public:
    Writer(const Definition& d, const Tables& tables) : d_(d)
    {
        size_ = d.landscape ? QSizeF(A4Height, A4Width) : QSizeF(A4Width, A4Height);
        margin_ = d.margins * 10;
        const double usable = size_.width() - 2 * margin_;
        double total = 0;
        for (const ColumnDef& c : d.columns)
            total += c.width * 10;
        const double scale = total > usable ? usable / total : 1;
        double x = margin_;
        for (const ColumnDef& c : d.columns) {
            x_.push_back(x);
            widths_.push_back(c.width * 10 * scale);
            x += c.width * 10 * scale;
        }
        if (const int h = d.PositionOf(TableRole::Heading)) {
            const DataTable& t = tables.at(h);
            if (!t.rows.empty()) {
                title_ = Text(t.rows[0][static_cast<size_t>(t.Column("Titre"))]);
                period_ = Text(t.rows[0][static_cast<size_t>(t.Column("Periode"))]);
            }
        }
        if (const int c = d.PositionOf(TableRole::Company)) {
            const DataTable& t = tables.at(c);
            if (!t.rows.empty()) {
                auto field = [&](const char* name) {
                    const int i = t.Column(name);
                    return i < 0 ? QString() : Text(t.rows[0][static_cast<size_t>(i)]).trimmed();
                };
                company_ << field("Nom") << field("Adresse")
                         << (field("CodePostal") + " " + field("Ville")).trimmed();
                QString phones;
                if (!field("Tel").isEmpty())
                    phones = "Tél. " + field("Tel");
                if (!field("Fax").isEmpty())
                    phones += (phones.isEmpty() ? "" : "   ") + QString("Fax ") + field("Fax");
                company_ << phones;
                company_.removeAll(QString());
            }
        }
        if (title_.isEmpty())
            title_ = d.title;
    }

    QSizeF Size() const { return size_; }
    double Margin() const { return margin_; }
    double Bottom() const { return size_.height() - margin_ - 60; }
    double Y() const { return y_; }
    std::vector<Page>& Pages() { return pages_; }

    // A new page with its heading; the column titles head pages of lines only.
    void NewPage(bool columnTitles = true)
    {
        pages_.emplace_back();
        y_ = margin_;
        const double width = size_.width() - 2 * margin_;
        for (qsizetype i = 0; i < company_.size(); ++i) {
            Add(TextItem(QRectF(margin_, y_, width, i == 0 ? 50 : 40), company_[i],
                         i == 0 ? 40.0 : 30.0, i == 0));
            y_ += i == 0 ? 50 : 40;
        }
        y_ += 30;
        if (!title_.isEmpty()) {
            const Item title = Title(QRectF(margin_, y_, width, TitleHeight), title_);
            y_ += title.rect.height();
            Add(title);
        }
        if (!period_.isEmpty()) {
            Add(TextItem(QRectF(margin_, y_, width, 50), period_, 35, false,
                         Qt::AlignHCenter | Qt::AlignVCenter));
            y_ += 50;
        }
        y_ += 30;
        if (columnTitles) {
            for (size_t i = 0; i < d_.columns.size(); ++i)
                Cell(i, d_.columns[i].title, true);
            y_ += RowHeight;
            Add(Shape(Item::Line, QRectF(margin_, y_, width, 0)));
            y_ += 15;
        }
    }

    // Makes room for a height, on a new page when the page is full.
    void Room(double height, bool columnTitles = true)
    {
        if (pages_.empty() || y_ + height > Bottom())
            NewPage(columnTitles);
    }

    void Add(Item item) { pages_.back().items.push_back(std::move(item)); }

    void Cell(size_t column, const QString& text, bool bold)
    {
        const Format f = d_.columns[column].format;
        const bool right = f == Format::Money || f == Format::Quantity;
        const QRectF rect(x_[column] + 5, y_, widths_[column] - 10, RowHeight);
        Add(Fitted(TextItem(rect, text, TextSize, bold,
                            (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter)));
    }

    // A line of text across the columns from the first, bold.
    void Caption(const QString& text)
    {
        Room(RowHeight);
        Add(TextItem(QRectF(margin_ + 5, y_, size_.width() - 2 * margin_, RowHeight), text,
                     TextSize, true));
        y_ += RowHeight;
    }

    void Advance(double height) { y_ += height; }

private:
    const Definition& d_;
    QSizeF size_;
    double margin_ = 120;
    double y_ = 0;
    std::vector<double> x_, widths_;
    QString title_, period_;
    QStringList company_;
    std::vector<Page> pages_;
};

// The format of a field: its column's, or money for sums of fields that are not shown.
Format FormatOfField(const Definition& d, const QString& field, Format otherwise)
{
    for (const ColumnDef& c : d.columns)
        if (c.field.compare(field, Qt::CaseInsensitive) == 0)
            return c.format;
    return otherwise;
}

// A totals line: its label in the first column, each sum under its column (or after the label
// when the field is not shown), the count when asked.
void TotalLine(Writer& w, const Definition& d, const QString& label, const QStringList& sums,
               const std::vector<double>& values, bool count, size_t rows)
{
    w.Room(RowHeight);
    QString extra;
    std::vector<bool> used(d.columns.size(), false);
    for (qsizetype s = 0; s < sums.size(); ++s) {
        const Format f = FormatOfField(d, sums[s], Format::Money);
        const QString text = FormatValue(vb::Variant(values[static_cast<size_t>(s)]), f);
        bool placed = false;
        for (size_t c = 1; c < d.columns.size(); ++c) {
            if (d.columns[c].field.compare(sums[s], Qt::CaseInsensitive) == 0) {
                w.Cell(c, text, true);
                used[c] = placed = true;
            }
        }
        if (!placed)
            extra += "   " + sums[s] + " : " + text;
    }
    QString first = label + extra;
    if (count)
        first += "   (" + QString::number(rows) + ")";
    w.Add(TextItem(QRectF(w.Margin() + 5, w.Y(), 1400, RowHeight), first, TextSize, true));
    w.Advance(RowHeight + 10);
}

void DrawChart(Writer& w, const Definition& d, const std::vector<std::pair<QString, double>>& bars)
{
    const double height = 900;
    w.Room(height + 120, false);
    const double left = w.Margin(), width = w.Size().width() - 2 * w.Margin();
    if (!d.chart->title.isEmpty()) {
        w.Add(TextItem(QRectF(left, w.Y(), width, 60), d.chart->title, 40, true,
                       Qt::AlignHCenter | Qt::AlignVCenter));
        w.Advance(70);
    }
    double top = 0;
    for (const auto& bar : bars)
        top = std::max(top, bar.second);
    const double base = w.Y() + height - 120; // room below the bars for the labels
    const double slot = bars.empty() ? width : width / static_cast<double>(bars.size());
    const Format f = FormatOfField(d, d.chart->sum, Format::Money);
    for (size_t i = 0; i < bars.size(); ++i) {
        const double x = left + slot * static_cast<double>(i);
        const double h = top > 0 ? (height - 220) * bars[i].second / top : 0;
        w.Add(Shape(Item::Bar, QRectF(x + slot * 0.15, base - h, slot * 0.7, h)));
        w.Add(TextItem(QRectF(x, base - h - 45, slot, 40),
                       FormatValue(vb::Variant(bars[i].second), f), 24, false,
                       Qt::AlignHCenter | Qt::AlignVCenter));
        w.Add(TextItem(QRectF(x, base + 10, slot, 90), bars[i].first, 24, false,
                       Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap));
    }
    w.Add(Shape(Item::Line, QRectF(left, base, width, 0)));
    w.Advance(height);
}

void ListPages(Writer& w, const Definition& d, const Tables& tables)
{
    Rows rows = DetailRows(d, tables);
    // Group keys of each row, then the order: groups first, then the sort fields.
    struct Keyed
    {
        std::vector<GroupValue> groups;
        // What orders the groups of each level before their keys, when the level has it.
        std::vector<vb::Variant> orders;
        const std::vector<vb::Variant>* row;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.rows.size());
    std::vector<int> groupColumns;
    for (const GroupDef& g : d.groups)
        groupColumns.push_back(rows.Column(g.field));
    std::vector<int> orderColumns;
    for (const GroupDef& g : d.groups)
        orderColumns.push_back(g.order.isEmpty() ? -1 : rows.Column(g.order));
    for (const auto& row : rows.rows) {
        Keyed k{{}, {}, &row};
        for (size_t g = 0; g < d.groups.size(); ++g) {
            k.groups.push_back(GroupOf(d.groups[g], row[static_cast<size_t>(groupColumns[g])],
                                       FormatOfField(d, d.groups[g].field, Format::Text)));
            k.orders.push_back(orderColumns[g] < 0 ? vb::Variant()
                                                   : row[static_cast<size_t>(orderColumns[g])]);
        }
        keyed.push_back(std::move(k));
    }
    std::vector<int> sortColumns;
    for (const QString& f : d.sort)
        sortColumns.push_back(rows.Column(f));
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        for (size_t g = 0; g < a.groups.size(); ++g) {
            if (int c = CompareValues(a.orders[g], b.orders[g]))
                return c < 0;
            if (int c = CompareValues(a.groups[g].key, b.groups[g].key))
                return c < 0;
        }
        for (int s : sortColumns)
            if (int c = CompareValues((*a.row)[static_cast<size_t>(s)],
                                      (*b.row)[static_cast<size_t>(s)]))
                return c < 0;
        return false;
    });

    auto sumsOf = [&](const QStringList& fields, size_t from, size_t to) {
        std::vector<double> sums;
        for (const QString& f : fields) {
            const int c = rows.Column(f);
            double s = 0;
            for (size_t i = from; i < to; ++i)
                s += Number((*keyed[i].row)[static_cast<size_t>(c)]);
            sums.push_back(s);
        }
        return sums;
    };

    std::vector<int> columns;
    for (const ColumnDef& c : d.columns)
        columns.push_back(rows.Column(c.field));
    std::vector<size_t> groupStart(d.groups.size(), 0);
    std::vector<std::pair<QString, double>> bars;
    w.NewPage();
    for (size_t i = 0; i <= keyed.size(); ++i) {
        // The first level whose key changes here; every level under it closes and opens again.
        size_t level = d.groups.size();
        for (size_t g = 0; g < d.groups.size(); ++g) {
            const bool changed =
                i == 0 || i == keyed.size() ||
                CompareValues(keyed[i].groups[g].key, keyed[i - 1].groups[g].key) != 0;
            if (changed) {
                level = g;
                break;
            }
        }
        if (i > 0) {
            for (size_t g = d.groups.size(); g-- > level;) {
                const GroupDef& group = d.groups[g];
                const QString name = keyed[i - 1].groups[g].label;
                const std::vector<double> sums = sumsOf(group.sums, groupStart[g], i);
                if (!group.sums.isEmpty() || group.count)
                    TotalLine(w, d, "Total " + name, group.sums, sums, group.count,
                              i - groupStart[g]);
                if (g == 0 && d.chart) {
                    bars.emplace_back(name, sumsOf({d.chart->sum}, groupStart[g], i)[0]);
                }
            }
        }
        if (i == keyed.size())
            break;
        for (size_t g = level; g < d.groups.size(); ++g) {
            groupStart[g] = i;
            w.Room(RowHeight * 3);
            w.Caption(d.groups[g].label + keyed[i].groups[g].label);
        }
        w.Room(RowHeight);
        for (size_t c = 0; c < columns.size(); ++c)
            w.Cell(
                c,
                FormatValue((*keyed[i].row)[static_cast<size_t>(columns[c])], d.columns[c].format),
                false);
        w.Advance(RowHeight);
    }
    if (d.totals) {
        w.Room(RowHeight + 20);
        w.Add(Shape(Item::Line, QRectF(w.Margin(), w.Y(), w.Size().width() - 2 * w.Margin(), 0)));
        w.Advance(15);
        TotalLine(w, d, d.totals->label, d.totals->sums, sumsOf(d.totals->sums, 0, keyed.size()),
                  d.totals->count, keyed.size());
    }
    if (d.chart)
        DrawChart(w, d, bars);
}

QString Fill(const QString& line, const Rows& rows, const std::vector<vb::Variant>& row)
{
    QString out;
    qsizetype i = 0;
    while (i < line.size()) {
        const qsizetype open = line.indexOf('{', i);
        const qsizetype close = open < 0 ? -1 : line.indexOf('}', open);
        if (close < 0) {
            out += line.mid(i);
            break;
        }
        out += line.mid(i, open - i);
        const QString placeholder = line.mid(open + 1, close - open - 1);
        const QString format = placeholder.section(':', 1);
        const Format f = format == "date"       ? Format::Date
                         : format == "datetime" ? Format::DateTime
                         : format == "money"    ? Format::Money
                         : format == "quantity" ? Format::Quantity
                                                : Format::Text;
        out +=
            FormatValue(row[static_cast<size_t>(rows.Column(placeholder.section(':', 0, 0)))], f);
        i = close + 1;
    }
    return out;
}

QImage PictureOf(const PictureDef& p, const vb::Variant& value, const QString& folder)
{
    QImage image;
    if (p.bytes) {
        if (value.Type() == vb::VarType::Bytes) {
            const std::vector<uint8_t>& bytes = value.BytesValue();
            image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "JPEG");
        } else if (value.Type() == vb::VarType::String) {
            const std::string& bytes = value.StringValue();
            image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                               static_cast<int>(bytes.size()), "JPEG");
        }
        return image;
    }
    const QString name = p.prefix + Text(value).trimmed() + p.suffix;
    if (Text(value).trimmed().isEmpty())
        return image;
    if (auto path = win::FindFileIgnoringCase(folder.toStdString(), name.toStdString()))
        image.load(QString::fromStdString(*path));
    return image;
}

void LabelPages(Writer& w, const Definition& d, const Tables& tables, const QString& folder)
{
    const Rows rows = DetailRows(d, tables);
    std::vector<const std::vector<vb::Variant>*> order;
    for (const auto& row : rows.rows)
        order.push_back(&row);
    std::vector<int> sortColumns;
    for (const QString& f : d.sort)
        sortColumns.push_back(rows.Column(f));
    std::stable_sort(order.begin(), order.end(), [&](auto* a, auto* b) {
        for (int s : sortColumns)
            if (int c = CompareValues((*a)[static_cast<size_t>(s)], (*b)[static_cast<size_t>(s)]))
                return c < 0;
        return false;
    });
    const GridDef& g = *d.grid;
    const LabelDef& label = *d.label;
    const int perPage = g.rows * g.columns;
    for (size_t i = 0; i < order.size(); ++i) {
        const int slot = static_cast<int>(i % static_cast<size_t>(perPage));
        if (slot == 0)
            w.Pages().emplace_back();
        const auto& row = *order[i];
        const QRectF box((g.left + (slot % g.columns) * g.pitchX) * 10,
                         (g.top + (slot / g.columns) * g.pitchY) * 10, g.width * 10, g.height * 10);
        const QRectF text = box.adjusted(30, 30, -30, -30);
        // The lines run across the whole label, so that a designation reads whole; the picture
        // takes the room below them.
        double y = text.top();
        for (qsizetype l = 0; l < label.lines.size(); ++l) {
            w.Add(Fitted(TextItem(QRectF(text.left(), y, text.width(), 45),
                                  Fill(label.lines[l], rows, row), l == 0 ? 36.0 : 30.0, l == 0)));
            y += 45;
        }
        if (label.picture) {
            const QImage image =
                PictureOf(*label.picture,
                          row[static_cast<size_t>(rows.Column(label.picture->field))], folder);
            const QRectF area(text.left(), y + 10, text.width(), text.bottom() - y - 10);
            if (!image.isNull() && area.height() > 0) {
                Item picture = Shape(Item::Picture, area);
                picture.size = 0;
                picture.align = 0;
                picture.image = image;
                w.Add(std::move(picture));
            }
        }
        if (!label.barcode.isEmpty()) {
            const auto digits =
                Ean13Digits(Text(row[static_cast<size_t>(rows.Column(label.barcode))]));
            const double h = std::max(80.0, text.bottom() - y - 10);
            if (digits) {
                Item barcode = Shape(Item::Barcode, QRectF(text.left(), text.bottom() - h,
                                                           std::min(text.width(), 500.0), h));
                barcode.text = *digits;
                w.Add(std::move(barcode));
            }
        }
    }
    if (w.Pages().empty())
        w.Pages().emplace_back();
}

} // namespace

QString FormatValue(const vb::Variant& value, Format format)
{
    if (value.IsNull() || value.IsEmpty())
        return {};
    try {
        switch (format) {
        case Format::Date:
            return QString::fromStdString(vb::Format(value, "Short Date"));
        case Format::DateTime:
            return QString::fromStdString(vb::Format(value, "dd/mm/yyyy hh:nn"));
        case Format::Money:
            return QString::fromStdString(vb::Format(vb::Variant(Number(value)), "#,##0.00"));
        case Format::Quantity:
            return QString::fromStdString(vb::Format(vb::Variant(Number(value)), "0"));
        case Format::Text:
            break;
        }
    } catch (const vb::Error&) {
    }
    return Text(value);
}

Layout LayOut(const Definition& definition, const Tables& tables, const QString& pictureFolder)
{
    Writer w(definition, tables);
    if (definition.grid)
        LabelPages(w, definition, tables, pictureFolder);
    else
        ListPages(w, definition, tables);
    Layout layout{w.Size(), std::move(w.Pages())};
    if (!definition.grid) {
        const int count = static_cast<int>(layout.pages.size());
        for (int p = 0; p < count; ++p)
            layout.pages[static_cast<size_t>(p)].items.push_back(
                TextItem(QRectF(0, layout.size.height() - definition.margins * 10 - 40,
                                layout.size.width(), 40),
                         QString("Page %1 / %2").arg(p + 1).arg(count), 28, false,
                         Qt::AlignHCenter | Qt::AlignVCenter));
    }
    return layout;
}

void PaintPage(QPainter& painter, const Page& page)
{
    for (const Item& item : page.items) {
        switch (item.kind) {
        case Item::Text:
            painter.setFont(FontOf(item.size, item.bold));
            painter.setPen(Qt::black);
            painter.drawText(item.rect, item.align, item.text);
            break;
        case Item::Line:
            painter.setPen(QPen(Qt::black, 3));
            painter.drawLine(item.rect.topLeft(), item.rect.topRight());
            break;
        case Item::Bar:
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(70, 110, 170));
            painter.drawRect(item.rect);
            break;
        case Item::Picture: {
            const QSizeF fitted =
                QSizeF(item.image.size()).scaled(item.rect.size(), Qt::KeepAspectRatio);
            painter.drawImage(QRectF(item.rect.topLeft(), fitted), item.image);
            break;
        }
        case Item::Barcode:
            DrawEan13(painter, item.rect, item.text);
            break;
        }
    }
}

} // namespace report
