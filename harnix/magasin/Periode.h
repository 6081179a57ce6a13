#pragma once
// Report periods: the period boxes read as the short date reads them, and the period shortcuts
// of the reports window computed from a given day.

#include "platform/vb/Date.h"

#include <optional>
#include <string>

namespace Periode {

// The day of a text that the short date reading takes for a date (day/month/year with "/" or
// "-", day/month of this year, year-month-day, a time after it); nothing for any other text or
// an impossible date.
std::optional<vb::Date> LireDate(const std::string& texte);
// The short date text of a day: "dd/mm/yyyy".
std::string TexteDate(vb::Date date);

struct Intervalle
{
    vb::Date debut;
    vb::Date fin;
};

Intervalle DebutAnnee(vb::Date aujourdhui);
Intervalle DebutMois(vb::Date aujourdhui);
// The previous month, first to last day.
Intervalle MoisDernier(vb::Date aujourdhui);
// Monday to Sunday of the week before the current one (on a Sunday, of the week before that).
Intervalle SemaineDerniere(vb::Date aujourdhui);

} // namespace Periode
