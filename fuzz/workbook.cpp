// The workbook template: opened, filled as the allocation export fills it, and saved.

#include "platform/workbook/Workbook.h"
#include "fuzz/FuzzSupport.h"
#include "platform/vb/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteFile("DotationMO.xlsx", fuzz::Text(data, size));
    try {
        auto workbook = workbook::Workbook::Open(path);
        workbook::Worksheet& sheet = workbook->Worksheets("Feuil1");
        sheet.SetValue("D5", "1000");
        sheet.SetValue("E5", "GANTS <T8> & \"CUIR\"");
        sheet.SetValue("A5", "");
        sheet.SetValue("AB12", "1.5");
        sheet.SetFontSize("D5", 8);
        sheet.SetFontBold("E5", true);
        sheet.SetInteriorColor("A5", 0x00FFFF);
        workbook->SaveAs(fuzz::Folder() + "/Dotation.xlsx");
    } catch (const vb::Error&) {
    }
    return 0;
}
