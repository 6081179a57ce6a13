#pragma once
// The counter's quota check: how much of an article an employee has taken within the rolling
// window of the profile's quota line.

#include "platform/ado/Connection.h"

#include <cstdint>
#include <string>

namespace Quotas {

// Whether the employee has used up what the profile allows of the article within its rolling
// window (from midnight, the line's period in days back, to the end of today): 1 used up,
// 2 not yet, 3 no quota line for the article or one without its period or its quantity.
// Raises the database's vb::Error.
int16_t VerifierQuota(ado::Connection& cn, int32_t RefArticle, int32_t NoQota,
                      const std::string& Utilisateur);

} // namespace Quotas
