// Report definitions: the definition's text, then the values of its tables' rows. The tables
// hold exactly the fields the report requires of them, as the thinnest recordsets that the
// report accepts; the report is laid out and painted.

#include "fuzz/FuzzSupport.h"
#include "platform/report/Definition.h"
#include "platform/report/Layout.h"
#include "platform/vb/Error.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace {

constexpr size_t RowsPerTable = 4;

} // namespace

// Qt keeps its font database and font engines (with what fontconfig and FreeType allocate for
// them) until the process ends, past the leak check; Debian's Qt has no frame pointers, so their
// stacks name Qt's libraries alone. The report engine keeps Qt's values by value only.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6Gui.so\nleak:libQt6Core.so\nleak:libfontconfig.so\nleak:libfreetype.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input = fuzz::Text(data, size);
    const std::string_view json = fuzz::NextPart(input);
    report::Definition definition;
    try {
        definition = report::ParseDefinition(QByteArray(json.data(), qsizetype(json.size())));
    } catch (const vb::Error&) {
        return 0;
    }
    report::Tables tables;
    for (const report::TableDef& t : definition.tables) {
        report::DataTable& table = tables[t.position];
        for (const QString& field : definition.FieldsOf(t))
            if (table.Column(field) < 0)
                table.columns << field;
    }
    for (auto& [position, table] : tables) {
        table.rows.resize(RowsPerTable);
        for (auto& row : table.rows)
            for (qsizetype c = 0; c < table.columns.size(); ++c)
                row.push_back(fuzz::NextValue(input));
    }
    const report::Layout layout = report::LayOut(definition, tables, QString());
    QImage image(210, 297, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setWindow(0, 0, int(layout.size.width()), int(layout.size.height()));
    for (const report::Page& page : layout.pages)
        report::PaintPage(painter, page);
    return 0;
}
