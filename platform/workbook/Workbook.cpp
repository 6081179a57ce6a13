#include "platform/workbook/Workbook.h"

#include "platform/vb/Error.h"
#include "platform/vb/Strings.h"

#include <pugixml.hpp>
#include <zip.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace workbook {

namespace {

constexpr int32_t ErrWorkbook = 1004;

enum Property { FontSize, FontBold, Fill };

// The sheet's last column, XFD.
constexpr int LastColumn = 16384;

[[noreturn]] void Fail(const std::string& description)
{
    throw vb::Error(ErrWorkbook, description, "workbook");
}

// The package opened read-only over its bytes.
class Package
{
public:
    explicit Package(const std::string& bytes)
    {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
        if (source)
            archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (source && !archive_)
            zip_source_free(source);
        zip_error_fini(&error);
    }
    ~Package()
    {
        if (archive_)
            zip_discard(archive_);
    }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    bool IsOpen() const { return archive_ != nullptr; }

    // The part's bytes; false when the package has no such part or the part is damaged. The
    // bytes are read in blocks rather than into a buffer of the size the package declares, which
    // a damaged package can make as large as it likes.
    bool Read(const std::string& name, std::string& content) const
    {
        zip_stat_t stat;
        if (zip_stat(archive_, name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
            return false;
        zip_file_t* file = zip_fopen(archive_, name.c_str(), 0);
        if (!file)
            return false;
        content.clear();
        char block[64 * 1024];
        zip_int64_t read;
        while ((read = zip_fread(file, block, sizeof block)) > 0 &&
               content.size() + uint64_t(read) <= stat.size)
            content.append(block, size_t(read));
        zip_fclose(file);
        return read == 0 && content.size() == stat.size;
    }

private:
    zip_t* archive_ = nullptr;
};

// A node's name without its namespace prefix.
std::string LocalName(const pugi::xml_node& node)
{
    const std::string name = node.name();
    const auto colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& parent, const std::string& name)
{
    for (pugi::xml_node child : parent.children())
        if (LocalName(child) == name)
            return child;
    return {};
}

pugi::xml_node ChildOrNew(pugi::xml_node parent, const char* name)
{
    pugi::xml_node child = Child(parent, name);
    return child ? child : parent.append_child(name);
}

pugi::xml_node NthChild(const pugi::xml_node& parent, const std::string& name, int index)
{
    int i = 0;
    for (pugi::xml_node child : parent.children())
        if (LocalName(child) == name && i++ == index)
            return child;
    return {};
}

int CountChildren(const pugi::xml_node& parent, const std::string& name)
{
    int n = 0;
    for (pugi::xml_node child : parent.children())
        n += LocalName(child) == name;
    return n;
}

// Appends a copy of the list's element (or a new one) and keeps the list's count; its index.
std::pair<pugi::xml_node, int> AppendTo(pugi::xml_node list, const char* name,
                                        const pugi::xml_node& model)
{
    const int index = CountChildren(list, name);
    pugi::xml_node node = model ? list.append_copy(model) : list.append_child(name);
    pugi::xml_attribute count = list.attribute("count");
    if (!count)
        count = list.append_attribute("count");
    count.set_value(index + 1);
    return {node, index};
}

std::string Attribute(const pugi::xml_node& node, const char* localName)
{
    for (pugi::xml_attribute a : node.attributes()) {
        const std::string name = a.name();
        const auto colon = name.find(':');
        if ((colon == std::string::npos ? name : name.substr(colon + 1)) == localName)
            return a.value();
    }
    return {};
}

bool ParseXml(const std::string& content, pugi::xml_document& document)
{
    return bool(document.load_buffer(content.data(), content.size(),
                                     pugi::parse_default | pugi::parse_ws_pcdata_single));
}

std::string Serialize(const pugi::xml_document& document)
{
    std::ostringstream out;
    document.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return out.str();
}

// The folder of a part ("xl/" for "xl/workbook.xml").
std::string FolderOf(const std::string& part)
{
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// A relationship's target as a part path of the package.
std::string Resolve(const std::string& folder, const std::string& target)
{
    if (!target.empty() && target[0] == '/')
        return target.substr(1);
    std::filesystem::path path = std::filesystem::path(folder) / target;
    return path.lexically_normal().generic_string();
}

// The relationships of a part: type suffix ("/worksheet") and id -> target part.
struct Relationship
{
    std::string id, type, target;
};

std::vector<Relationship> Relationships(const Package& package, const std::string& part)
{
    const std::string folder = FolderOf(part);
    const std::string name = part.substr(folder.size());
    std::string content;
    pugi::xml_document document;
    std::vector<Relationship> list;
    if (!package.Read(folder + "_rels/" + name + ".rels", content) || !ParseXml(content, document))
        return list;
    for (pugi::xml_node r : document.document_element().children()) {
        if (LocalName(r) != "Relationship")
            continue;
        const std::string type = r.attribute("Type").value();
        list.push_back({r.attribute("Id").value(), type.substr(type.rfind('/') + 1),
                        Resolve(folder, r.attribute("Target").value())});
    }
    return list;
}

// "K12" -> column 11, row 12; raises 1004 for anything else.
std::pair<int, int> ParseCell(const std::string& cell)
{
    size_t i = 0;
    int column = 0;
    while (i < cell.size() && std::isalpha(static_cast<unsigned char>(cell[i]))) {
        column = column * 26 + (std::toupper(static_cast<unsigned char>(cell[i++])) - 'A' + 1);
        if (column > LastColumn)
            Fail("Référence de cellule incorrecte: " + cell);
    }
    int row = 0;
    const size_t digits = i;
    while (i < cell.size() && std::isdigit(static_cast<unsigned char>(cell[i])) && row < 1048577)
        row = row * 10 + (cell[i++] - '0');
    if (column == 0 || digits == i || i != cell.size() || row < 1 || row > 1048576)
        Fail("Référence de cellule incorrecte: " + cell);
    return {column, row};
}

// The text without the characters XML 1.0 cannot hold: the controls below the space other than
// tab, line feed and carriage return, and U+FFFE and U+FFFF. A workbook holding one is refused
// whole by the programs that read it.
std::string XmlText(const std::string& text)
{
    std::string kept;
    kept.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            continue;
        if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
            i += 2;
            continue;
        }
        kept += char(c);
    }
    return kept;
}

// Whether the text is a plain decimal number that keeps its digits as a number.
bool IsNumber(const std::string& text)
{
    size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
    const size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    const size_t whole = i - start;
    if (whole == 0 || (whole > 1 && text[start] == '0'))
        return false;
    size_t decimals = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++decimals;
        }
        if (decimals == 0)
            return false;
    }
    return i == text.size() && whole + decimals <= 15;
}

} // namespace

