#pragma once
// A spreadsheet workbook file (Office Open XML, .xlsx) opened from a template, its cells written
// and formatted, and saved under another name, in the manner of the spreadsheet automation the
// system drove: Workbooks.Open, Worksheets("name"), Range("A5").Value, .Font.Size, .Font.Bold,
// .Interior.Color and SaveAs.
//
// The package is read and written with libzip, its XML parts with pugixml. Cells keep the
// formatting the template gives them; a format set on a cell adds to it.

#include <map>
#include <memory>
#include <string>
#include <tuple>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

namespace workbook {

class Workbook;

// One sheet of an open workbook; cells are named "A1", "K12" ...
class Worksheet
{
public:
    ~Worksheet();
    const std::string& Name() const { return name_; }

    // A text that reads as a decimal number ("72", "-3", "1.5") is stored as a number, any
    // other as text; the empty text empties the cell. Characters that XML cannot hold (the
    // controls other than tab, line feed and carriage return) are left out. A reference past
    // the last column, XFD, raises 1004.
    void SetValue(const std::string& cell, const std::string& text);

    void SetFontSize(const std::string& cell, double points);
    void SetFontBold(const std::string& cell, bool bold);
    // A solid fill of the colour &H00BBGGRR (red in the low byte).
    void SetInteriorColor(const std::string& cell, long color);

private:
    friend class Workbook;
    Worksheet(Workbook& workbook, std::string name, std::string part);

    pugi::xml_node Cell(const std::string& cell);
    // Gives the cell the style of its present style with one property changed.
    void Restyle(const std::string& cell, int property, const std::string& value);

    Workbook* workbook_;
    std::string name_;
    std::string part_; // the path of its XML part in the package
    std::unique_ptr<pugi::xml_document> xml_;
    // The rows by number and their cells by column, read from the sheet before the first cell
    // and kept while cells are written, so that finding a cell walks no row.
    struct Index;
    std::unique_ptr<Index> index_;
};

class Workbook
{
public:
    // Reads the workbook file. Raises vb::Error 1004 when the file is missing, unreadable or not
    // a workbook.
    static std::unique_ptr<Workbook> Open(const std::string& path);
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // The sheet of that name (case ignored); raises vb::Error 9 when there is none.
    Worksheet& Worksheets(const std::string& name);

    // Writes the workbook with its changes under the path: into a temporary file of the same
    // folder first, renamed over the path once complete, so that a failure leaves no half-written
    // file. Raises vb::Error 1004 when it cannot be written.
    void SaveAs(const std::string& path);

private:
    friend class Worksheet;
    Workbook() = default;

    // The index of a cell format like the given one with one property changed; made on first use.
    int DerivedStyle(int style, int property, const std::string& value);

    std::string path_;
    std::string bytes_;                             // the package as read
    std::map<std::string, std::string> sheetParts_; // sheet name in capitals -> part path
    std::map<std::string, std::unique_ptr<Worksheet>> sheets_;
    std::string stylesPart_;
    std::unique_ptr<pugi::xml_document> styles_;
    std::map<std::tuple<int, int, std::string>, int> derived_;
    bool stylesChanged_ = false;
};

} // namespace workbook
