#include "harnix/magasin/Periode.h"

#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Format.h"

namespace Periode {

std::optional<vb::Date> LireDate(const std::string& texte)
{
    const vb::Variant v(texte);
    if (!vb::IsDate(v))
        return std::nullopt;
    // A period counts whole days: a time typed after the date does not move its bounds.
    const vb::Date date = vb::CDate(v);
    return vb::DateSerial(vb::Year(date), vb::Month(date), vb::Day(date));
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