Worksheet::Worksheet(Workbook& workbook, std::string name, std::string part)
    : workbook_(&workbook), name_(std::move(name)), part_(std::move(part)),
      xml_(std::make_unique<pugi::xml_document>())
{
}

struct Worksheet::Index
{
    struct Row
    {
        pugi::xml_node node;
        std::map<int, pugi::xml_node> cells;
    };
    pugi::xml_node data; // sheetData
    std::map<int, Row> rows;
};

Worksheet::~Worksheet() = default;

pugi::xml_node Worksheet::Cell(const std::string& cell)
{
    const auto [column, row] = ParseCell(cell);
    if (!index_) {
        index_ = std::make_unique<Index>();
        index_->data = ChildOrNew(xml_->document_element(), "sheetData");
        // A row without its number follows the one before; of two rows with one number, the
        // first is the one written to. Cells without a reference are left where they are.
        int number = 0;
        for (pugi::xml_node r : index_->data.children()) {
            if (LocalName(r) != "row")
                continue;
            number = r.attribute("r") ? r.attribute("r").as_int() : number + 1;
            const auto [entry, added] = index_->rows.try_emplace(number, Index::Row{r, {}});
            if (!added)
                continue;
            for (pugi::xml_node c : r.children()) {
                const char* reference = c.attribute("r").value();
                if (LocalName(c) == "c" && *reference)
                    entry->second.cells.try_emplace(ParseCell(reference).first, c);
            }
        }
    }

    // Rows and cells stand in ascending order: a new one goes before the first one after it.
    auto found = index_->rows.find(row);
    if (found == index_->rows.end()) {
        const auto next = index_->rows.upper_bound(row);
        pugi::xml_node node = next == index_->rows.end()
                                  ? index_->data.append_child("row")
                                  : index_->data.insert_child_before("row", next->second.node);
        found = index_->rows.emplace_hint(next, row, Index::Row{node, {}});
    }
    Index::Row& line = found->second;
    if (!line.node.attribute("r"))
        line.node.append_attribute("r").set_value(row);

    if (const auto c = line.cells.find(column); c != line.cells.end())
        return c->second;
    const auto next = line.cells.upper_bound(column);
    pugi::xml_node created = next == line.cells.end()
                                 ? line.node.append_child("c")
                                 : line.node.insert_child_before("c", next->second);
    created.append_attribute("r").set_value(vb::UCase(cell).c_str());
    line.cells.emplace_hint(next, column, created);
    return created;
}

