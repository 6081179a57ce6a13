#include "harnix/magasin/Periode.h"

#include "platform/vb/DateTime.h"
#include "platform/vb/Format.h"

#include <regex>

namespace Periode {

std::optional<vb::Date> LireDate(const std::string& texte)
{
    static const std::regex forme(R"(\s*(\d{1,2})/(\d{1,2})/(\d{2}|\d{4})\s*)");
    std::smatch m;
    if (!std::regex_match(texte, m, forme))
        return std::nullopt;
    const int jour = std::stoi(m[1]);
    const int mois = std::stoi(m[2]);
    int annee = std::stoi(m[3]);
    if (m[3].length() == 2) // as the short date reads two digits: 00-29 this century
        annee += annee < 30 ? 2000 : 1900;
    if (mois < 1 || mois > 12 || jour < 1 || annee < 100)
        return std::nullopt;
    const vb::Date date = vb::DateSerial(annee, mois, jour);
    if (vb::Day(date) != jour) // 31/04 would carry over into May
        return std::nullopt;
    return date;
}

std::string TexteDate(vb::Date date)
{
    return vb::Format(vb::Variant(date), "Short Date");
}

Intervalle DebutAnnee(vb::Date aujourdhui)
{
    return {vb::DateSerial(vb::Year(aujourdhui), 1, 1), aujourdhui};
}

Intervalle DebutMois(vb::Date aujourdhui)
{
    vb::Date d = aujourdhui;
    while (vb::Day(d) != 1)
        d = d - 1;
    return {d, aujourdhui};
}

Intervalle MoisDernier(vb::Date aujourdhui)
{
    vb::Date debut = aujourdhui;
    while (!(vb::Day(debut) == 1 && vb::Month(debut) != vb::Month(aujourdhui)))
        debut = debut - 1;
    vb::Date fin = debut;
    while (vb::Month(fin) == vb::Month(debut))
        fin = fin + 1;
    return {debut, fin - 1};
}

Intervalle SemaineDerniere(vb::Date aujourdhui)
{
    vb::Date d = aujourdhui - 7;
    if (vb::Weekday(d) == vb::vbSunday)
        d = d - 6;
    else
        d = d - vb::Weekday(d) + 2;
    return {d, d + 6};
}

} // namespace Periode
