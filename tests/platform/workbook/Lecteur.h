#pragma once
// Reads a saved workbook back with independent readers: cells with openpyxl, one line per cell
// ("K12|value|font size|bold|fill", the fill as RRGGBB of a solid fill or "-"), and a part's
// texts with expat.

#include <cstdio>
#include <string>
#include <vector>

namespace workbook::testing {

// What the Python script prints (its errors too) given the arguments.
inline std::string Python(const std::string& script, const std::vector<std::string>& arguments)
{
    auto quote = [](const std::string& s) {
        std::string q = "'";
        for (char ch : s)
            q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
        return q + "'";
    };
    std::string commande = "/usr/bin/python3 -c " + quote(script);
    for (const std::string& argument : arguments)
        commande += " " + quote(argument);
    std::string sortie;
    if (FILE* p = ::popen((commande + " 2>&1").c_str(), "r")) {
        char tampon[4096];
        size_t lu;
        while ((lu = std::fread(tampon, 1, sizeof tampon, p)) > 0)
            sortie.append(tampon, lu);
        ::pclose(p);
    }
    return sortie;
}

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
    return Python(script, {chemin, feuille, liste});
}

// The texts of the sheet as expat reads them, which refuses what XML 1.0 cannot hold, shown as
// Python writes a text ('a\tb'); or expat's error.
inline std::string LireTextesStricts(const std::string& chemin, const std::string& partie)
{
    return Python("import sys, zipfile, xml.parsers.expat\n"
                  "p = xml.parsers.expat.ParserCreate()\n"
                  "texts = []\n"
                  "p.CharacterDataHandler = texts.append\n"
                  "p.Parse(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]), True)\n"
                  "print(repr(''.join(texts)))\n",
                  {chemin, partie});
}

} // namespace workbook::testing