void Worksheet::SetValue(const std::string& cell, const std::string& value)
{
    const std::string text = XmlText(value);
    pugi::xml_node c = Cell(cell);
    for (const char* name : {"f", "v", "is"})
        while (pugi::xml_node old = Child(c, name))
            c.remove_child(old);
    c.remove_attribute("t");
    if (text.empty())
        return;
    if (IsNumber(text)) {
        c.append_child("v").text().set(text.c_str());
        return;
    }
    c.append_attribute("t").set_value("inlineStr");
    pugi::xml_node t = c.append_child("is").append_child("t");
    t.append_attribute("xml:space").set_value("preserve");
    t.text().set(text.c_str());
}

void Worksheet::Restyle(const std::string& cell, int property, const std::string& value)
{
    pugi::xml_node c = Cell(cell);
    pugi::xml_attribute s = c.attribute("s");
    const int style = workbook_->DerivedStyle(s ? s.as_int() : 0, property, value);
    if (!s)
        s = c.append_attribute("s");
    s.set_value(style);
}

void Worksheet::SetFontSize(const std::string& cell, double points)
{
    std::ostringstream value;
    value << points;
    Restyle(cell, FontSize, value.str());
}

void Worksheet::SetFontBold(const std::string& cell, bool bold)
{
    Restyle(cell, FontBold, bold ? "1" : "0");
}

void Worksheet::SetInteriorColor(const std::string& cell, long color)
{
    char argb[9];
    std::snprintf(argb, sizeof argb, "FF%02lX%02lX%02lX", color & 0xFF, color >> 8 & 0xFF,
                  color >> 16 & 0xFF);
    Restyle(cell, Fill, argb);
}

std::unique_ptr<Workbook> Workbook::Open(const std::string& path)
{
    std::unique_ptr<Workbook> book(new Workbook);
    book->path_ = path;
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path))
        Fail("Le fichier « " + path + " » est introuvable.");
    book->bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());

    const std::string notWorkbook = "Le fichier « " + path + " » n'est pas un classeur.";
    const Package package(book->bytes_);
    if (!package.IsOpen())
        Fail(notWorkbook);
    // The package's own relationships ("_rels/.rels") are those of the part "".
    std::string workbookPart;
    for (const Relationship& r : Relationships(package, ""))
        if (r.type == "officeDocument")
            workbookPart = r.target;
    std::string content;
    pugi::xml_document document;
    if (workbookPart.empty() || !package.Read(workbookPart, content) ||
        !ParseXml(content, document))
        Fail(notWorkbook);

    std::map<std::string, std::string> targets;
    for (const Relationship& r : Relationships(package, workbookPart)) {
        targets[r.id] = r.target;
        if (r.type == "styles")
            book->stylesPart_ = r.target;
    }
    for (pugi::xml_node sheet : Child(document.document_element(), "sheets").children()) {
        const auto target = targets.find(Attribute(sheet, "id"));
        if (LocalName(sheet) == "sheet" && target != targets.end())
            book->sheetParts_[vb::UCase(sheet.attribute("name").value())] = target->second;
    }
    book->styles_ = std::make_unique<pugi::xml_document>();
    if (book->sheetParts_.empty() || book->stylesPart_.empty() ||
        !package.Read(book->stylesPart_, content) || !ParseXml(content, *book->styles_))
        Fail(notWorkbook);

    for (const auto& [key, part] : book->sheetParts_) {
        std::string name;
        for (pugi::xml_node sheet : Child(document.document_element(), "sheets").children())
            if (vb::UCase(sheet.attribute("name").value()) == key)
                name = sheet.attribute("name").value();
        std::unique_ptr<Worksheet> sheet(new Worksheet(*book, name, part));
        if (!package.Read(part, content) || !ParseXml(content, *sheet->xml_))
            Fail(notWorkbook);
        book->sheets_[key] = std::move(sheet);
    }
    return book;
}

Workbook::~Workbook() = default;

