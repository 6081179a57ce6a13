#pragma once
// The data layer's error descriptions as a French installation shows them.
//
// The layer raises with the provider's English wording (and passes SQLite's own messages on);
// the user reads the French text of the same error. A text the table does not know stays as
// it is.

#include <string>
#include <string_view>

namespace ado::detail {

std::string FrenchDescription(std::string_view description);

} // namespace ado::detail
