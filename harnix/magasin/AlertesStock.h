#pragma once
// The stock alerts: whether an article's total quantity is under its threshold, and the
// threshold recomputed from the consumption of a period (view Consomations).

#include "platform/ado/Connection.h"
#include "platform/vb/Date.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <string>

namespace AlertesStock {

// Whether the total quantity is under the threshold; an empty value on either side (Null,
// Empty or "") sets off no alert.
bool EnAlerte(const vb::Variant& quantiteGlobale, const vb::Variant& seuil);

// The statement that creates the view Consomations: the movement lines of the period summed
// per article, the first and the last day counting whole.
std::string TexteVue(vb::Date debut, vb::Date fin);

// The new threshold of an article that used `total` units over `jours` days: a week of that
// use, or the delivery time plus six days of it when the article has one.
int32_t Seuil(double total, double jours, const vb::Variant& delaiLivraison);

// The consumption of the view Consomations summed per article, and each article's threshold
// computed from it over `jours` days and written, all in one transaction: on an error no
// threshold changes. A line of no article, or of an article not in stock, has no threshold.
void EcrireSeuils(ado::Connection& cn, double jours);

} // namespace AlertesStock