Worksheet& Workbook::Worksheets(const std::string& name)
{
    const auto found = sheets_.find(vb::UCase(name));
    if (found == sheets_.end())
        vb::Raise(vb::ErrSubscript);
    return *found->second;
}

int Workbook::DerivedStyle(int style, int property, const std::string& value)
{
    const auto key = std::make_tuple(style, property, value);
    if (const auto found = derived_.find(key); found != derived_.end())
        return found->second;

    pugi::xml_node sheet = styles_->document_element();
    pugi::xml_node xfs = ChildOrNew(sheet, "cellXfs");
    pugi::xml_node model = NthChild(xfs, "xf", style);
    if (!model)
        model = NthChild(xfs, "xf", 0);
    auto [xf, index] = AppendTo(xfs, "xf", model);

    if (property == Fill) {
        pugi::xml_node fills = ChildOrNew(sheet, "fills");
        auto [fill, fillId] = AppendTo(fills, "fill", pugi::xml_node());
        pugi::xml_node pattern = fill.append_child("patternFill");
        pattern.append_attribute("patternType").set_value("solid");
        pattern.append_child("fgColor").append_attribute("rgb").set_value(value.c_str());
        pattern.append_child("bgColor").append_attribute("indexed").set_value(64);
        (xf.attribute("fillId") ? xf.attribute("fillId") : xf.append_attribute("fillId"))
            .set_value(fillId);
        (xf.attribute("applyFill") ? xf.attribute("applyFill") : xf.append_attribute("applyFill"))
            .set_value(1);
    } else {
        pugi::xml_node fonts = ChildOrNew(sheet, "fonts");
        const int fontId = xf.attribute("fontId").as_int(0);
        auto [font, newId] = AppendTo(fonts, "font", NthChild(fonts, "font", fontId));
        if (property == FontSize) {
            pugi::xml_node size = ChildOrNew(font, "sz");
            (size.attribute("val") ? size.attribute("val") : size.append_attribute("val"))
                .set_value(value.c_str());
        } else {
            while (pugi::xml_node bold = Child(font, "b"))
                font.remove_child(bold);
            if (value == "1")
                font.prepend_child("b");
        }
        (xf.attribute("fontId") ? xf.attribute("fontId") : xf.append_attribute("fontId"))
            .set_value(newId);
        (xf.attribute("applyFont") ? xf.attribute("applyFont") : xf.append_attribute("applyFont"))
            .set_value(1);
    }
    stylesChanged_ = true;
    derived_[key] = index;
    return index;
}

void Workbook::SaveAs(const std::string& path)
{
    const std::string cannotWrite = "Impossible d'enregistrer le classeur « " + path + " ».";
    std::string pattern = path + ".XXXXXX";
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0)
        Fail(cannotWrite);
    const std::string temporary = pattern;
    const bool written =
        ::write(descriptor, bytes_.data(), bytes_.size()) == ssize_t(bytes_.size());
    ::close(descriptor);

    // The new parts' texts live until the archive is closed, which reads them.
    std::vector<std::pair<std::string, std::string>> parts;
    for (const auto& [key, sheet] : sheets_)
        parts.emplace_back(sheet->part_, Serialize(*sheet->xml_));
    if (stylesChanged_)
        parts.emplace_back(stylesPart_, Serialize(*styles_));

    bool saved = written;
    int error = 0;
    zip_t* archive = saved ? zip_open(temporary.c_str(), 0, &error) : nullptr;
    saved = archive != nullptr;
    for (const auto& [part, text] : parts) {
        if (!saved)
            break;
        const zip_int64_t index = zip_name_locate(archive, part.c_str(), 0);
        zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
        saved =
            index >= 0 && source && zip_file_replace(archive, zip_uint64_t(index), source, 0) == 0;
        if (!saved && source)
            zip_source_free(source);
    }
    if (archive) {
        // An archive that could not be closed is discarded still, which frees its file.
        if (!saved || zip_close(archive) != 0) {
            saved = false;
            zip_discard(archive);
        }
    }
    std::error_code ignored;
    if (saved) {
        std::filesystem::rename(temporary, path, ignored);
        saved = !ignored;
    }
    if (!saved) {
        std::filesystem::remove(temporary, ignored);
        Fail(cannotWrite);
    }
    // mkstemp makes the file readable by its owner only; a saved workbook is an ordinary file.
    std::filesystem::permissions(
        path,
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
            std::filesystem::perms::group_read | std::filesystem::perms::others_read,
        ignored);
}

} // namespace workbook
