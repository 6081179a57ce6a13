#pragma once
// The allocation commit: one movement of type 1 per employee of the computed selection, through
// the one movement writer, all in one transaction on the planner's connection: a failure leaves
// nothing written. Stock quantities are not touched.

#include "platform/ado/Connection.h"
#include "platform/vb/Date.h"

#include <cstdint>
#include <functional>
#include <string>

namespace EnregistrementDotation {

// Runs the commit's statement for the period and the computation's filter and writes the
// movements; progress receives the percentage of rows written. Returns the number of movements.
// Raises the database's vb::Error after rolling back.
int32_t Enregistrer(ado::Connection& connexion, int32_t nbJours, const std::string& filtre,
                    const std::function<void(int)>& progression = {});
// The same, the movements dated the given moment instead of now (the demonstration data dates
// its allocation in the past).
int32_t Enregistrer(ado::Connection& connexion, vb::Date laDate, int32_t nbJours,
                    const std::string& filtre, const std::function<void(int)>& progression = {});

} // namespace EnregistrementDotation
