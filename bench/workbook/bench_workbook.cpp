// The allocation's export: 8 094 grid lines of nine cells written into the template through the
// workbook's cells, as the planner writes them (each cell's value and font size, the fill and
// bold of the TOTAL lines), against the same cells written in sheet order straight with pugixml
// and libzip in the same run.

#include "platform/workbook/Workbook.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <zip.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Lines = 8094;

// The grid's cells of a line: a TOTAL after every third article line.
std::array<std::string, 9> Line(int i)
{
    if (i % 4 == 3)
        return {"", "", "TOTAL", "", "", "", std::to_string(i * 3), "", ""};
    return {"",
            "",
            "",
            std::to_string(1000 + i / 4),
            "GANTS DE PROTECTION CUIR " + std::to_string(i / 4),
            "T" + std::to_string(7 + i % 3),
            std::to_string(1 + i % 5),
            "SITE " + std::to_string(i % 50),
            "SERVICE " + std::to_string(i % 200)};
}

std::string Folder()
{
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "workbook-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data()));
    }();
    return folder;
}

void Export(benchmark::State& state)
{
    const std::string result = Folder() + "/Dotation.xlsx";
    for (auto _ : state) {
        const auto book = workbook::Workbook::Open(HARNIX_TEMPLATE);
        workbook::Worksheet& sheet = book->Worksheets("Feuil1");
        for (int i = 1; i <= Lines; ++i) {
            const std::string row = std::to_string(i + 4);
            const auto texts = Line(i);
            for (int j = 0; j <= 8; ++j) {
                const std::string cell = char('A' + j) + row;
                sheet.SetValue(cell, texts[size_t(j)]);
                sheet.SetFontSize(cell, 8);
                if (texts[size_t(j)].find("TOTAL") == std::string::npos)
                    continue;
                for (char column = 'C'; column <= 'K'; ++column) {
                    sheet.SetFontBold(column + row, true);
                    sheet.SetInteriorColor(column + row, 0x8DD1FE);
                }
            }
        }
        book->SaveAs(result);
    }
}
BENCHMARK(Export)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

std::string Part(zip_t* archive, const char* name)
{
    zip_stat_t stat;
    zip_stat(archive, name, 0, &stat);
    std::string bytes(stat.size, '\0');
    zip_file_t* file = zip_fopen(archive, name, 0);
    zip_fread(file, bytes.data(), stat.size);
    zip_fclose(file);
    return bytes;
}

std::string Serialize(const pugi::xml_document& document)
{
    std::ostringstream out;
    document.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return out.str();
}

// The same cells and styles written in the order of the sheet: rows appended after the
// template's, each row's cells in column order, the three formats made once.
void ExportFloor(benchmark::State& state)
{
    const std::string result = Folder() + "/Floor.xlsx";
    std::ifstream in(HARNIX_TEMPLATE, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (auto _ : state) {
        std::filesystem::remove(result);
        std::ofstream(result, std::ios::binary) << bytes;
        int error = 0;
        zip_t* archive = zip_open(result.c_str(), 0, &error);
        pugi::xml_document sheet, styles;
        const std::string sheetXml = Part(archive, "xl/worksheets/sheet1.xml");
        const std::string stylesXml = Part(archive, "xl/styles.xml");
        sheet.load_buffer(sheetXml.data(), sheetXml.size());
        styles.load_buffer(stylesXml.data(), stylesXml.size());

        // Font 8 for every cell, and font 8 bold on a fill for the TOTAL lines.
        pugi::xml_node fonts = styles.document_element().child("fonts");
        pugi::xml_node font8 = fonts.append_copy(fonts.first_child());
        font8.child("sz").attribute("val").set_value(8);
        pugi::xml_node bold8 = fonts.append_copy(font8);
        bold8.prepend_child("b");
        pugi::xml_node fill = styles.document_element().child("fills").append_child("fill");
        pugi::xml_node pattern = fill.append_child("patternFill");
        pattern.append_attribute("patternType").set_value("solid");
        pattern.append_child("fgColor").append_attribute("rgb").set_value("FFFED18D");
        pugi::xml_node xfs = styles.document_element().child("cellXfs");
        pugi::xml_node plain = xfs.append_copy(xfs.first_child());
        plain.attribute("fontId").set_value(2);
        pugi::xml_node total = xfs.append_copy(plain);
        total.attribute("fontId").set_value(3);
        total.append_attribute("fillId").set_value(2);

        pugi::xml_node data = sheet.document_element().child("sheetData");
        char reference[16];
        for (int i = 1; i <= Lines; ++i) {
            const auto texts = Line(i);
            const bool isTotal = texts[2] == "TOTAL";
            pugi::xml_node row = data.append_child("row");
            row.append_attribute("r").set_value(i + 4);
            for (int j = 0; j <= (isTotal ? 10 : 8); ++j) {
                pugi::xml_node c = row.append_child("c");
                std::snprintf(reference, sizeof reference, "%c%d", 'A' + j, i + 4);
                c.append_attribute("r").set_value(reference);
                c.append_attribute("s").set_value(isTotal && j >= 2 ? 5 : 4);
                if (j > 8 || texts[size_t(j)].empty())
                    continue;
                const std::string& text = texts[size_t(j)];
                if (text.find_first_not_of("0123456789") == std::string::npos) {
                    c.append_child("v").text().set(text.c_str());
                } else {
                    c.append_attribute("t").set_value("inlineStr");
                    pugi::xml_node t = c.append_child("is").append_child("t");
                    t.append_attribute("xml:space").set_value("preserve");
                    t.text().set(text.c_str());
                }
            }
        }
        const std::string sheetOut = Serialize(sheet), stylesOut = Serialize(styles);
        zip_file_replace(archive,
                         zip_uint64_t(zip_name_locate(archive, "xl/worksheets/sheet1.xml", 0)),
                         zip_source_buffer(archive, sheetOut.data(), sheetOut.size(), 0), 0);
        zip_file_replace(archive, zip_uint64_t(zip_name_locate(archive, "xl/styles.xml", 0)),
                         zip_source_buffer(archive, stylesOut.data(), stylesOut.size(), 0), 0);
        if (zip_close(archive) != 0)
            state.SkipWithError("zip_close");
    }
}
BENCHMARK(ExportFloor)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
