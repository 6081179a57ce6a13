#pragma once
// Reads cells of a saved workbook back with an independent reader (openpyxl), one line per cell:
// "K12|value|font size|bold|fill", the fill as RRGGBB of a solid fill or "-".

#include <cstdio>
#include <string>
#include <vector>

namespace workbook::testing {

inline std::string LireCellules(const std::string& chemin, const std::string& feuille,
                                const std::vector<std::string>& cellules)
{
    std::string liste;
    for (const std::string& c : cellules)
        liste += (liste.empty() ? "" : " ") + c;
    const std::string script =
        "import sys, openpyxl\n"
        "ws = openpyxl.load_workbook(sys.argv[1])[sys.argv[2]]\n"
        "for ref in sys.argv[3].split():\n"
        "    c = ws[ref]\n"
        "    v = '' if c.value is None else c.value\n"
        "    fill = c.fill.fgColor.rgb[2:] if c.fill.fill_type == 'solid' else '-'\n"
        "    print('%s|%s|%g|%d|%s' % (ref, v, c.font.sz, bool(c.font.b), fill))\n";
    auto quote = [](const std::string& s) {
        std::string q = "'";
        for (char ch : s)
            q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
        return q + "'";
    };
    const std::string commande = "/usr/bin/python3 -c " + quote(script) + " " + quote(chemin) +
                                 " " + quote(feuille) + " " + quote(liste) + " 2>&1";
    std::string sortie;
    if (FILE* p = ::popen(commande.c_str(), "r")) {
        char tampon[4096];
        size_t lu;
        while ((lu = std::fread(tampon, 1, sizeof tampon, p)) > 0)
            sortie.append(tampon, lu);
        ::pclose(p);
    }
    return sortie;
}

} // namespace workbook::testing
